#include "framework/ExtCtrls.h"

#include "framework/Forms.h"
#include "framework/Gbk.h"

namespace {

UINT_PTR gNextTimerId = 1;

}  // namespace

LRESULT CALLBACK TTimerWindow::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER) {
    if (TTimer* timer = Shared::Find(wnd, wParam)) GuardedCall([timer] { timer->Timer(); });
    return 0;
  }
  if (msg == PM_TIMERDUE) {
    // Still due: a timer switched off before its first tick came is not run, nor one
    // whose first tick ran already.
    TTimer::FirstTick(wnd, wParam);
    return 0;
  }
  if (msg == PM_SETTIMERENABLED) {
    // A timer freed before the request arrived is simply not found. A short timer's
    // first tick is due now: it runs here rather than one more message later (the dial's
    // notifier hands each state over this way).
    if (TTimer* timer = Shared::Find(wnd, wParam)) {
      GuardedCall([timer, lParam] { timer->SetEnabled(lParam != 0); });
      TTimer::FirstTick(wnd, wParam);
    }
    return 0;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), FId(gNextTimerId++) {
  // The window exists from the first timer on, on the thread that makes timers, so that
  // another thread can hand it a switch request at any time.
  TTimerWindow::Shared::Join(FId, this);
  if (!TimerWindow()) {
    TTimerWindow::Shared::Leave(FId, this);
    throw Exception("Cannot create the timer window");
  }
}

TTimer::~TTimer() {
  FEnabled = false;
  UpdateTimer();
  TTimerWindow::Shared::Leave(FId, this);
}

HWND TTimer::TimerWindow() {
  return TTimerWindow::Shared::Window();
}

void TTimer::SetInterval(unsigned ms) {
  if (ms == FInterval) return;
  FInterval = ms;
  UpdateTimer();
}

void TTimer::SetEnabled(bool on) {
  // System timers belong to the thread of their window: from any other thread the
  // switch is posted to that thread and done there.
  if (GetWindowThreadProcessId(TimerWindow(), nullptr) != GetCurrentThreadId()) {
    PostMessageW(TimerWindow(), PM_SETTIMERENABLED, FId, on ? 1 : 0);
    return;
  }
  if (on == FEnabled) return;
  FEnabled = on;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  FOnTimer = std::move(handler);
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (FRunning) {
    KillTimer(TimerWindow(), FId);
    FRunning = false;
  }
  FFirstTickDue = false;
  if (FEnabled && FInterval > 0 && FOnTimer && !HasState(csLoading | csDestroying)) {
    // The system ticks no faster than every USER_TIMER_MINIMUM ms: a shorter interval's
    // first tick is due at the next pump, not a whole system tick later, and the system
    // timer starts after it. A timer that its first tick switches off (the dial's event
    // timer) never asks the system for one.
    if (FInterval < USER_TIMER_MINIMUM) {
      FFirstTickDue = true;
      PostMessageW(TimerWindow(), PM_TIMERDUE, FId, 0);
      return;
    }
    StartSystemTimer();
  }
}

void TTimer::StartSystemTimer() {
  if (!SetTimer(TimerWindow(), FId, FInterval, nullptr))
    throw Exception("Not enough timers available");
  FRunning = true;
}

void TTimer::FirstTick(HWND Wnd, UINT_PTR Id) {
  TTimer* timer = TTimerWindow::Shared::Find(Wnd, Id);
  if (!timer || !timer->FFirstTickDue) return;
  timer->FFirstTickDue = false;
  GuardedCall([timer] { timer->Timer(); });
  // The tick may have freed the timer (identifiers are never used again).
  if (TTimerWindow::Shared::Find(Wnd, Id) != timer) return;
  // Still on after its first tick (and not switched off and on again in it): the
  // system keeps the rhythm from here.
  if (timer->FEnabled && !timer->FRunning && !timer->FFirstTickDue && timer->FInterval > 0 &&
      timer->FOnTimer && !timer->HasState(csLoading | csDestroying))
    GuardedCall([timer] { timer->StartSystemTimer(); });
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {
  FOwnPaint = true;
  FWidth = 185;
  FHeight = 41;
}

void TPanel::SetBevelOuter(TPanelBevel b) {
  FBevelOuter = b;
  Invalidate();
}

void TPanel::SetBevelInner(TPanelBevel b) {
  FBevelInner = b;
  Invalidate();
}

void TPanel::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style |= WS_CLIPCHILDREN;
}

void TPanel::TextChanged() {
  TWinControl::TextChanged();
  Invalidate();
}

void TPanel::PaintWindow(HDC dc) {
  RECT r;
  GetClientRect(Handle(), &r);
  auto edge = [&](TPanelBevel b, UINT raised, UINT sunken) {
    if (b == bvNone) return;
    if (b != bvSpace) DrawEdge(dc, &r, b == bvRaised ? raised : sunken, BF_RECT);
    InflateRect(&r, -1, -1);
  };
  edge(FBevelOuter, BDR_RAISEDOUTER, BDR_SUNKENOUTER);
  edge(FBevelInner, BDR_RAISEDINNER, BDR_SUNKENINNER);
  std::wstring text = GbkToWide(FText);
  TSelectObject font(dc, FFont.Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(FFont.Color()));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
}

bool TTimer::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "Interval") {
    SetInterval(static_cast<unsigned>(std::stoul(value)));
  } else if (name == "Enabled") {
    SetEnabled(LayoutBool(value));
  } else {
    return TComponent::SetLayoutProperty(name, value);
  }
  return true;
}

bool TTimer::SetLayoutEvent(const std::string& event, const std::any& handler) {
  if (event == "OnTimer") {
    TNotifyEvent h;
    AssignLayoutEvent(h, handler, event);
    SetOnTimer(h);
    return true;
  }
  return TComponent::SetLayoutEvent(event, handler);
}

bool TPanel::SetLayoutProperty(const std::string& name, const std::string& value) {
  auto bevel = [](const std::string& v) {
    if (v == "bvNone") return bvNone;
    if (v == "bvLowered") return bvLowered;
    if (v == "bvRaised") return bvRaised;
    if (v == "bvSpace") return bvSpace;
    throw Exception("Not a bevel: " + v);
  };
  if (name == "BevelOuter") {
    SetBevelOuter(bevel(value));
  } else if (name == "BevelInner") {
    SetBevelInner(bevel(value));
  } else {
    return TWinControl::SetLayoutProperty(name, value);
  }
  return true;
}
