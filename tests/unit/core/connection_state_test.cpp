#include "core/app/connection_state.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace {

using vpn::app::ConnectionEvent;
using vpn::app::ConnectionState;
using S = ConnectionState;
using E = ConnectionEvent;

const S kStates[] = {
    S::Idle,         S::Dialing,       S::Connected, S::Dropped, S::WaitingToReconnect,
    S::Reconnecting, S::Disconnecting, S::Failed};
const E kEvents[] = {E::Connect,       E::ConnectWithdrawn, E::LineUp,      E::DialFailed,
                     E::TunnelRefused, E::LineLost,         E::RetryDue,    E::RetriesStopped,
                     E::Disconnect,    E::HangUpDone,       E::HangUpFailed};

// Every transition there is; (state, event, dial again) not listed leaves the state alone.
const std::map<std::tuple<S, E, bool>, S> kTransitions = [] {
  std::map<std::tuple<S, E, bool>, S> t;
  auto both = [&](S s, E e, S to) {
    t[{s, e, false}] = to;
    t[{s, e, true}] = to;
  };
  for (S s : {S::Idle, S::Dropped, S::Failed}) both(s, E::Connect, S::Dialing);
  both(S::Dialing, E::ConnectWithdrawn, S::Idle);
  both(S::Dialing, E::LineUp, S::Connected);
  both(S::Dialing, E::DialFailed, S::Failed);
  both(S::Dialing, E::Disconnect, S::Disconnecting);
  // Automatic's next tunnel type belongs to the same connect, or the same try.
  both(S::Dialing, E::TunnelRefused, S::Dialing);
  both(S::Reconnecting, E::TunnelRefused, S::Reconnecting);
  t[{S::Connected, E::LineLost, false}] = S::Dropped;
  t[{S::Connected, E::LineLost, true}] = S::WaitingToReconnect;
  both(S::Connected, E::Disconnect, S::Disconnecting);
  both(S::WaitingToReconnect, E::RetryDue, S::Reconnecting);
  both(S::WaitingToReconnect, E::RetriesStopped, S::Dropped);
  both(S::WaitingToReconnect, E::Disconnect, S::Disconnecting);
  both(S::Reconnecting, E::LineUp, S::Connected);
  t[{S::Reconnecting, E::DialFailed, false}] = S::Failed;
  t[{S::Reconnecting, E::DialFailed, true}] = S::WaitingToReconnect;
  both(S::Reconnecting, E::Disconnect, S::Disconnecting);
  both(S::Disconnecting, E::HangUpDone, S::Idle);
  both(S::Disconnecting, E::HangUpFailed, S::Connected);
  return t;
}();

TEST(ConnectionState, EveryStateAndEventGoesWhereTheTableSays) {
  int accepted = 0;
  for (S s : kStates)
    for (E e : kEvents)
      for (bool again : {false, true}) {
        const auto it = kTransitions.find({s, e, again});
        const std::optional<S> want =
            it == kTransitions.end() ? std::nullopt : std::optional<S>(it->second);
        EXPECT_EQ(vpn::app::NextState(s, e, again), want)
            << vpn::app::StateName(s) << " x " << vpn::app::EventName(e) << " (dial again " << again
            << ")";
        accepted += want.has_value();
      }
  EXPECT_EQ(accepted, static_cast<int>(kTransitions.size()));
}

// The window offers exactly what the state accepts: Connect (button and tray item) where
// a connect is taken, Disconnect where a hang-up is, and the timers only where they have
// work.
TEST(ConnectionState, TheWindowOffersWhatTheStateAccepts) {
  for (S s : kStates) {
    SCOPED_TRACE(vpn::app::StateName(s));
    const vpn::app::ConnectionView v = vpn::app::ViewOf(s);
    EXPECT_EQ(v.inputs_enabled, vpn::app::NextState(s, E::Connect).has_value());
    EXPECT_EQ(v.disconnect_enabled, vpn::app::NextState(s, E::Disconnect).has_value());
    EXPECT_FALSE(v.inputs_enabled && v.disconnect_enabled);
    EXPECT_EQ(v.figures_timer, s == S::Connected);
    EXPECT_EQ(v.reconnect_timer, s == S::WaitingToReconnect);
  }
}

}  // namespace
