#include "framework/Controls.h"

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>
// clang-format on

#include <algorithm>
#include <map>

#include "framework/Forms.h"
#include "framework/Gbk.h"
#include "framework/Menus.h"

namespace {

constexpr wchar_t kNameProp[] = L"VpnControlName";

// The control whose window is being created on this thread: the first message of the
// new window attaches it.
thread_local TWinControl* gCreating = nullptr;

std::map<std::wstring, WNDPROC>& ClassProcs() {
  static std::map<std::wstring, WNDPROC> procs;
  return procs;
}

UINT gNextChildId = 100;

// Controls whose windows wait for the main form's first show, in the order they would
// have been made.
std::vector<TWinControl*>& LateWindows() {
  static std::vector<TWinControl*> controls;
  return controls;
}

// Every framework window class carries the control's address in the last pointer-sized
// slot of its window extra bytes, after the bytes of the system class it builds on. The
// window procedure reads it there on every message: a window property would be a
// request to the window server each time, the extra bytes of one's own window are not.
int ObjectSlot(HWND wnd) {
  return static_cast<int>(GetClassLongPtrW(wnd, GCL_CBWNDEXTRA)) -
         static_cast<int>(sizeof(LONG_PTR));
}

TWinControl* ObjectOfWindow(HWND wnd) {
  return reinterpret_cast<TWinControl*>(GetWindowLongPtrW(wnd, ObjectSlot(wnd)));
}

void SetObjectOfWindow(HWND wnd, TWinControl* control) {
  SetWindowLongPtrW(wnd, ObjectSlot(wnd), reinterpret_cast<LONG_PTR>(control));
}

}  // namespace

LRESULT CALLBACK FrameworkWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

std::wstring WindowClassName(HWND wnd) {
  wchar_t name[256];
  int n = GetClassNameW(wnd, name, 256);
  return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

WNDPROC RegisterFrameworkClass(const std::wstring& name, const wchar_t* sysClass, UINT style,
                               HICON icon) {
  auto& procs = ClassProcs();
  auto it = procs.find(name);
  if (it != procs.end()) return it->second;
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  WNDPROC defProc = DefWindowProcW;
  if (sysClass) {
    if (!GetClassInfoExW(nullptr, sysClass, &wc))
      throw Exception("System window class missing: " + WideToGbk(sysClass));
    defProc = wc.lpfnWndProc;
    wc.style &= ~CS_GLOBALCLASS;
  } else {
    wc.style = style;
    // The system's arrow is shared and stays: looked up once for all classes.
    static const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    wc.hCursor = arrow;
    // One picture for both sizes, as WM_SETICON would give it: the system then makes no
    // scaled copy of its own.
    wc.hIcon = wc.hIconSm = icon;
    wc.hbrBackground = nullptr;  // the control erases with its own colour
  }
  wc.cbSize = sizeof wc;
  wc.hInstance = inst;
  wc.lpfnWndProc = FrameworkWndProc;
  // The system class's own extra bytes stay where its window procedure expects them.
  wc.cbWndExtra += static_cast<int>(sizeof(LONG_PTR));
  wc.lpszClassName = name.c_str();
  wc.lpszMenuName = nullptr;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw Exception("Cannot register window class " + WideToGbk(name));
  procs[name] = defProc;
  return defProc;
}

bool FrameworkClassRegistered(const std::wstring& name) {
  return ClassProcs().contains(name);
}

void ReportGuarded(const std::exception* e) noexcept {
  // The handler may fail as well (a handler of the program that raises, no memory left
  // for the message box): that failure ends here.
  try {
    if (e)
      Application->HandleException(*e);
    else
      Application->HandleException(Exception("Unknown error"));
  } catch (...) {
  }
}

LRESULT CALLBACK FrameworkWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TWinControl* control = ObjectOfWindow(wnd);
  if (!control && gCreating) {
    control = std::exchange(gCreating, nullptr);
    control->AttachHandle(wnd);
  }
  if (!control) {
    auto it = ClassProcs().find(WindowClassName(wnd));
    WNDPROC def = it == ClassProcs().end() ? DefWindowProcW : it->second;
    return CallWindowProcW(def, wnd, msg, wParam, lParam);
  }
  TMessage m{msg, wParam, lParam, 0};
  GuardedCall([&] {
    if (control->WindowProc)
      control->WindowProc(m);
    else
      control->WndProc(m);
  });
  if (msg == WM_NCDESTROY && control->FHandle == wnd) control->DetachHandle();
  return m.Result;
}

