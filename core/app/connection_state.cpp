#include "core/app/connection_state.h"

namespace vpn::app {

using S = ConnectionState;
using E = ConnectionEvent;

std::optional<ConnectionState> NextState(ConnectionState state, ConnectionEvent event,
                                         bool dial_again) {
  switch (state) {
    case S::Idle:
    case S::Dropped:
    case S::Failed:
      if (event == E::Connect) return S::Dialing;
      break;
    case S::Dialing:
      switch (event) {
        case E::ConnectWithdrawn:
          return S::Idle;
        case E::LineUp:
          return S::Connected;
        // The user's own connect is not dialed again: the user sees why it failed.
        case E::DialFailed:
          return S::Failed;
        // Automatic goes on with the next tunnel type, in the same connect.
        case E::TunnelRefused:
          return S::Dialing;
        case E::Disconnect:
          return S::Disconnecting;
        default:
          break;
      }
      break;
    case S::Connected:
      if (event == E::LineLost) return dial_again ? S::WaitingToReconnect : S::Dropped;
      if (event == E::Disconnect) return S::Disconnecting;
      break;
    case S::WaitingToReconnect:
      if (event == E::RetryDue) return S::Reconnecting;
      if (event == E::RetriesStopped) return S::Dropped;
      if (event == E::Disconnect) return S::Disconnecting;
      break;
    case S::Reconnecting:
      if (event == E::LineUp) return S::Connected;
      if (event == E::DialFailed) return dial_again ? S::WaitingToReconnect : S::Failed;
      if (event == E::TunnelRefused) return S::Reconnecting;
      if (event == E::Disconnect) return S::Disconnecting;
      break;
    case S::Disconnecting:
      if (event == E::HangUpDone) return S::Idle;
      // The line may still be up: the user can try again.
      if (event == E::HangUpFailed) return S::Connected;
      break;
  }
  return std::nullopt;
}

ConnectionView ViewOf(ConnectionState state) {
  switch (state) {
    case S::Idle:
    case S::Dropped:
    case S::Failed:
      return {true, false, false, false};
    case S::Dialing:
    case S::Reconnecting:
      return {false, true, false, false};
    case S::Connected:
      return {false, true, true, false};
    case S::WaitingToReconnect:
      return {false, true, false, true};
    case S::Disconnecting:
      return {false, false, false, false};
  }
  return {true, false, false, false};
}

const char* StateName(ConnectionState state) {
  switch (state) {
    case S::Idle:
      return "Idle";
    case S::Dialing:
      return "Dialing";
    case S::Connected:
      return "Connected";
    case S::Dropped:
      return "Dropped";
    case S::WaitingToReconnect:
      return "WaitingToReconnect";
    case S::Reconnecting:
      return "Reconnecting";
    case S::Disconnecting:
      return "Disconnecting";
    case S::Failed:
      return "Failed";
  }
  return "?";
}

const char* EventName(ConnectionEvent event) {
  switch (event) {
    case E::Connect:
      return "Connect";
    case E::ConnectWithdrawn:
      return "ConnectWithdrawn";
    case E::LineUp:
      return "LineUp";
    case E::DialFailed:
      return "DialFailed";
    case E::TunnelRefused:
      return "TunnelRefused";
    case E::LineLost:
      return "LineLost";
    case E::RetryDue:
      return "RetryDue";
    case E::RetriesStopped:
      return "RetriesStopped";
    case E::Disconnect:
      return "Disconnect";
    case E::HangUpDone:
      return "HangUpDone";
    case E::HangUpFailed:
      return "HangUpFailed";
  }
  return "?";
}

}  // namespace vpn::app
