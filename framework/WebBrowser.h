// The system's web browser control, hosted in place in a window of class "TWebBrowser".
// Creating it or navigating never blocks and never shows a dialog. When an address cannot
// be shown (the system has no browser engine, the browser reports an error for the page,
// or no page arrives in time) the browser object is closed and the control shows what its
// owner paints instead.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "framework/Controls.h"

struct IUnknown;
struct IWebBrowser2;
class TBrowserSite;
class TBrowserEvents;

class TWebBrowser : public TWinControl {
 public:
  explicit TWebBrowser(TComponent* AOwner);
  ~TWebBrowser() override;

  // Starts loading the address; false when no browser object could be made. Before the
  // main form's first show the browser object does not exist yet: the address is loaded
  // as soon as it does.
  bool Navigate(std::wstring_view URL);
  // The hosted browser object, or null (no engine, or the window does not exist yet).
  IWebBrowser2* Browser();
  // Whether the system's browser object was created and activated in this window.
  bool Hosted() const { return FBrowser != nullptr; }
  // The last address navigated to.
  const std::wstring& LocationURL() const { return FURL; }

  // How long a navigation may take to bring its page before it counts as failed.
  DWORD NavigateTimeoutMs = 15000;
  // Told once for each navigation whose page cannot be shown, after the browser object
  // has been closed.
  TNotifyEvent OnNavigateFailed;
  // Paints the control's client area (Rect) while a failed navigation leaves it without a
  // page, into an off-screen picture that is then copied in one piece. Without it the
  // control shows its colour.
  std::function<void(HDC DC, const RECT& Rect)> OnPaintPlaceholder;
  // Whether the last navigation failed; its page is not shown.
  bool NavigateFailed() const { return FFailed; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& Message) override;
  void BoundsChanged(const RECT& old) override;
  void PaintWindow(HDC DC) override;

 private:
  friend class TBrowserSite;
  friend class TBrowserEvents;
  // The top-level page arrived, or the browser reported that it will not.
  void PageArrived(IUnknown* Frame);
  void PageFailed(IUnknown* Frame);
  bool IsTopFrame(IUnknown* Frame) const;
  // Closes the browser object and tells the owner; runs from the control's own message.
  void Fail();
  void ReportFailure();
  void CreateBrowser();
  void DestroyBrowser();
  void UpdateObjectRects();
  bool NavigateNow();

  TBrowserSite* FSite = nullptr;
  IWebBrowser2* FBrowser = nullptr;
  TBrowserEvents* FEvents = nullptr;
  DWORD FEventsCookie = 0;
  bool FFailed = false;
  bool FWaitingForPage = false;
  WPARAM FNavigation = 0;  // counts the navigations, so that a late failure notice is ignored
  bool FTriedCreate = false;
  bool FCreatePending = false;
  bool FNavigatePending = false;
  // Tells a job queued for after the first show whether this control still exists.
  std::shared_ptr<int> FAlive = std::make_shared<int>(0);
  std::wstring FURL;
};
