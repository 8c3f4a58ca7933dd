#include "tray/TrayIcon.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/tray/tray_text.h"
#include "framework/Controls.h"
#include "framework/Gbk.h"

TShellNotifyIconFunc TrayShellNotifyIcon = &Shell_NotifyIconW;

namespace {

// Shells older than the 4.71 common controls never announce a new task bar.
UINT RegisterTaskbarCreated() {
  HMODULE comctl = LoadLibraryW(L"comctl32.dll");
  if (!comctl) return 0;
  UINT message = 0;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (getVersion && SUCCEEDED(getVersion(&info)) &&
      (info.dwMajorVersion > 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion >= 71)))
    message = RegisterWindowMessageA("TaskbarCreated");
  FreeLibrary(comctl);
  return message;
}

const wchar_t kTrayWindowClass[] = L"TTrayIconWindow";

// The one handler of the process; a plain pointer, so that icons freed during program
// end (after the finalizer has run) still read a valid null.
TTrayIconHandler* gHandler = nullptr;

struct THandlerFinalizer {
  ~THandlerFinalizer() { delete std::exchange(gHandler, nullptr); }
} gHandlerFinalizer;

UINT NextIdentity() {
  static UINT next = 0;
  if (++next == 0) ++next;  // 0 is never an identity
  return next;
}

// Puts a GBK text into a text field of the record: at most N - 1 bytes of it, cut between
// characters, handed over in UTF-16 (never more units than bytes), the rest zero.
template <size_t N>
void CopyToField(const std::string& Text, wchar_t (&Field)[N]) {
  std::memset(Field, 0, sizeof Field);
  const std::wstring wide = GbkToWide(vpn::GbkPrefix(Text, N - 1));
  std::copy_n(wide.begin(), std::min(wide.size(), N - 1), Field);
}

TShiftState KeyShiftState() {
  TShiftState s = 0;
  if (GetAsyncKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetAsyncKeyState(VK_MENU) < 0) s |= ssAlt;
  if (GetAsyncKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  return s;
}

}  // namespace

const UINT TaskbarCreatedMessage = RegisterTaskbarCreated();

// ---------------------------------------------------------------------------------------
// TTrayIconHandler

TTrayIconHandler::TTrayIconHandler() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(instance, kTrayWindowClass, &wc)) {
    wc = WNDCLASSW{};
    wc.lpfnWndProc = &TTrayIconHandler::TrayWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kTrayWindowClass;
    RegisterClassW(&wc);
  }
  // A hidden top-level window: it hears the session's end like every top-level window.
  FWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kTrayWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, instance, nullptr);
}

TTrayIconHandler::~TTrayIconHandler() {
  if (FWindow) DestroyWindow(FWindow);
}

void TTrayIconHandler::AcquireTrayWindow(TTrayIcon* Icon) {
  if (!gHandler) gHandler = new TTrayIconHandler();
  ++gHandler->FUserCount;
  gHandler->FIcons[Icon->Identity()] = Icon;
}

void TTrayIconHandler::ReleaseTrayWindow(TTrayIcon* Icon) {
  if (!gHandler) return;
  auto it = gHandler->FIcons.find(Icon->Identity());
  if (it != gHandler->FIcons.end() && it->second == Icon) gHandler->FIcons.erase(it);
  if (gHandler->FUserCount > 0) --gHandler->FUserCount;
  if (gHandler->FUserCount == 0) delete std::exchange(gHandler, nullptr);
}

HWND TTrayIconHandler::TrayWindow() {
  return gHandler ? gHandler->FWindow : nullptr;
}

int TTrayIconHandler::UserCount() {
  return gHandler ? gHandler->FUserCount : 0;
}

