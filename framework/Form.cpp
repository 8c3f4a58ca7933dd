#include <algorithm>
#include <utility>

#include "Endpoints.h"
#include "framework/Forms.h"
#include "framework/Gbk.h"
#include "framework/StdCtrls.h"

namespace {

#if VPN_TEST_HOOKS
// The end-to-end kit's request; a shipped build does not even compile its name.
UINT DescribeMessage() {
  static UINT msg = RegisterWindowMessageW(L"VpnClient.DescribeControls");
  return msg;
}

constexpr ULONG_PTR kDescribeTag = 0x56504E31;
#endif

std::string ToUtf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

// One line per control: tabs and line breaks inside a caption are written as \t, \n, \r
// and a backslash as \\, so a line stays one line.
std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A password edit's text is what its mask hides: the description never carries it.
bool HidesItsText(TControl* c) {
  auto* edit = dynamic_cast<TMaskEdit*>(c);
  return edit && edit->PasswordChar() != 0;
}

void DescribeTree(TWinControl* parent, std::string& out) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    POINT o = c->FormOffset();
    HWND wnd = nullptr;
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w) wnd = w->Handle();
    char hex[32];
    snprintf(hex, sizeof hex, "%llx",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(wnd)));
    out += c->Name() + "\t" + c->ClassName() + "\t" + std::to_string(o.x) + "\t" +
           std::to_string(o.y) + "\t" + std::to_string(c->Width()) + "\t" +
           std::to_string(c->Height()) + "\t" + (c->Visible() ? "1" : "0") + "\t" +
           (c->Enabled() ? "1" : "0") + "\t" + hex + "\t" +
           (HidesItsText(c) ? std::string() : Escape(ToUtf8(GbkToWide(c->Caption())))) + "\n";
    if (w) DescribeTree(w, out);
  }
}

}  // namespace

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
  FVisible = false;
  FOwnPaint = true;
  FColor = clBtnFace;
  FParentFont = false;
  FWidth = 320;
  FHeight = 240;
}

TForm::~TForm() {
  if (FCreated && OnDestroy) GuardedCall([this] { OnDestroy(this); });
  SetDestroying();
  DestroyComponents();
  DestroyHandle();
}

void TForm::AfterConstruction() {
  if (FCreated) return;
  FCreated = true;
  if (OnCreate) OnCreate(this);
}

DWORD TForm::WindowStyle() const {
  DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  switch (FBorderStyle) {
    case bsNone:
      style |= WS_POPUP;
      break;
    case bsSingle:
    case bsToolWindow:
      style |= WS_CAPTION | WS_BORDER;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
      break;
  }
  if (FBorderStyle != bsNone) {
    if (FBorderIcons & biSystemMenu) {
      style |= WS_SYSMENU;
      if (FBorderStyle != bsDialog && FBorderStyle != bsToolWindow &&
          FBorderStyle != bsSizeToolWin) {
        if (FBorderIcons & biMinimize) style |= WS_MINIMIZEBOX;
        if (FBorderIcons & biMaximize) style |= WS_MAXIMIZEBOX;
      }
    }
  }
  return style;
}

DWORD TForm::WindowExStyle() const {
  switch (FBorderStyle) {
    case bsDialog:
      return WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
    case bsToolWindow:
    case bsSizeToolWin:
      return WS_EX_TOOLWINDOW;
    default:
      return 0;
  }
}

void TForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style = WindowStyle();
  if (!FEnabled) p.Style |= WS_DISABLED;
  p.ExStyle = WindowExStyle();
  p.WndParent = Application->Handle();
  // The first window of a form class takes its icon from the class: an icon given to the
  // window afterwards has the system convert the picture once more.
  p.Icon = WindowIcon();
  FIconInClass = p.Icon && !FrameworkClassRegistered(p.WinClassName);
  if (FIconInClass && !FIcon.Empty()) FIcon.LendForRun();
  if (FClientWidth >= 0) {
    RECT r{0, 0, FClientWidth, FClientHeight};
    AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
    FWidth = p.Width = r.right - r.left;
    FHeight = p.Height = r.bottom - r.top;
  }
  if (FPosition == poScreenCenter || FPosition == poDesktopCenter) {
    FLeft = p.X = (GetSystemMetrics(SM_CXSCREEN) - p.Width) / 2;
    FTop = p.Y = (GetSystemMetrics(SM_CYSCREEN) - p.Height) / 2;
  }
}

