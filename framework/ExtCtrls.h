// Timers and panels.
#pragma once

#include "framework/Controls.h"
#include "framework/SharedWindow.h"

class TTimer;

// The hidden message-only window of all timers, made with the first and destroyed with
// the last; the timers are found by their identifiers.
struct TTimerWindow : TMessageOnlyWindowKind {
  using Shared = TSharedMessageWindow<TTimerWindow, UINT_PTR, TTimer>;
  static constexpr wchar_t ClassName[] = L"TTimerWindow";
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

// Fires OnTimer every Interval milliseconds while Enabled. All timers share one hidden
// message window. SetEnabled may be called from any thread: from a thread other than the
// window's, the switch is posted and takes effect on the window's thread.
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned ms);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool on);
  void SetOnTimer(TNotifyEvent handler);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void Loaded() override;
  // Whether a system timer is running for this component now (a short timer starts one
  // after its first tick).
  bool Running() const { return FRunning; }
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;

 protected:
  virtual void Timer();

 private:
  friend struct TTimerWindow;
  static HWND TimerWindow();
  void UpdateTimer();
  void StartSystemTimer();
  // Runs the first tick of the short timer Id when it is still due.
  static void FirstTick(HWND Wnd, UINT_PTR Id);

  unsigned FInterval = 1000;
  bool FEnabled = true;
  bool FRunning = false;
  bool FFirstTickDue = false;
  UINT_PTR FId;
  TNotifyEvent FOnTimer;
};

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* AOwner);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel b);
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel b);
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void PaintWindow(HDC dc) override;
  void TextChanged() override;

 private:
  TPanelBevel FBevelOuter = bvRaised;
  TPanelBevel FBevelInner = bvNone;
};
