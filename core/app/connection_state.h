// The main window's connection as one explicit state. What happens to it (the user's
// connect and disconnect, a dial's outcome, a drop, the wait before the next try, a
// hang-up's outcome) moves it from one state to the next through NextState; the window's
// buttons, the tray menu's items and the timers follow from the state alone (ViewOf).
#pragma once

#include <optional>

namespace vpn::app {

enum class ConnectionState {
  Idle,                // nothing dialed, or the user's hang-up succeeded
  Dialing,             // the user's connect, from its checks to the dial's outcome
  Connected,           // the line is up (or its hang-up failed and it may still be)
  Dropped,             // the line went by itself and is not dialed again
  WaitingToReconnect,  // the line went (or a try failed): the next try is waited for
  Reconnecting,        // a try to dial the dropped line again
  Disconnecting,       // the user's hang-up is under way
  Failed,              // the dial failed, or the tries to dial again ended
};

enum class ConnectionEvent {
  Connect,           // the user's connect passed its checks
  ConnectWithdrawn,  // the connect ended before dialing (the system must restart first)
  LineUp,            // a dial connected
  DialFailed,        // a dial failed or could not start
  TunnelRefused,     // the tunnel type tried is not possible here: the next type is dialed
  LineLost,          // the line went without the user asking
  RetryDue,          // the wait before the next try is over
  RetriesStopped,    // dialing again was switched off while waiting for a try
  Disconnect,        // the user asked to hang up (also by closing the window)
  HangUpDone,        // the line is gone
  HangUpFailed,      // the system refused or did not finish the hang-up
};

// The state after `event`, or no value when the event means nothing in `state` (a late
// dial event after a hang-up, a second connect while one runs): the caller then leaves
// everything as it is. `dial_again` says, for a lost line or a failed try, whether the
// line is to be dialed again (the user's choice, and an error that a new try can cure).
std::optional<ConnectionState> NextState(ConnectionState state, ConnectionEvent event,
                                         bool dial_again = false);

// What the window shows for a state.
struct ConnectionView {
  bool inputs_enabled;      // server, area, user name, password, Connect, both boxes;
                            // also the tray menu's Connect
  bool disconnect_enabled;  // Disconnect, and the tray menu's Disconnect; closing asks first
  bool figures_timer;       // the tray tip's figures are read
  bool reconnect_timer;     // the wait before the next try runs
};
ConnectionView ViewOf(ConnectionState state);

// The state's name as the code spells it ("WaitingToReconnect"), for logs and reports.
const char* StateName(ConnectionState state);
const char* EventName(ConnectionEvent event);

}  // namespace vpn::app