// ---------------------------------------------------------------- TWinControl

bool TWinControl::SetLayoutProperty(const std::string& name, const std::string& value) {
  if (name == "TabStop") {
    SetTabStop(LayoutBool(value));
    return true;
  }
  return TControl::SetLayoutProperty(name, value);
}

bool TWinControl::SetLayoutEvent(const std::string& event, const std::any& handler) {
  if (event == "OnKeyPress") return AssignLayoutEvent(OnKeyPress, handler, event);
  if (event == "OnEnter") return AssignLayoutEvent(OnEnter, handler, event);
  if (event == "OnExit") return AssignLayoutEvent(OnExit, handler, event);
  return TControl::SetLayoutEvent(event, handler);
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  // Still listed when its window came early, on request: the list then still tells the
  // form about it after the first show.
  std::erase(LateWindows(), this);
  SetDestroying();
  // Owned components go while this window still exists, then the window.
  DestroyComponents();
  for (TControl* c : std::vector<TControl*>(FControls)) c->FParent = nullptr;
  FControls.clear();
  FTabList.clear();
  DestroyHandle();
}

HWND TWinControl::Handle() {
  if (!FHandle) {
    if (FParent) FParent->HandleNeeded();
    if (!FHandle) CreateWnd();
  }
  return FHandle;
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.WinClassName = GbkToWide(ClassName());
  p.Caption = GbkToWide(FText);
  p.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (FVisible) p.Style |= WS_VISIBLE;
  if (!FEnabled) p.Style |= WS_DISABLED;
  if (FTabStop) p.Style |= WS_TABSTOP;
  p.X = FLeft;
  p.Y = FTop;
  p.Width = FWidth;
  p.Height = FHeight;
  if (FParent) p.WndParent = FParent->Handle();
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent)
    throw Exception("Control '" + Name() + "' has no parent window");
  FDefWndProc = RegisterFrameworkClass(p.WinClassName, p.SysClassName, p.ClassStyle, p.Icon);
  HMENU id = (p.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(gNextChildId++))
                                  : nullptr;
  gCreating = this;
  HWND wnd =
      CreateWindowExW(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y,
                      p.Width, p.Height, p.WndParent, id, GetModuleHandleW(nullptr), nullptr);
  gCreating = nullptr;
  if (!wnd) throw Exception("Cannot create the window of '" + Name() + "'");
  if (!FHandle) AttachHandle(wnd);
  FWindowLater = false;
  // Controls later in the parent's list lie above earlier ones. The system puts a new
  // child window below its siblings: it is always moved.
  if (FParent) {
    HWND after = HWND_TOP;
    auto& list = FParent->FControls;
    auto it = std::find(list.begin(), list.end(), this);
    for (++it; it < list.end(); ++it)
      if (auto* w = dynamic_cast<TWinControl*>(*it); w && w->FHandle) {
        after = w->FHandle;
        break;
      }
    SetWindowPos(wnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  InitializeWnd();
}

void TWinControl::InitializeWnd() {
  SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Handle()), FALSE);
  if (FShowHint && !FHint.empty()) HintChanged();
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      if (Application->WaitingForFirstShow() && w->OutOfSight())
        w->CreateWindowLater();
      else
        w->HandleNeeded();
    }
}

bool TWinControl::OutOfSight() const {
  if (!FParent || !FParent->FHandle) return false;
  RECT client, mine = BoundsRect(), both;
  GetClientRect(FParent->FHandle, &client);
  return !IntersectRect(&both, &client, &mine);
}

