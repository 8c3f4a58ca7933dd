#include "tray/SimpleTimer.h"

#include <utility>

#include "framework/Controls.h"

LRESULT CALLBACK TSimpleTimerHandler::WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_TIMER) {
    // A tick still queued for a timer that was freed or stopped in the meantime is
    // not delivered.
    TSimpleTimer* timer = Shared::Find(Wnd, reinterpret_cast<TSimpleTimer*>(WParam));
    if (timer && timer->FRunning) timer->Tick();
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

// ---------------------------------------------------------------------------------------
// TSimpleTimer

TSimpleTimer::TSimpleTimer() {
  Init(1000, nullptr);
}

TSimpleTimer::TSimpleTimer(uint32_t Interval, TNotifyEvent OnTimer) {
  Init(Interval, std::move(OnTimer));
}

void TSimpleTimer::Init(uint32_t Interval, TNotifyEvent OnTimer) {
  FOneShot = false;
  FEnabled = false;
  FInterval = Interval;
  SetOnTimer(std::move(OnTimer));
  TSimpleTimerHandler::Shared::Join(this, this);
}

TSimpleTimer::~TSimpleTimer() {
  if (FEnabled) Stop(true);
  TSimpleTimerHandler::Shared::Leave(this, this);
}

bool TSimpleTimer::Start() {
  if (FInterval == 0) return false;
  if (FEnabled) Stop(true);
  HWND wnd = TSimpleTimerHandler::TimerWindow();
  bool ok = wnd != nullptr && SetTimer(wnd, Identity(), FInterval, nullptr) != 0;
  if (ok) {
    FEnabled = true;
    FRunning = true;
  }
  return ok;
}

bool TSimpleTimer::Stop(bool Disable) {
  if (Disable) FEnabled = false;
  FRunning = false;
  // A timer that never started has no system timer: no window is made to stop it on.
  HWND wnd = TSimpleTimerHandler::Shared::ExistingWindow();
  return wnd != nullptr && KillTimer(wnd, Identity()) != 0;
}

void TSimpleTimer::SetEnabled(bool Value) {
  if (Value)
    Start();
  else
    Stop(true);
}

void TSimpleTimer::SetInterval(uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  if (!FEnabled) return;
  if (Value != 0)
    Start();
  else
    Stop(false);
}

void TSimpleTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = std::move(Value);
  if (!FOnTimer && FEnabled) Stop(false);
}

void TSimpleTimer::Tick() {
  if (FOneShot) Stop(true);
  if (FOnTimer) {
    // The handler may reassign OnTimer or free this timer: call a copy and touch
    // nothing of the timer afterwards.
    // A handler that throws reaches the application's default handler; nothing may
    // unwind through the system's window procedure.
    TNotifyEvent handler = FOnTimer;
    GuardedCall([&] { handler(this); });
  }
}
