// A light timer object built on window-message timers. Every simple timer of the
// process shares one hidden window; the timer's own address is its timer identifier,
// so a WM_TIMER names the timer that fired. The tray icon owns three of them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/Classes.h"
#include "framework/SharedWindow.h"

class TSimpleTimer : public TObject {
 public:
  TSimpleTimer();  // Interval 1000, no OnTimer
  TSimpleTimer(uint32_t Interval, TNotifyEvent OnTimer);
  ~TSimpleTimer() override;
  TSimpleTimer(const TSimpleTimer&) = delete;
  TSimpleTimer& operator=(const TSimpleTimer&) = delete;

  // Sets the system timer with the current interval (restarting it when it runs).
  // False, and nothing done, when the interval is 0 or the system refuses the timer.
  bool Start();
  // Kills the system timer. With Disable False the timer stays wanted (Enabled), so a
  // later non-zero Interval starts it again.
  bool Stop(bool Disable);

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  uint32_t Interval() const { return FInterval; }
  void SetInterval(uint32_t Value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);
  bool OneShot() const { return FOneShot; }
  void SetOneShot(bool Value) { FOneShot = Value; }

  // The identifier given to SetTimer/KillTimer and carried back in WM_TIMER's wParam.
  UINT_PTR Identity() const { return reinterpret_cast<UINT_PTR>(this); }
  // Whether a system timer is set for this timer right now.
  bool Running() const { return FRunning; }

 private:
  friend class TSimpleTimerHandler;
  void Init(uint32_t Interval, TNotifyEvent OnTimer);
  void Tick();

  bool FEnabled = false;
  bool FRunning = false;
  bool FOneShot = false;
  uint32_t FInterval = 1000;
  TNotifyEvent FOnTimer;
};

// The shared hidden window of the simple timers: a message-only window made when the
// first timer starts and destroyed with the last timer. The live timers are its users, so
// a tick that arrives for a timer already destroyed is dropped.
class TSimpleTimerHandler : public TMessageOnlyWindowKind {
 public:
  using Shared = TSharedMessageWindow<TSimpleTimerHandler, TSimpleTimer*, TSimpleTimer>;
  static constexpr wchar_t ClassName[] = L"TSimpleTimerWindow";
  // The tray icon's timers are made with it, while the program starts, but run only
  // later: no window is made for them before one starts.
  static constexpr bool MadeOnFirstUse = true;
  static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  // A timer that outlives the window keeps no system timer on it.
  static void WindowGone(TSimpleTimer* Timer) { Timer->FRunning = false; }

  // The shared window (made now if no timer has started yet), or nullptr while no timer
  // exists.
  static HWND TimerWindow() { return Shared::Window(); }
  static int UserCount() { return Shared::UserCount(); }
};