void TWinControl::CreateWindowLater() {
  FWindowLater = true;
  auto& late = LateWindows();
  late.push_back(this);
  if (late.size() > 1) return;
  // Ahead of everything else that waits for the first show: a caller that looks for the
  // control's window finds it as soon as possible.
  Application->AfterFirstShow(
      [] {
        std::vector<TForm*> forms;
        for (TWinControl* w : std::exchange(LateWindows(), {})) {
          w->FWindowLater = false;
          if (!w->FHandle) w->HandleNeeded();
          if (TForm* form = w->ParentForm();
              form && std::find(forms.begin(), forms.end(), form) == forms.end())
            forms.push_back(form);
        }
        for (TForm* form : forms)
          if (form->HandleAllocated()) SendMessageW(form->Handle(), CM_LATEWINDOWSCREATED, 0, 0);
      },
      true);
}

void TWinControl::AttachHandle(HWND wnd) {
  FHandle = wnd;
  SetObjectOfWindow(wnd, this);
  // A new window has no name yet: nothing to take away first.
  SetNameProperty();
}

namespace {
// One tool tip window for all controls of the program.
HWND HintWindow() {
  static HWND hint = nullptr;
  if (!hint || !IsWindow(hint))
    hint = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           Application->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
  return hint;
}

TTTOOLINFOW HintTool(HWND wnd) {
  TTTOOLINFOW ti{};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = GetParent(wnd) ? GetParent(wnd) : wnd;
  ti.uId = reinterpret_cast<UINT_PTR>(wnd);
  return ti;
}
}  // namespace