HICON TForm::WindowIcon() {
  return Icon()->Empty() ? Application->Icon()->Handle() : FIcon.Handle();
}

TIcon* TForm::Icon() {
  if (FIconResource) FIcon.LoadFromResource(std::exchange(FIconResource, 0));
  return &FIcon;
}

void TForm::InitializeWnd() {
  HICON icon = WindowIcon();
  if (icon && !FIconInClass) {
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  TWinControl::InitializeWnd();
  ApplyClientSize();
}

void TForm::ApplyClientSize() {
  if (!HandleAllocated() || FClientWidth < 0) return;
  // The frame Windows really draws can differ from the computed one: correct by the
  // difference so the client area comes out as designed.
  RECT c;
  GetClientRect(Handle(), &c);
  int dw = FClientWidth - (c.right - c.left), dh = FClientHeight - (c.bottom - c.top);
  if (dw || dh)
    SetWindowPos(Handle(), nullptr, 0, 0, FWidth + dw, FHeight + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TForm::ClientWidth() const {
  if (HandleAllocated()) return ClientRect().right;
  return FClientWidth >= 0 ? FClientWidth : FWidth;
}

int TForm::ClientHeight() const {
  if (HandleAllocated()) return ClientRect().bottom;
  return FClientHeight >= 0 ? FClientHeight : FHeight;
}

void TForm::SetClientSize(int w, int h) {
  FClientWidth = w;
  FClientHeight = h;
  RECT r{0, 0, w, h};
  AdjustWindowRectEx(&r, WindowStyle(), FALSE, WindowExStyle());
  SetBounds(FLeft, FTop, r.right - r.left, r.bottom - r.top);
  ApplyClientSize();
}

void TForm::SetBorderIcons(unsigned icons) {
  FBorderIcons = icons;
  if (HandleAllocated()) {
    SetWindowLongPtrW(
        Handle(), GWL_STYLE,
        (GetWindowLongPtrW(Handle(), GWL_STYLE) & ~(WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) |
            (WindowStyle() & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)));
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == FBorderStyle) return;
  FBorderStyle = style;
  RecreateWnd();
}

void TForm::CenterOnScreen() {
  int x = (GetSystemMetrics(SM_CXSCREEN) - FWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - FHeight) / 2;
  SetBounds(x, y, FWidth, FHeight);
}

void TForm::SetVisible(bool visible) {
  if (visible == FVisible) return;
  FVisible = visible;
  VisibleChanged();
}

void TForm::VisibleChanged() {
  if (FVisible) {
    HWND wnd = Handle();
    if (!FShownOnce) {
      FShownOnce = true;
      if (FPosition == poScreenCenter || FPosition == poDesktopCenter) CenterOnScreen();
    }
    int cmd = FWindowState == wsMinimized   ? SW_SHOWMINNOACTIVE
              : FWindowState == wsMaximized ? SW_SHOWMAXIMIZED
                                            : SW_SHOWNORMAL;
    Application->UpdateVisible();
    if (this == Application->MainForm() && Application->WaitingForFirstShow() &&
        Application->OnMainFormShowing)
      Application->OnMainFormShowing(wnd);
    ShowWindow(wnd, cmd);
    Application->MainFormShown(this);
    if (OnShow) OnShow(this);
  } else {
    if (HandleAllocated()) ShowWindow(Handle(), SW_HIDE);
    Application->UpdateVisible();
    if (OnHide) OnHide(this);
  }
}

void TForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TForm::BringToFront() {
  if (!HandleAllocated() || !IsWindowVisible(Handle())) return;
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(Handle());
}

bool TForm::Active() const {
  return ExistingHandle() && GetActiveWindow() == ExistingHandle();
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::Close() {
  if (!CloseQuery()) return;
  TCloseAction action = (Application->MainForm() == this) ? caFree : caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == caMinimize) {
    SetWindowState(wsMinimized);
  } else {
    // A form freed on close is kept until the application ends: the layouts hold
    // fields that point at it.
    Hide();
  }
}

TWindowState TForm::WindowState() const {
  if (HWND wnd = ExistingHandle()) {
    if (IsIconic(wnd)) return wsMinimized;
    if (IsZoomed(wnd)) return wsMaximized;
  }
  return FWindowState;
}

void TForm::SetWindowState(TWindowState state) {
  FWindowState = state;
  if (HandleAllocated() && IsWindowVisible(Handle())) {
    ShowWindow(Handle(), state == wsMinimized   ? SW_MINIMIZE
                         : state == wsMaximized ? SW_MAXIMIZE
                                                : SW_RESTORE);
  }
}

void TForm::SetActiveControl(TWinControl* control) {
  if (control == this) control = nullptr;
  if (FActiveControl == control) return;
  if (FActiveControl) FActiveControl->RemoveFreeNotification(this);
  FActiveControl = control;
  if (control) control->FreeNotification(this);
}

void TForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActiveControl) FActiveControl = nullptr;
}

void TForm::SetFocusedControlOnActivate() {
  TWinControl* target = FActiveControl;
  if (!target || !target->CanFocus()) target = FindNextControl(nullptr, true, true);
  if (target && target->CanFocus())
    ::SetFocus(target->Handle());
  else
    ::SetFocus(Handle());
}

bool TForm::BindField(const std::string& name, TComponent* component) {
  auto it = FFields.find(name);
  if (it == FFields.end()) return false;
  if (!it->second(component))
    throw Exception("Field " + name + " of " + ClassName() + " cannot hold a " +
                    component->ClassName());
  return true;
}

std::any TForm::FindMethod(const std::string& name) const {
  auto it = FMethods.find(name);
  return it == FMethods.end() ? std::any() : it->second;
}

bool TForm::SetLayoutEvent(const std::string& event, const std::any& handler) {
  if (event == "OnCreate") return AssignLayoutEvent(OnCreate, handler, event);
  if (event == "OnDestroy") return AssignLayoutEvent(OnDestroy, handler, event);
  if (event == "OnShow") return AssignLayoutEvent(OnShow, handler, event);
  if (event == "OnHide") return AssignLayoutEvent(OnHide, handler, event);
  if (event == "OnActivate") return AssignLayoutEvent(OnActivate, handler, event);
  if (event == "OnDeactivate") return AssignLayoutEvent(OnDeactivate, handler, event);
  if (event == "OnCloseQuery") return AssignLayoutEvent(OnCloseQuery, handler, event);
  if (event == "OnClose") return AssignLayoutEvent(OnClose, handler, event);
  return TWinControl::SetLayoutEvent(event, handler);
}

std::string TForm::DescribeControls() {
  std::string out;
  DescribeTree(this, out);
  return out;
}

void TForm::WndProc(TMessage& m) {
#if VPN_TEST_HOOKS
  // Only the test builds answer the end-to-end kit's request; the shipped program does
  // not even register it.
  if (m.Msg == DescribeMessage() && m.Msg != 0) {
    std::string text = DescribeControls();
    COPYDATASTRUCT cds{kDescribeTag, static_cast<DWORD>(text.size()), text.data()};
    SendMessageW(reinterpret_cast<HWND>(m.WParam), WM_COPYDATA, reinterpret_cast<WPARAM>(Handle()),
                 reinterpret_cast<LPARAM>(&cds));
    m.Result = 1;
    return;
  }
#endif
  switch (m.Msg) {
    case WM_CLOSE:
      Close();
      return;
    case WM_SYSCOMMAND:
      // Minimising the main form minimises the application: the forms go with the
      // application window and the task-bar button stays one.
      if ((m.WParam & 0xFFF0) == SC_MINIMIZE && Application->MainForm() == this) {
        Application->Minimize();
        return;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(m.WParam) != WA_INACTIVE) {
        Application->FormActivated(this);
        if (!HIWORD(m.WParam)) SetFocusedControlOnActivate();
        if (OnActivate) OnActivate(this);
        m.Result = 0;
        return;
      }
      if (OnDeactivate) OnDeactivate(this);
      break;
    case WM_SIZE:
      if (m.WParam == SIZE_MINIMIZED)
        FWindowState = wsMinimized;
      else if (m.WParam == SIZE_MAXIMIZED)
        FWindowState = wsMaximized;
      else if (m.WParam == SIZE_RESTORED)
        FWindowState = wsNormal;
      break;
    default:
      break;
  }
  TWinControl::WndProc(m);
}
