#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/unit/tray/pump.h"
#include "tray/SimpleTimer.h"

namespace {

// The system timer of a simple timer exists exactly when KillTimer on the shared window
// succeeds, which Stop(false) reports; used as the last probe of a scenario.
bool SystemTimerSet(TSimpleTimer& t) {
  return t.Stop(false);
}

TEST(SimpleTimer, StartsDisabledWithItsInterval) {
  TSimpleTimer a;
  EXPECT_FALSE(a.Enabled());
  EXPECT_EQ(a.Interval(), 1000u);
  EXPECT_FALSE(a.OnTimer());
  EXPECT_FALSE(a.OneShot());
  TSimpleTimer b(20, [](TObject*) {});
  EXPECT_EQ(b.Interval(), 20u);
  EXPECT_TRUE(b.OnTimer());
  EXPECT_FALSE(b.Enabled());
  EXPECT_FALSE(SystemTimerSet(b));
}

TEST(SimpleTimer, TicksCarryTheTimerAsSender) {
  std::vector<TObject*> senders;
  auto record = [&](TObject* s) { senders.push_back(s); };
  TSimpleTimer a(15, record), b(25, record);
  a.SetEnabled(true);
  b.SetEnabled(true);
  EXPECT_TRUE(a.Enabled());
  auto count = [&](TObject* who) {
    int n = 0;
    for (TObject* s : senders) n += s == who;
    return n;
  };
  ASSERT_TRUE(PumpUntil([&] { return count(&a) >= 3 && count(&b) >= 2; }, 5000));
  a.SetEnabled(false);
  b.SetEnabled(false);
  EXPECT_FALSE(a.Enabled());
  senders.clear();
  PumpFor(80);
  EXPECT_TRUE(senders.empty());
}

TEST(SimpleTimer, ZeroIntervalNeverRuns) {
  int ticks = 0;
  TSimpleTimer t(0, [&](TObject*) { ++ticks; });
  t.SetEnabled(true);
  EXPECT_FALSE(t.Enabled());
  EXPECT_FALSE(t.Start());
  EXPECT_FALSE(t.Enabled());
  PumpFor(50);
  EXPECT_EQ(ticks, 0);
}

TEST(SimpleTimer, IntervalChangesFollowTheRules) {
  int ticks = 0;
  TSimpleTimer t(30, [&](TObject*) { ++ticks; });
  ASSERT_TRUE(t.Start());

  // Interval 0 while running: the system timer goes, the timer stays wanted.
  t.SetInterval(0);
  EXPECT_TRUE(t.Enabled());
  EXPECT_FALSE(t.Running());
  ticks = 0;
  PumpFor(100);
  EXPECT_EQ(ticks, 0);

  // Back to a period: it runs again by itself.
  t.SetInterval(10);
  EXPECT_TRUE(t.Running());
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }, 5000));

  // The same value again while paused does not restart it; a new value does.
  t.SetOnTimer(nullptr);
  EXPECT_TRUE(t.Enabled());
  EXPECT_FALSE(t.Running());
  t.SetInterval(10);
  EXPECT_FALSE(t.Running());
  EXPECT_FALSE(SystemTimerSet(t));
  t.SetInterval(11);
  EXPECT_TRUE(t.Running());
  EXPECT_TRUE(SystemTimerSet(t));
}

TEST(SimpleTimer, ClearingOnTimerPausesAndReassigningDoesNotRestart) {
  int ticks = 0;
  auto handler = [&](TObject*) { ++ticks; };
  TSimpleTimer t(10, handler);
  t.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }, 5000));
  t.SetOnTimer(nullptr);
  EXPECT_TRUE(t.Enabled());
  t.SetOnTimer(handler);
  ticks = 0;
  PumpFor(100);
  EXPECT_EQ(ticks, 0);
  EXPECT_TRUE(t.Enabled());
  EXPECT_FALSE(SystemTimerSet(t));
  // Enabling again (it is still wanted) does start it.
  t.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }, 5000));
}

