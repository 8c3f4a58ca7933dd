#include "tray/SimpleTimer.h"

#include <utility>

#include "framework/Controls.h"

namespace {

const wchar_t kTimerWindowClass[] = L"TSimpleTimerWindow";

// The one handler of the process. A plain pointer, so that timers freed during program
// end (after the finalizer below has run) still read a valid null.
TSimpleTimerHandler* gHandler = nullptr;

// Frees a handler that is still there at program end (a timer that was never freed
// keeps it alive until then).
struct THandlerFinalizer {
  ~THandlerFinalizer() { delete std::exchange(gHandler, nullptr); }
} gHandlerFinalizer;

}  // namespace

// ---------------------------------------------------------------------------------------
// TSimpleTimerHandler

TSimpleTimerHandler::TSimpleTimerHandler() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(instance, kTimerWindowClass, &wc)) {
    wc = WNDCLASSW{};
    wc.lpfnWndProc = &TSimpleTimerHandler::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kTimerWindowClass;
    RegisterClassW(&wc);
  }
  // A message-only window: it never shows, is never enumerated with the top-level
  // windows and receives nothing but what is sent or posted to it (the timer ticks).
  FWindow = CreateWindowExW(0, kTimerWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            instance, nullptr);
}

TSimpleTimerHandler::~TSimpleTimerHandler() {
  if (FWindow) {
    // Timers that outlive the handler keep no system timer on a dead window.
    for (TSimpleTimer* t : FTimers) t->FRunning = false;
    DestroyWindow(FWindow);
    FWindow = nullptr;
  }
}

void TSimpleTimerHandler::AcquireTimerWindow(TSimpleTimer* Timer) {
  if (!gHandler) gHandler = new TSimpleTimerHandler();
  ++gHandler->FUserCount;
  gHandler->FTimers.insert(Timer);
}

void TSimpleTimerHandler::ReleaseTimerWindow(TSimpleTimer* Timer) {
  if (!gHandler) return;
  gHandler->FTimers.erase(Timer);
  if (gHandler->FUserCount > 0) --gHandler->FUserCount;
  if (gHandler->FUserCount == 0) delete std::exchange(gHandler, nullptr);
}

HWND TSimpleTimerHandler::TimerWindow() {
  return gHandler ? gHandler->FWindow : nullptr;
}

int TSimpleTimerHandler::UserCount() {
  return gHandler ? gHandler->FUserCount : 0;
}

LRESULT CALLBACK TSimpleTimerHandler::WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_TIMER) {
    if (!gHandler || Wnd != gHandler->FWindow) return 0;
    auto* timer = reinterpret_cast<TSimpleTimer*>(WParam);
    // A tick still queued for a timer that was freed or stopped in the meantime is
    // not delivered.
    if (gHandler->FTimers.count(timer) == 0 || !timer->FRunning) return 0;
    timer->Tick();
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
  TSimpleTimerHandler::AcquireTimerWindow(this);
}

TSimpleTimer::~TSimpleTimer() {
  if (FEnabled) Stop(true);
  TSimpleTimerHandler::ReleaseTimerWindow(this);
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
  HWND wnd = TSimpleTimerHandler::TimerWindow();
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
