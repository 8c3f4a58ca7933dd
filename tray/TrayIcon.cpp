// The tray icon's life and properties, and the hidden window the shell's callbacks reach.
// The shell record is in TrayIconShell.cpp, the mouse and its timers in TrayIconMouse.cpp,
// hiding and restoring the main window in TrayIconMainWindow.cpp.
#include "tray/TrayIcon.h"

#include <cstring>
#include <utility>

#include "framework/Controls.h"

namespace {

UINT NextIdentity() {
  static UINT next = 0;
  if (++next == 0) ++next;  // 0 is never an identity
  return next;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TTrayIconHandler

LRESULT CALLBACK TTrayIconHandler::WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
    case WM_TRAYCALLBACK:
      // The shell names the icon by its 32-bit identity; callbacks of icons that are
      // gone are dropped.
      if (TTrayIcon* icon = Shared::Find(Wnd, static_cast<UINT>(WParam)))
        GuardedCall([&] { icon->TrayCallback(static_cast<UINT>(LParam)); });
      return 0;
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
      return 1;
    default:
      return DefWindowProcW(Wnd, Msg, WParam, LParam);
  }
}

// ---------------------------------------------------------------------------------------
// TTrayIcon: construction, loading, destruction

TTrayIcon::TTrayIcon(TComponent* AOwner)
    : TComponent(AOwner), FIdentity(NextIdentity()), FAlive(std::make_shared<bool>(true)) {
  TTrayIconHandler::Shared::Join(FIdentity, this);
  FMdiStartupPending = true;
  FEnabled = true;
  FShowHint = true;
  FPreviewInProgress = false;
  FIcon.OnChange = [this](TObject*) { UpdateTrayIcon(); };

  std::memset(&FIconRecord, 0, sizeof FIconRecord);
  FIconRecord.cbSize = sizeof FIconRecord;
  // hWnd: the shared window, filled in when the record first goes to the shell.
  FIconRecord.uID = FIdentity;
  FIconRecord.uFlags = kTrayIconFlags;
  FIconRecord.uCallbackMessage = WM_TRAYCALLBACK;

  FCycleTicker = std::make_unique<TSimpleTimer>(1000, [this](TObject*) { CycleStep(); });
  FClickTicker = std::make_unique<TSimpleTimer>(1000, [this](TObject*) { ClickStep(); });
  FLeaveTicker = std::make_unique<TSimpleTimer>(20, [this](TObject*) { LeaveCheck(); });
  FPointerOutside = true;

  SetDesignPreview(FDesignPreview);

  if (!Designing()) InstallWindowHooks();
}

TTrayIcon::~TTrayIcon() {
  *FAlive = false;
  try {
    SetIconVisible(false);
    SetDesignPreview(false);
  } catch (...) {
    // the hooks below go in any case
  }
  try {
    FCycleTicker.reset();
    FClickTicker.reset();
    FLeaveTicker.reset();
    FIcon.OnChange = nullptr;
    FIcon.SetHandle(nullptr);
  } catch (...) {
    // an icon that cannot be freed must not keep the hooks in place
  }
  if (!Designing()) RemoveWindowHooks();
  TTrayIconHandler::Shared::Leave(FIdentity, this);
}

TWinControl* TTrayIcon::OwnerControl() const {
  return dynamic_cast<TWinControl*>(Owner());
}

void TTrayIcon::Loaded() {
  TComponent::Loaded();
  if (OwnerControl() && !Designing()) {
    bool show = true;
    if (OnStartup) OnStartup(this, show);
    if (!show) {
      Application->ShowMainForm = false;
      HideMainWindow();
    }
  }
  // While the program starts, the icon's state goes to the shell right after the main
  // window's first picture: the calls go to another process (and the first one loads the
  // shell library), and an icon that is not shown yet has nothing to show before then.
  // The state handed over is the one the icon has at that moment.
  if (!Designing() && Application->WaitingForFirstShow()) {
    Application->AfterFirstShow([this, alive = FAlive] {
      if (*alive) HandStateToShell();
    });
    return;
  }
  HandStateToShell();
}

void TTrayIcon::HandStateToShell() {
  UpdateTrayIcon();
  SetIconVisible(FIconVisible);
  SetCycleIcons(FCycleIcons);
  SetWantEnterExitEvents(FWantEnterExitEvents);
  SetCallbackStyle(FCallbackStyle);
}

void TTrayIcon::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FIconList) SetIconList(nullptr);
  if (AComponent == FPopupMenu) FPopupMenu = nullptr;
}

// ---------------------------------------------------------------------------------------
// Properties

void TTrayIcon::SetDesignPreview(bool Value) {
  FDesignPreview = Value;
  FPreviewInProgress = true;
  // Only the designer shows a preview icon; at run time the icon follows IconVisible.
  if (Designing()) {
    if (FIcon.Empty() && WantsDefaultIcon())
      FIcon.SetHandle(CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32517))));
    SetIconVisible(Value);
  }
  FPreviewInProgress = false;
}

void TTrayIcon::SetIconList(TImageList* Value) {
  if (FIconList && FIconList != Value) FIconList->RemoveFreeNotification(this);
  FIconList = Value;
  if (FIconList) FIconList->FreeNotification(this);
  SetIconIndex(0);
}

void TTrayIcon::SetIconIndex(int Value) {
  if (FIconList) {
    FIconIndex = Value;
    int count = FIconList->Count();
    if (FIconIndex >= count) FIconIndex = count - 1;
    if (FIconIndex >= 0) FIconList->GetIcon(FIconIndex, FIcon);
  } else {
    FIconIndex = 0;
  }
  UpdateTrayIcon();
}

void TTrayIcon::SetCycleIcons(bool Value) {
  FCycleIcons = Value;
  if (Value) {
    SetIconIndex(0);
    FCycleTicker->SetInterval(FCycleInterval);
    FCycleTicker->SetEnabled(true);
  } else {
    FCycleTicker->SetEnabled(false);
  }
}

void TTrayIcon::SetCycleInterval(uint32_t Value) {
  FCycleInterval = Value;
  SetCycleIcons(FCycleIcons);
}

void TTrayIcon::SetHint(const std::string& Value) {
  FHint = Value;
  UpdateTrayIcon();
}

void TTrayIcon::SetShowHint(bool Value) {
  FShowHint = Value;
  UpdateTrayIcon();
}

void TTrayIcon::SetIcon(const TIcon& Value) {
  TakeIcon(Value.Empty() ? nullptr : CopyIcon(Value.Handle()));
}

void TTrayIcon::TakeIcon(HICON Value) {
  auto handler = std::move(FIcon.OnChange);
  FIcon.OnChange = nullptr;
  FIcon.SetHandle(Value);
  FIcon.OnChange = std::move(handler);
  UpdateTrayIcon();
}

void TTrayIcon::SetIconVisible(bool Value) {
  if (Value)
    AddTrayIcon();
  else
    RemoveTrayIcon();
}

void TTrayIcon::SetPopupMenu(TPopupMenu* Value) {
  if (FPopupMenu && FPopupMenu != Value) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = Value;
  if (FPopupMenu) FPopupMenu->FreeNotification(this);
}

void TTrayIcon::SetWantEnterExitEvents(bool Value) {
  FWantEnterExitEvents = Value;
  FLeaveTicker->SetEnabled(Value);
}

void TTrayIcon::SetCallbackStyle(int Value) {
  FCallbackStyle = Value;
  if (Value == 0)
    FIconRecord.uVersion = 0;
  else if (Value == 1)
    FIconRecord.uVersion = NOTIFYICON_VERSION;
  Notify(NIM_SETVERSION);
}