TEST(SimpleTimer, StopWithoutDisableKeepsItWanted) {
  TSimpleTimer t(20, [](TObject*) {});
  ASSERT_TRUE(t.Start());
  EXPECT_TRUE(t.Stop(false));
  EXPECT_TRUE(t.Enabled());
  EXPECT_FALSE(t.Stop(true));  // nothing left to kill
  EXPECT_FALSE(t.Enabled());
}

TEST(SimpleTimer, OneShotStopsAfterTheFirstTick) {
  int ticks = 0;
  TSimpleTimer t(10, [&](TObject*) { ++ticks; });
  t.SetOneShot(true);
  t.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }, 5000));
  EXPECT_FALSE(t.Enabled());
  PumpFor(80);
  EXPECT_EQ(ticks, 1);
}

TEST(SimpleTimer, ATimerMayFreeItselfInItsTick) {
  int ticks = 0;
  auto* t = new TSimpleTimer(10, nullptr);
  t->SetOnTimer([&](TObject* s) {
    ++ticks;
    delete static_cast<TSimpleTimer*>(s);
  });
  t->SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }, 5000));
  PumpFor(60);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(TSimpleTimerHandler::UserCount(), 0);
}

TEST(SimpleTimerHandler, OneWindowForAllTimersGoneWithTheLast) {
  ASSERT_EQ(TSimpleTimerHandler::UserCount(), 0);
  EXPECT_EQ(TSimpleTimerHandler::TimerWindow(), nullptr);
  std::vector<std::unique_ptr<TSimpleTimer>> timers;
  std::vector<int> ticks(20);
  for (int i = 0; i < 20; ++i)
    timers.push_back(std::make_unique<TSimpleTimer>(5 + i, [&ticks, i](TObject*) { ++ticks[i]; }));
  // Timers that have not started have no window yet, and stopping one makes none.
  timers[0]->SetEnabled(false);
  EXPECT_EQ(TSimpleTimerHandler::Shared::ExistingWindow(), nullptr);
  timers[0]->SetEnabled(true);
  HWND wnd = TSimpleTimerHandler::Shared::ExistingWindow();
  ASSERT_NE(wnd, nullptr);
  EXPECT_TRUE(IsWindow(wnd));
  EXPECT_EQ(TSimpleTimerHandler::UserCount(), 20);
  for (auto& t : timers) t->SetEnabled(true);
  ASSERT_TRUE(PumpUntil(
      [&] {
        for (int n : ticks)
          if (n == 0) return false;
        return true;
      },
      5000));
  for (int i = 0; i < 19; ++i) timers[i].reset();
  EXPECT_EQ(TSimpleTimerHandler::TimerWindow(), wnd);
  EXPECT_TRUE(IsWindow(wnd));
  EXPECT_EQ(TSimpleTimerHandler::UserCount(), 1);
  timers.back().reset();
  EXPECT_EQ(TSimpleTimerHandler::UserCount(), 0);
  EXPECT_EQ(TSimpleTimerHandler::TimerWindow(), nullptr);
  EXPECT_FALSE(IsWindow(wnd));
  // A new timer brings a new window.
  TSimpleTimer again;
  EXPECT_NE(TSimpleTimerHandler::TimerWindow(), nullptr);
}

TEST(SimpleTimerHandler, StaleTicksOfFreedTimersAreDropped) {
  TSimpleTimer keeper;  // keeps the window alive
  HWND wnd = TSimpleTimerHandler::TimerWindow();
  int ticks = 0;
  auto* t = new TSimpleTimer(10, [&](TObject*) { ++ticks; });
  UINT_PTR id = t->Identity();
  delete t;
  // A WM_TIMER with the identity of the freed timer, as if one was still queued.
  SendMessageW(wnd, WM_TIMER, id, 0);
  EXPECT_EQ(ticks, 0);
}

}  // namespace