LRESULT CALLBACK TTrayIconHandler::TrayWindowProc(HWND Wnd, UINT Msg, WPARAM WParam,
                                                  LPARAM LParam) {
  switch (Msg) {
    case WM_TRAYCALLBACK: {
      if (!gHandler) return 0;
      // The shell names the icon by its 32-bit identity; callbacks of icons that are
      // gone are dropped.
      auto it = gHandler->FIcons.find(static_cast<UINT>(WParam));
      if (it != gHandler->FIcons.end())
        GuardedCall([&] { it->second->TrayCallback(static_cast<UINT>(LParam)); });
      return 0;
    }
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
  TTrayIconHandler::AcquireTrayWindow(this);
  FMdiStartupPending = true;
  FEnabled = true;
  FShowHint = true;
  FPreviewInProgress = false;
  FIcon.OnChange = [this](TObject*) { UpdateTrayIcon(); };

  std::memset(&FIconRecord, 0, sizeof FIconRecord);
  FIconRecord.cbSize = sizeof FIconRecord;
  FIconRecord.hWnd = TTrayIconHandler::TrayWindow();
  FIconRecord.uID = FIdentity;
  FIconRecord.uFlags = kTrayIconFlags;
  FIconRecord.uCallbackMessage = WM_TRAYCALLBACK;

  FCycleTicker = std::make_unique<TSimpleTimer>(1000, [this](TObject*) { CycleStep(); });
  FClickTicker = std::make_unique<TSimpleTimer>(1000, [this](TObject*) { ClickStep(); });
  FLeaveTicker = std::make_unique<TSimpleTimer>(20, [this](TObject*) { LeaveCheck(); });
  FPointerOutside = true;

  SetDesignPreview(FDesignPreview);

  if (!Designing()) {
    FAppHook = Application->HookMainWindow([this](TMessage& m) { return AppMessageHook(m); });
    if (TWinControl* owner = OwnerControl()) {
      FSubclassed = owner;
      FOldWindowProc = owner->WindowProc;
      owner->WindowProc = [this](TMessage& m) { OwnerWindowProc(m); };
    }
  }
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
  if (!Designing()) {
    if (FAppHook) Application->UnhookMainWindow(FAppHook);
    FAppHook = 0;
    if (FSubclassed && FOldWindowProc) FSubclassed->WindowProc = std::move(FOldWindowProc);
    FSubclassed = nullptr;
  }
  TTrayIconHandler::ReleaseTrayWindow(this);
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
// The shell record

bool TTrayIcon::Notify(DWORD Message) {
  return TrayShellNotifyIcon(Message, reinterpret_cast<PNOTIFYICONDATAW>(&FIconRecord)) != 0;
}

bool TTrayIcon::FillIconRecord() {
  if (Designing() && !FPreviewInProgress && !FDesignPreview) return false;
  FIconRecord.hIcon = FIcon.Handle();
  if (!FHint.empty() && FShowHint)
    CopyToField(FHint, FIconRecord.szTip);
  else
    std::memset(FIconRecord.szTip, 0, sizeof FIconRecord.szTip);
  return true;
}

bool TTrayIcon::AddTrayIcon() {
  if (!FPreviewInProgress) FIconVisible = true;
  if (Designing() && !FPreviewInProgress) return false;
  return FillIconRecord() && Notify(NIM_ADD);
}

bool TTrayIcon::RemoveTrayIcon() {
  if (!FPreviewInProgress) FIconVisible = false;
  if (Designing() && !FPreviewInProgress) return false;
  return FillIconRecord() && Notify(NIM_DELETE);
}

bool TTrayIcon::UpdateTrayIcon() {
  return FillIconRecord() && Notify(NIM_MODIFY);
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
  auto handler = std::move(FIcon.OnChange);
  FIcon.OnChange = nullptr;
  FIcon.Assign(Value);
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

// ---------------------------------------------------------------------------------------
// Balloons

bool TTrayIcon::HideBalloon() {
  FIconRecord.uFlags |= NIF_INFO;
  std::memset(FIconRecord.szInfo, 0, sizeof FIconRecord.szInfo);
  return UpdateTrayIcon();
}

bool TTrayIcon::ShowBalloon(const std::string& Title, const std::string& Text,
                            BalloonIconKind IconKind, uint8_t TimeoutSeconds) {
  HideBalloon();
  FIconRecord.uFlags |= NIF_INFO;
  CopyToField(Text, FIconRecord.szInfo);
  CopyToField(Title, FIconRecord.szInfoTitle);
  FIconRecord.uTimeout = static_cast<UINT>(TimeoutSeconds) * 1000;
  switch (IconKind) {
    case bikNone:
      FIconRecord.dwInfoFlags = NIIF_NONE;
      break;
    case bikInfo:
      FIconRecord.dwInfoFlags = NIIF_INFO;
      break;
    case bikWarning:
      FIconRecord.dwInfoFlags = NIIF_WARNING;
      break;
    case bikError:
      FIconRecord.dwInfoFlags = NIIF_ERROR;
      break;
  }
  bool result = UpdateTrayIcon();
  FIconRecord.uFlags = kTrayIconFlags;
  return result;
}

// ---------------------------------------------------------------------------------------
// Event raisers

void TTrayIcon::Click() {
  if (OnClick) OnClick(this);
}
void TTrayIcon::DblClick() {
  if (OnDblClick) OnDblClick(this);
}
void TTrayIcon::Cycle(int NextIndex) {
  if (OnCycle) OnCycle(this, NextIndex);
}
void TTrayIcon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TTrayIcon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TTrayIcon::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}
void TTrayIcon::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}
void TTrayIcon::MouseExit() {
  if (OnMouseExit) OnMouseExit(this);
}

// ---------------------------------------------------------------------------------------
// Shell callbacks and the three timers

void TTrayIcon::TrayCallback(UINT Event) {
  std::shared_ptr<bool> alive = FAlive;
  auto raise = [&](auto&& f) {
    if (*alive) GuardedCall(f);  // a throwing handler reaches the default handler
    return *alive;
  };
  auto balloon = [&](TNotifyEvent& e) {
    if (e) raise([&] { e(this); });
  };
  switch (Event) {
    case NIN_BALLOONSHOW:
      balloon(OnBalloonHintShow);
      return;
    case NIN_BALLOONHIDE:
      balloon(OnBalloonHintHide);
      return;
    case NIN_BALLOONTIMEOUT:
      balloon(OnBalloonHintTimeout);
      return;
    case NIN_BALLOONUSERCLICK:
      balloon(OnBalloonHintClick);
      return;
    default:
      break;
  }
  if (!FEnabled) return;

  // Position and keys as they are now, not as the message says.
  POINT p{};
  GetCursorPos(&p);
  TShiftState shift = KeyShiftState();
  switch (Event) {
    case WM_MOUSEMOVE:
      if (FWantEnterExitEvents && FPointerOutside) {
        if (!raise([&] { MouseEnter(); })) return;
        FPointerOutside = false;
      }
      if (!raise([&] { MouseMove(shift, p.x, p.y); })) return;
      FLastPointerPos = p;
      break;
    case WM_LBUTTONDOWN:
      if (OnDblClick) {
        FClickTicker->SetInterval(GetDoubleClickTime());
        FClickTicker->SetEnabled(true);
      }
      if (!raise([&] { MouseDown(mbLeft, shift | ssLeft, p.x, p.y); })) return;
      FClickArmed = true;
      if (FLeftPopup) raise([&] { PopupAtCursor(); });
      break;
    case WM_LBUTTONUP:
      if (FClickArmed) FClickReady = true;
      if (FClickArmed && !FClickTicker->Enabled()) {
        FClickArmed = false;
        FClickReady = false;
        if (!raise([&] { Click(); })) return;
      }
      FClickArmed = false;
      raise([&] { MouseUp(mbLeft, shift | ssLeft, p.x, p.y); });
      break;
    case WM_LBUTTONDBLCLK:
      FClickReady = false;
      FDoubleClicked = true;
      if (!raise([&] { DblClick(); })) return;
      raise([&] { DefaultItemClick(); });
      break;
    case WM_RBUTTONDOWN:
      if (!raise([&] { MouseDown(mbRight, shift | ssRight, p.x, p.y); })) return;
      raise([&] { PopupAtCursor(); });
      break;
    case WM_RBUTTONUP:
      if (FCallbackStyle == 0) raise([&] { MouseUp(mbRight, shift | ssRight, p.x, p.y); });
      break;
    case WM_MBUTTONDOWN:
      raise([&] { MouseDown(mbMiddle, shift | ssMiddle, p.x, p.y); });
      break;
    case WM_MBUTTONUP:
      raise([&] { MouseUp(mbMiddle, shift | ssMiddle, p.x, p.y); });
      break;
    case WM_CONTEXTMENU:
    case NIN_SELECT:
    case NIN_KEYSELECT:
      if (FCallbackStyle == 1) raise([&] { MouseUp(mbRight, shift | ssRight, p.x, p.y); });
      break;
    default:
      break;
  }
}

void TTrayIcon::DefaultItemClick() {
  if (!FPopupMenu || !FPopupMenu->AutoPopup() || FLeftPopup) return;
  TMenuItem* root = FPopupMenu->Items();
  for (int i = 0; i < root->Count(); ++i)
    if (root->Items(i)->Default()) {
      root->Items(i)->Click();
      return;
    }
}

void TTrayIcon::ClickStep() {
  FClickTicker->SetEnabled(false);
  if (!FDoubleClicked && FClickReady) {
    FClickReady = false;
    std::shared_ptr<bool> alive = FAlive;
    GuardedCall([&] { Click(); });
    if (!*alive) return;
  }
  FDoubleClicked = false;
}

void TTrayIcon::LeaveCheck() {
  if (FPointerOutside) return;
  POINT p{};
  if (!GetCursorPos(&p)) return;
  if (p.x != FLastPointerPos.x || p.y != FLastPointerPos.y) {
    FPointerOutside = true;
    GuardedCall([&] { MouseExit(); });
  }
}

void TTrayIcon::CycleStep() {
  if (!FIconList) return;
  std::shared_ptr<bool> alive = FAlive;
  int count = FIconList->Count();
  if (FIconIndex >= 0 && FIconIndex < count) FIconList->GetIcon(FIconIndex, FIcon);
  int next = FIconIndex < count - 1 ? FIconIndex + 1 : 0;
  GuardedCall([&] { Cycle(next); });
  if (!*alive) return;
  SetIconIndex(next);
}

void TTrayIcon::PopupAtCursor() {
  POINT p{};
  if (!FPopupMenu || !FPopupMenu->AutoPopup() || !GetCursorPos(&p)) return;
  std::shared_ptr<bool> alive = FAlive;
  // The menu closes properly only when the program is in the foreground.
  SetForegroundWindow(Application->Handle());
  Application->ProcessMessages();
  if (!*alive || !FPopupMenu) return;
  FPopupMenu->SetPopupComponent(this);
  FPopupMenu->Popup(p.x, p.y);
  if (!*alive) return;
  // Lets the shell notice that the menu is gone.
  if (TWinControl* owner = OwnerControl(); owner && owner->HandleAllocated())
    PostMessageA(owner->Handle(), WM_NULL, 0, 0);
}

// ---------------------------------------------------------------------------------------
// The main window and the tray

void TTrayIcon::SendToTray() {
  HideMainWindow();
  SetIconVisible(true);
}

void TTrayIcon::HideMainWindow() {
  if (!OwnerControl() || !Application->MainForm()) return;
  Application->MainForm()->SetVisible(false);
  HideTaskbarButton();
}

void TTrayIcon::HideTaskbarButton() {
  HWND app = Application->Handle();
  if (IsWindowVisible(app)) ShowWindow(app, SW_HIDE);
}

void TTrayIcon::RestoreMainWindow() {
  TForm* main = Application->MainForm();
  if (!OwnerControl() || !main) return;
  Application->Restore();
  if (main->WindowState() == wsMinimized) main->SetWindowState(wsNormal);
  main->SetVisible(true);
  SetForegroundWindow(Application->Handle());
}

bool TTrayIcon::MinimizeEvent(TMessage& Message) {
  if (!FMinimizeToTray || !OnMinimizeToTray) return false;
  OnMinimizeToTray(this);
  SendToTray();
  Message.Result = 1;
  return true;
}

void TTrayIcon::OwnerWindowProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SHOWWINDOW:
      if (Message.WParam == 1 && Message.LParam == 0) {
        SetForegroundWindow(Application->Handle());
        if (FSubclassed->HandleAllocated()) SetForegroundWindow(FSubclassed->Handle());
      } else if (Message.WParam == 0 && Message.LParam == SW_PARENTCLOSING &&
                 !Application->Terminated()) {
        if (MinimizeEvent(Message)) return;
      }
      break;
    case WM_SYSCOMMAND:
      if (Message.WParam == SC_MINIMIZE && MinimizeEvent(Message)) return;
      break;
    default:
      break;
  }
  FOldWindowProc(Message);
}

bool TTrayIcon::AppMessageHook(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
      if (Message.WParam == SIZE_MINIMIZED && FMinimizeToTray) SendToTray();
      break;
    case WM_WINDOWPOSCHANGED:
      // The start-up question of a multi-document main form is asked here; the
      // framework has no such forms, so Loaded has asked it already.
      if (FMdiStartupPending && Application->MainForm()) FMdiStartupPending = false;
      break;
    case WM_SYSCOMMAND:
      if (Message.WParam == SC_RESTORE && Application->MainForm())
        Application->MainForm()->SetVisible(true);
      break;
    default:
      break;
  }
  // A re-created task bar has forgotten the icon. Without the 4.71 common controls
  // there is no such message; 0 is WM_NULL and must not re-add anything.
  if (TaskbarCreatedMessage != 0 && Message.Msg == TaskbarCreatedMessage && FIconVisible)
    AddTrayIcon();
  return false;
}
