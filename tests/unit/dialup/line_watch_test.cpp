// The line watch against the simulated service in this process, for what the program's
// own tests cannot time: a line that went between the connect and the watch.
#include "dialup/LineWatch.h"
#include "dialup/VpnEntry.h"
#include "rassim_fixture.h"

namespace {

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
    watch_.OnDropped = [this] { ++drops_; };
    ASSERT_TRUE(watch_.Watch(line));
  }

  TLineWatch watch_;
  int drops_ = 0;
};

TEST_F(LineWatchTest, ALineGoneBeforeTheWatchIsReportedAsDropped) {
  Scenario("state_delay_ms=0\ndrop_after_ms=50\n");
  HRASCONN line = DialLine();
  ASSERT_TRUE(WaitFor([this] { return !Journal("dropped").empty(); }, 2000));
  Watch(line);
  ASSERT_TRUE(WaitFor([this] { return drops_ > 0; }, 2000));
  EXPECT_EQ(Journal("RasConnectionNotificationA").back().fields.at("result"), "6");
  EXPECT_FALSE(watch_.Watching());
  WaitFor([] { return false; }, 200);
  EXPECT_EQ(drops_, 1);
}

// One watch serves line after line, as the window's does, with the one waiter it made
// beforehand: each drop is reported once, and a watch stopped before its line goes
// reports nothing.
TEST_F(LineWatchTest, OneWatchServesLineAfterLine) {
  Scenario("state_delay_ms=0\ndrop_after_ms=100\n");
  ASSERT_TRUE(watch_.Prepare());
  for (int i = 1; i <= 3; ++i) {
    Watch(DialLine());
    EXPECT_TRUE(watch_.Watching());
    ASSERT_TRUE(WaitFor([&] { return drops_ == i; }, 3000)) << "line " << i;
    EXPECT_FALSE(watch_.Watching());
  }
  Watch(DialLine());
  watch_.Stop();
  EXPECT_FALSE(watch_.Watching());
  ASSERT_TRUE(WaitFor([this] { return Journal("dropped").size() == 4; }, 3000));
  WaitFor([] { return false; }, 200);
  EXPECT_EQ(drops_, 3);
}

}  // namespace
