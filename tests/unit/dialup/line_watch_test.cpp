// The line watch against the simulated service in this process: a drop reaches the GUI
// thread once, a line gone before the watch began is reported too, and a watch stopped
// before the program's own hang-up reports nothing; the connection figures grow.
#include "dialup/LineWatch.h"
#include "dialup/VpnEntry.h"
#include "rassim_fixture.h"

namespace {

namespace r = vpn::ras;

class LineWatchTest : public RassimTest {
 protected:
  // A line dialed directly; null when the dial failed.
  HRASCONN DialLine() {
    EXPECT_TRUE(dialup::WriteVpnEntry("VPN Connection", "vpn.demo.test", false));
    HRASCONN line = nullptr;
    EXPECT_EQ(dialup::DirectDial("VPN Connection", "demo", "demo", &line), 0u);
    return line;
  }
  void Watch(HRASCONN line) {
    watch_.OnDropped = [this] {
      ++drops_;
      thread_ = GetCurrentThreadId();
    };
    ASSERT_TRUE(watch_.Watch(line));
  }

  TLineWatch watch_;
  int drops_ = 0;
  DWORD thread_ = 0;
};

TEST_F(LineWatchTest, ADropIsReportedOnceOnThisThread) {
  Scenario("state_delay_ms=0\ndrop_after_ms=300\n");
  HRASCONN line = DialLine();
  ASSERT_NE(line, nullptr);
  Watch(line);
  EXPECT_TRUE(watch_.Watching());
  Sleep(100);
  WaitFor([] { return false; }, 50);
  EXPECT_EQ(drops_, 0) << "reported before the line dropped";
  ASSERT_TRUE(WaitFor([this] { return drops_ > 0; }, 3000));
  EXPECT_EQ(thread_, GetCurrentThreadId());
  EXPECT_FALSE(watch_.Watching());
  WaitFor([] { return false; }, 200);
  EXPECT_EQ(drops_, 1);
  EXPECT_EQ(Journal("dropped").size(), 1u);
}

TEST_F(LineWatchTest, ALineGoneBeforeTheWatchIsReportedAsDropped) {
  Scenario("state_delay_ms=0\ndrop_after_ms=50\n");
  HRASCONN line = DialLine();
  ASSERT_TRUE(WaitFor([this] { return !Journal("dropped").empty(); }, 2000));
  Watch(line);
  ASSERT_TRUE(WaitFor([this] { return drops_ > 0; }, 2000));
  EXPECT_EQ(Journal("RasConnectionNotificationA").back().fields.at("result"), "6");
}

TEST_F(LineWatchTest, AStoppedWatchStaysQuietThroughTheProgramsOwnHangUp) {
  Scenario("state_delay_ms=0\nhangup_delay_ms=0\n");
  HRASCONN line = DialLine();
  Watch(line);
  watch_.Stop();
  EXPECT_FALSE(watch_.Watching());
  ASSERT_EQ(dialup::RasHangUpA(line), 0u);
  r::RasConnStatusA status{};
  status.dwSize = sizeof status;
  ASSERT_TRUE(WaitFor(
      [&] { return dialup::RasGetConnectStatusA(line, &status) == r::kErrorInvalidHandle; }, 2000));
  // The service did signal the event it was given; nobody listened any more.
  EXPECT_EQ(Journal("signalled").size(), 1u);
  WaitFor([] { return false; }, 300);
  EXPECT_EQ(drops_, 0);
}

TEST_F(LineWatchTest, FiguresGrowWhileTheLineIsUp) {
  Scenario("state_delay_ms=0\nbytes_sent_per_s=1000\nbytes_received_per_s=50000\n");
  HRASCONN line = DialLine();
  const auto statistics = dialup::RasGetConnectionStatisticsFunc();
  ASSERT_NE(statistics, nullptr);
  r::RasStats first{}, second{};
  first.dwSize = second.dwSize = sizeof(r::RasStats);
  ASSERT_EQ(statistics(line, &first), 0u);
  Sleep(400);
  ASSERT_EQ(statistics(line, &second), 0u);
  EXPECT_GE(second.dwConnectDuration - first.dwConnectDuration, 390u);
  EXPECT_GE(second.dwBytesXmited - first.dwBytesXmited, 390u);
  EXPECT_GE(second.dwBytesRcved - first.dwBytesRcved, 19000u);
  // A record of another size is refused, a line that is not up has no figures.
  r::RasStats odd{};
  odd.dwSize = 40;
  EXPECT_EQ(statistics(line, &odd), r::kErrorInvalidSize);
  ASSERT_EQ(dialup::RasHangUpA(line), 0u);
  EXPECT_EQ(statistics(line, &second), r::kErrorInvalidHandle);
}

}  // namespace
