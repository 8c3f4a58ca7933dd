// Connection statistics on this system (NT family, no remote-access performance object).
#include "dialup/Statistics.h"

#include "rassim_fixture.h"

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

TEST(Statistics, Win32sHasNone) {
  TRasStatistics s;
  EXPECT_FALSE(s.ControlStatistics(dialup::pfWin32s, true, true));
  EXPECT_FALSE(s.ReadStatistics(dialup::pfWin32s));
  EXPECT_FALSE(s.CollectAdapters(dialup::pfWin32s));
}

}  // namespace
