// The system's web browser control, hosted in place in a window of class "TWebBrowser".
// Where the system has no browser engine the control is an empty area: creating it
// or navigating never blocks and never shows a dialog.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "framework/Controls.h"

struct IWebBrowser2;
class TBrowserSite;

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

 protected:
  void CreateParams(TCreateParams& Params) override;
  void InitializeWnd() override;
  void WndProc(TMessage& Message) override;
  void BoundsChanged(const RECT& old) override;

 private:
  friend class TBrowserSite;
  void CreateBrowser();
  void DestroyBrowser();
  void UpdateObjectRects();
  bool NavigateNow();

  TBrowserSite* FSite = nullptr;
  IWebBrowser2* FBrowser = nullptr;
  bool FTriedCreate = false;
  bool FCreatePending = false;
  bool FNavigatePending = false;
  // Tells a job queued for after the first show whether this control still exists.
  std::shared_ptr<int> FAlive = std::make_shared<int>(0);
  std::wstring FURL;
};
