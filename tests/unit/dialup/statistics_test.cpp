// Connection statistics on this system (NT family, no remote-access performance object).
#include "dialup/Statistics.h"

#include <algorithm>

#include "rassim_fixture.h"
#include "tests/unit/core/perf_blocks.h"

namespace {

using dialup::TRasStatistics;

TEST(Statistics, NtFamilyWithoutThePerformanceObjectStaysAtZero) {
  TRasStatistics s;
  int pumps = 0;
  s.Pump = [&] { ++pumps; };
  s.DUNA = {"kept"};
  EXPECT_FALSE(s.CollectAdapters(dialup::pfWindowsNT));
  EXPECT_EQ(s.DUNA, std::vector<std::string>{"kept"});
  EXPECT_FALSE(s.ControlStatistics(dialup::pfWindowsNT, true, true));
  EXPECT_EQ(s.BytesXmit, 0u);
  EXPECT_EQ(s.BytesRecv, 0u);
  EXPECT_EQ(s.ConnectionSpeed, 0u);
  EXPECT_GE(dialup::PerfDataBufferSize(), 8192u);
  EXPECT_FALSE(s.ReadStatistics(dialup::pfWindowsNT));
  EXPECT_EQ(dialup::PlatformFamily(), dialup::pfWindowsNT);
}

TEST(Statistics, NtStartReadsTheCountersOnceAndCountsFromZero) {
  using namespace perf_blocks;
  // The remote-access object with 1500 bytes sent and 9000 received so far.
  const Bytes block =
      Block({Object({{872, 4}, {874, 8}}, -1, {CounterBlock(12, {{4, 1500}, {8, 9000}})})});
  TRasStatistics s;
  int queries = 0;
  s.PerfQuery = [&](std::uint8_t* buffer, std::uint32_t& size) -> std::uint32_t {
    ++queries;
    if (size < block.size()) return 234;
    std::copy(block.begin(), block.end(), buffer);
    size = static_cast<std::uint32_t>(block.size());
    return 0;
  };
  EXPECT_TRUE(s.ControlStatistics(dialup::pfWindowsNT, true, true));
  EXPECT_EQ(queries, 1);
  EXPECT_EQ(s.BytesXmit, 0u);
  EXPECT_EQ(s.BytesRecv, 0u);
  // A later read gives the object's counts.
  EXPECT_TRUE(s.ReadStatistics(dialup::pfWindowsNT));
  EXPECT_EQ(queries, 2);
  EXPECT_EQ(s.BytesXmit, 1500u);
  EXPECT_EQ(s.BytesRecv, 9000u);
  // Stopping only resets.
  EXPECT_TRUE(s.ControlStatistics(dialup::pfWindowsNT, false, false));
  EXPECT_EQ(queries, 2);
  EXPECT_EQ(s.BytesXmit, 0u);
}

TEST(Statistics, Win32sHasNone) {
  TRasStatistics s;
  EXPECT_FALSE(s.ControlStatistics(dialup::pfWin32s, true, true));
  EXPECT_FALSE(s.ReadStatistics(dialup::pfWin32s));
  EXPECT_FALSE(s.CollectAdapters(dialup::pfWin32s));
}

}  // namespace

namespace {

// The Windows 95 family's keys, written here so that that family's path can be followed
// on this system: adapters under the machine key, their counters under the dynamic data.
class Win95Statistics : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_DYN_DATA, "PerfStats\\StatData", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
      GTEST_FAIL() << "this system has no writable dynamic-data registry root (HKEY_DYN_DATA)";
    }
    RegCloseKey(key);
    for (const char* adapter : {"0003", "0001", "0002"}) {
      Create(HKEY_LOCAL_MACHINE,
             std::string("System\\CurrentControlSet\\Control\\PerfStats\\Enum\\") + adapter);
    }
    // Adapter 0002 has no counters and is not a dial-up adapter.
    for (const char* adapter : {"0001", "0003"}) {
      for (const char* stat : {"PerfStats\\StartStat", "PerfStats\\StopStat"}) {
        for (const char* value : {"\\TotalBytesXmit", "\\TotalBytesRecvd", "\\ConnectSpeed"}) {
          SetDword(stat, std::string(adapter) + value, 0);
        }
      }
    }
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_DYN_DATA, "PerfStats");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\PerfStats");
  }
  static void Create(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static void SetDword(const std::string& path, const std::string& name, DWORD v) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_DYN_DATA, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    RegCloseKey(key);
  }
  static void Counters(DWORD xmit, DWORD recv, DWORD speed) {
    SetDword("PerfStats\\StatData", "0001\\TotalBytesXmit", xmit);
    SetDword("PerfStats\\StatData", "0001\\TotalBytesRecvd", recv);
    SetDword("PerfStats\\StatData", "0001\\ConnectSpeed", speed);
  }
};

TEST_F(Win95Statistics, AdaptersWithCountersAreCollectedSorted) {
  TRasStatistics s;
  EXPECT_TRUE(s.CollectAdapters(dialup::pfWindows95));
  EXPECT_EQ(s.DUNA, (std::vector<std::string>{"0001", "0003"}));
}

TEST_F(Win95Statistics, CountsFromTheStartAndStartAfreshWhenACounterGoesBack) {
  TRasStatistics s;
  Counters(1000, 5000, 28800);
  // Starting reads the counters and takes them as the base.
  ASSERT_TRUE(s.ControlStatistics(dialup::pfWindows95, true, true));
  EXPECT_EQ(s.DUNA_Key, "0001");
  EXPECT_EQ(s.BytesXmit, 0u);
  EXPECT_EQ(s.ConnectionSpeed, 28800u);
  Counters(1500, 9000, 33600);
  ASSERT_TRUE(s.ReadStatistics(dialup::pfWindows95));
  EXPECT_EQ(s.BytesXmit, 500u);
  EXPECT_EQ(s.BytesRecv, 4000u);
  EXPECT_EQ(s.ConnectionSpeed, 33600u);
  // A new connection: the counters restart below the base, and the counts never wrap.
  Counters(200, 9500, 33600);
  ASSERT_TRUE(s.ReadStatistics(dialup::pfWindows95));
  EXPECT_EQ(s.BytesXmit, 0u);
  EXPECT_EQ(s.BytesRecv, 0u);
  Counters(260, 9600, 33600);
  ASSERT_TRUE(s.ReadStatistics(dialup::pfWindows95));
  EXPECT_EQ(s.BytesXmit, 60u);
  EXPECT_EQ(s.BytesRecv, 100u);
}

TEST_F(Win95Statistics, MissingCountersFailWithoutChangingTheCounts) {
  TRasStatistics s;
  s.DUNA_Key = "0002";
  EXPECT_FALSE(s.ControlStatistics(dialup::pfWindows95, true, false));
  EXPECT_FALSE(s.ReadStatistics(dialup::pfWindows95));
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\PerfStats");
  EXPECT_FALSE(s.ControlStatistics(dialup::pfWindows95, true, true));  // no adapters at all
  EXPECT_TRUE(s.DUNA.empty());
}

}  // namespace