void TWinControl::HintChanged() {
  if (!FHandle) return;
  HWND hint = HintWindow();
  if (!hint) return;
  TTTOOLINFOW ti = HintTool(FHandle);
  SendMessageW(hint, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  if (!FShowHint || FHint.empty()) return;
  std::wstring text = GbkToWide(FHint);
  ti.lpszText = text.data();
  SendMessageW(hint, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void TWinControl::DetachHandle() {
  if (!FHandle) return;
  if (FShowHint && !FHint.empty()) {
    TTTOOLINFOW ti = HintTool(FHandle);
    SendMessageW(HintWindow(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  SetObjectOfWindow(FHandle, nullptr);
  RemovePropW(FHandle, kNameProp);
  FNameAtom.Reset();
  FHandle = nullptr;
}

void TWinControl::UpdateNameProperty() {
  if (!FHandle) return;
  RemovePropW(FHandle, kNameProp);
  SetNameProperty();
}

void TWinControl::SetNameProperty() {
  FNameAtom.Reset();
  if (Name().empty()) return;
  FNameAtom.Reset(GlobalAddAtomW(GbkToWide(Name()).c_str()));
  if (FNameAtom)
    SetPropW(FHandle, kNameProp, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(FNameAtom.Get())));
}

void TWinControl::Loaded() {
  TControl::Loaded();
  UpdateNameProperty();
}

void TWinControl::SaveWindowState() {
  if (FHandle) FText = GetText();
}

void TWinControl::DestroyHandle() {
  if (!FHandle || FDestroyingHandle) return;
  FDestroyingHandle = true;
  for (TControl* c : std::vector<TControl*>(FControls))
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  SaveWindowState();
  HWND wnd = FHandle;
  DestroyWindow(wnd);
  if (FHandle == wnd) DetachHandle();
  FDestroyingHandle = false;
}

void TWinControl::RecreateWnd() {
  if (!FHandle) return;
  DestroyHandle();
  HandleNeeded();
}

TWinControl* TWinControl::FindControl(HWND wnd) {
  // Only a window of this program made from a framework class has the slot.
  if (!wnd) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(wnd, &process);
  if (process != GetCurrentProcessId() ||
      reinterpret_cast<WNDPROC>(GetClassLongPtrW(wnd, GCLP_WNDPROC)) != FrameworkWndProc)
    return nullptr;
  return ObjectOfWindow(wnd);
}

std::string TWinControl::GetText() const {
  if (!FHandle) return FText;
  int n = GetWindowTextLengthW(FHandle);
  std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(FHandle, buf.data(), n + 1);
  buf.resize(static_cast<size_t>(n > 0 ? n : 0));
  return WideToGbk(buf);
}

void TWinControl::TextChanged() {
  if (FHandle) SetWindowTextW(FHandle, GbkToWide(FText).c_str());
  Invalidate();
}

void TWinControl::FontChanged() {
  if (FHandle) {
    SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Handle()), TRUE);
    InvalidateRect(FHandle, nullptr, TRUE);
  }
  for (TControl* c : FControls) c->ParentFontChanged();
}

void TWinControl::VisibleChanged() {
  if (FHandle)
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                     (FVisible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::EnabledChanged() {
  if (FHandle) EnableWindow(FHandle, FEnabled);
}

void TWinControl::BoundsChanged(const RECT& old) {
  if (FHandle) {
    SetWindowPos(FHandle, nullptr, FLeft, FTop, FWidth, FHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

RECT TWinControl::ClientRect() const {
  RECT r{0, 0, FWidth, FHeight};
  if (FHandle) GetClientRect(FHandle, &r);
  return r;
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Notification(TComponent* AComponent, TOperation Operation) {
  TControl::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    if (FMouseDownControl == AComponent) FMouseDownControl = nullptr;
  }
}

void TWinControl::InsertControl(TControl* control) {
  control->FParent = this;
  FControls.push_back(control);
  if (auto* w = dynamic_cast<TWinControl*>(control)) {
    FTabList.push_back(w);
    if (FHandle && !w->FHandle) w->HandleNeeded();
    if (w->FHandle && FHandle) ::SetParent(w->FHandle, FHandle);
  } else if (FHandle) {
    control->Invalidate();
  }
}

void TWinControl::RemoveControl(TControl* control) {
  control->Invalidate();
  FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
  FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), control), FTabList.end());
  if (FMouseDownControl == control) FMouseDownControl = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(control)) w->DestroyHandle();
  control->FParent = nullptr;
}

void TWinControl::SetTabStop(bool on) {
  if (on == FTabStop) return;
  FTabStop = on;
  if (FHandle) {
    LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
    SetWindowLongPtrW(FHandle, GWL_STYLE, on ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
}

int TWinControl::TabOrder() const {
  if (!FParent) return -1;
  auto& list = FParent->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (!FParent) return;
  auto& list = FParent->FTabList;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  if (order < 0) order = 0;
  if (order > static_cast<int>(list.size())) order = static_cast<int>(list.size());
  list.insert(list.begin() + order, this);
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->FParent)
    if (!c->FVisible || !c->FEnabled) return false;
  return true;
}

void TWinControl::SetFocus() {
  TForm* form = ParentForm();
  if (form && form != this) form->SetActiveControl(this);
  if (!CanFocus()) return;
  if (form && !(form->HandleAllocated() && IsWindowVisible(form->Handle()))) return;
  ::SetFocus(Handle());
}

bool TWinControl::Focused() const {
  HWND focus = GetFocus();
  return FHandle && (focus == FHandle || IsChild(FHandle, focus));
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* w : FTabList) {
    list.push_back(w);
    w->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward,
                                          bool checkTabStop) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  auto it = std::find(list.begin(), list.end(), current);
  int start = it == list.end() ? (forward ? n - 1 : 0) : static_cast<int>(it - list.begin());
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = forward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* c = list[static_cast<size_t>(i)];
    if ((!checkTabStop || c->FTabStop) && c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(current, forward, checkTabStop)) next->SetFocus();
}

void TWinControl::PaintControls(HDC dc, const RECT* clip) {
  for (TControl* c : FControls) {
    if (c->Windowed() || !c->FVisible) continue;
    RECT r = c->BoundsRect(), hit;
    if (clip && !IntersectRect(&hit, &r, clip)) continue;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    POINT org;
    OffsetViewportOrgEx(dc, r.left, r.top, &org);
    c->Paint(dc);
    RestoreDC(dc, saved);
  }
}

TControl* TWinControl::ControlAtPos(POINT p) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (c->Windowed() || !c->FVisible) continue;
    RECT r = c->BoundsRect();
    if (PtInRect(&r, p)) return c;
  }
  return nullptr;
}
