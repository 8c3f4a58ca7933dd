// clang-format off
#include <windows.h>
#include <commctrl.h>  // needs windows.h first
// clang-format on

#include <algorithm>
#include <utility>

#include "framework/Forms.h"
#include "framework/Gbk.h"
#include "framework/Menus.h"

namespace {
TApplication gApplication;
constexpr wchar_t kAppClass[] = L"TApplication";
}  // namespace

TApplication* Application = &gApplication;

LRESULT CALLBACK ApplicationWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The window's first messages arrive before CreateWindowExW returns, its last ones while
  // the owner destroys it: the handle is taken at the first and let go at WM_NCDESTROY.
  if (!Application->FHandle) Application->FHandle.Reset(wnd);
  TMessage m{msg, wParam, lParam, 0};
  GuardedCall([&] { Application->WndProc(m); });
  if (msg == WM_NCDESTROY) Application->FHandle.Release();
  return m.Result;
}

TApplication::TApplication() : TComponent(nullptr) {
  FTitle = "vpnclient";
}

TApplication::~TApplication() {
  SetDestroying();
  DestroyComponents();
  // Here rather than with the members: the window's last messages still reach WndProc.
  FHandle.Reset();
}

void TApplication::Initialize() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  Handle();
}

HWND TApplication::Handle() {
  if (FHandle) return FHandle.Get();
  if (FIcon.Empty()) {
    // The program's icon is the first icon group of its resources, if it has one.
    FIcon.SetHandle(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                                  IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
  }
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ApplicationWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = FIcon.Handle();
    // The same picture as the small icon: registering then makes no small copy of it.
    wc.hIconSm = FIcon.Handle();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kAppClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw Exception("Cannot register the application window class");
    registered = true;
  }
  // Zero size in the middle of the screen: shown so that it carries the task-bar
  // button, never seen itself.
  HWND wnd = CreateWindowExW(0, kAppClass, GbkToWide(FTitle).c_str(),
                             WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                             GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2,
                             0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!wnd) throw Exception("Cannot create the application window");
  if (FHandle.Get() != wnd) FHandle.Reset(wnd);
  // No WM_SETICON: the window system took the class's icons when it made the window, and
  // WndProc answers WM_GETICON with the same icon; setting it again would only have the
  // picture converted twice more.
  return FHandle.Get();
}

void TApplication::SetTitle(const std::string& title) {
  FTitle = title;
  if (FHandle) SetWindowTextW(FHandle.Get(), GbkToWide(title).c_str());
}

void TApplication::FormCreated(TForm* form) {
  // The first form is the main form already while its create handler runs: what that
  // handler starts and the first picture does not need waits for the first show.
  const bool first = !FMainForm;
  if (first) FMainForm = form;
  try {
    form->AfterConstruction();
  } catch (...) {
    if (FMainForm == form) FMainForm = nullptr;
    delete form;
    throw;
  }
  if (first || !WaitingForFirstShow()) {
    form->HandleNeeded();
  } else if (!std::exchange(FFormWindowsPending, true)) {
    // The windows of the forms made at start-up after the main one are created, in
    // the order of the forms, right after the main form's first picture; anything that
    // asks for one earlier gets it at once.
    AfterFirstShow([this] {
      FFormWindowsPending = false;
      for (TForm* f : Forms()) f->HandleNeeded();
    });
  }
}

void TApplication::AfterFirstShow(std::function<void()> Job, bool Ahead) {
  if (Ahead)
    FAfterShow.insert(FAfterShow.begin() + static_cast<std::ptrdiff_t>(FAheadJobs++),
                      std::move(Job));
  else
    FAfterShow.push_back(std::move(Job));
  if (!WaitingForFirstShow() && FAfterShow.size() == 1)
    PostMessageW(Handle(), PM_RUNAFTERSHOW, 0, 0);
}

void TApplication::MainFormShown(TForm* form) {
  if (form != FMainForm || FMainFormShown) return;
  FMainFormShown = true;
  // The first picture of the main form and its controls comes before any waiting job.
  if (form->HandleAllocated())
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  if (!FAfterShow.empty()) PostMessageW(Handle(), PM_RUNAFTERSHOW, 0, 0);
}

void TApplication::RunAfterShowJobs() {
  // Jobs may add others; those run in the same turn.
  while (!FAfterShow.empty()) {
    std::function<void()> job = std::move(FAfterShow.front());
    FAfterShow.erase(FAfterShow.begin());
    if (FAheadJobs > 0) --FAheadJobs;
    GuardedCall(job);
  }
}

std::vector<TForm*> TApplication::Forms() const {
  std::vector<TForm*> forms;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* f = dynamic_cast<TForm*>(Components(i))) forms.push_back(f);
  return forms;
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    if (AComponent == FMainForm) FMainForm = nullptr;
    if (AComponent == FActiveForm) FActiveForm = nullptr;
  }
}

void TApplication::Run() {
  Handle();
  if (FMainForm && ShowMainForm) {
    if (FMainForm->WindowState() == wsMinimized) {
      FMainForm->SetWindowState(wsNormal);
      FMainForm->Show();
      Minimize();
    } else {
      FMainForm->Show();
    }
  }
  // Nothing to wait for when the main form stays hidden.
  if (!FMainFormShown && !FAfterShow.empty()) PostMessageW(Handle(), PM_RUNAFTERSHOW, 0, 0);
  FMainFormShown = true;
  while (!FTerminated) HandleMessage();
}

bool TApplication::IsKeyMsg(MSG& msg) {
  // The Tab key moves the focus through the form's tab order, unless the control
  // wants the key itself.
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  if ((GetKeyState(VK_CONTROL) & 0x8000) || (GetKeyState(VK_MENU) & 0x8000)) return false;
  TWinControl* control = nullptr;
  for (HWND w = msg.hwnd; w && !control; w = GetParent(w)) control = TWinControl::FindControl(w);
  if (!control) return false;
  LRESULT code = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
  TForm* form = control->ParentForm();
  if (!form) return false;
  form->SelectNext(control == form ? nullptr : control, !(GetKeyState(VK_SHIFT) & 0x8000), true);
  return true;
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  bool handled = false;
  if (OnMessage) GuardedCall([&] { OnMessage(msg, handled); });
  if (!handled && !IsKeyMsg(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) WaitMessage();
}

void TApplication::Terminate() {
  PostQuitMessage(0);
}

void TApplication::UpdateVisible() {
  if (!FHandle) return;
  bool any = false;
  for (TForm* f : Forms()) any = any || f->Visible();
  if ((IsWindowVisible(FHandle.Get()) != FALSE) != any)
    SetWindowPos(FHandle.Get(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                     (any ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TApplication::Minimize() {
  HWND wnd = Handle();
  if (IsIconic(wnd)) return;
  FIconic = true;
  ShowOwnedPopups(wnd, FALSE);
  ShowWindow(wnd, SW_MINIMIZE);
  if (OnMinimize) OnMinimize(this);
}

void TApplication::RestoreForms() {
  ShowOwnedPopups(FHandle.Get(), TRUE);
  // Forms that should be seen come back even when the system did not bring them.
  for (TForm* f : Forms())
    if (f->Visible() && f->HandleAllocated() && !IsWindowVisible(f->Handle()))
      ShowWindow(f->Handle(), SW_SHOWNA);
  TForm* target = FActiveForm && FActiveForm->Visible() ? FActiveForm : FMainForm;
  if (target && target->Visible() && target->HandleAllocated()) SetActiveWindow(target->Handle());
}

void TApplication::Restore() {
  HWND wnd = Handle();
  if (!IsIconic(wnd)) return;
  FIconic = false;
  ShowWindow(wnd, SW_RESTORE);
  RestoreForms();
  if (OnRestore) OnRestore(this);
}

void TApplication::BringToFront() {
  TForm* target = FActiveForm && FActiveForm->Visible() ? FActiveForm : FMainForm;
  if (target && target->HandleAllocated()) SetForegroundWindow(target->Handle());
}

int TApplication::HookMainWindow(TApplicationHook hook) {
  int token = FNextHook++;
  FHooks.emplace_back(token, std::move(hook));
  return token;
}

void TApplication::UnhookMainWindow(int token) {
  FHooks.erase(std::remove_if(FHooks.begin(), FHooks.end(),
                              [token](const auto& h) { return h.first == token; }),
               FHooks.end());
}

void TApplication::WndProc(TMessage& m) {
  // A copy: a hook may remove itself or add others while it runs.
  auto hooks = FHooks;
  for (auto& [token, hook] : hooks)
    if (hook && hook(m)) return;
  switch (m.Msg) {
    case WM_SYSCOMMAND:
      switch (m.WParam & 0xFFF0) {
        case SC_MINIMIZE:
          Minimize();
          return;
        case SC_RESTORE:
          Restore();
          return;
        case SC_CLOSE:
          if (FMainForm) FMainForm->Close();
          return;
        default:
          break;
      }
      break;
    case WM_CLOSE:
      if (FMainForm) FMainForm->Close();
      return;
    case WM_SIZE:
      // Restored from outside (the task bar, another copy of the program).
      if (m.WParam == SIZE_RESTORED && FIconic) {
        FIconic = false;
        RestoreForms();
        if (OnRestore) OnRestore(this);
      } else if (m.WParam == SIZE_MINIMIZED) {
        FIconic = true;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(m.WParam) != WA_INACTIVE && !IsIconic(FHandle.Get())) {
        TForm* target = FActiveForm && FActiveForm->Visible() ? FActiveForm : FMainForm;
        if (target && target->Visible() && target->HandleAllocated() &&
            IsWindowEnabled(target->Handle())) {
          SetActiveWindow(target->Handle());
          return;
        }
      }
      break;
    case WM_NCACTIVATE:
      // The window has no size and is never seen: its frame is not painted on every
      // activation change (the program's activation passes through it to the main form),
      // only its active state is kept. An iconic one keeps the system's way.
      if (!IsIconic(FHandle.Get())) {
        m.Result = DefWindowProcW(FHandle.Get(), m.Msg, m.WParam, -1);
        return;
      }
      break;
    case PM_RUNAFTERSHOW:
      RunAfterShowJobs();
      return;
    case WM_GETICON:
      // An icon given to the window from outside, else the program's own, big or small.
      m.Result = DefWindowProcW(FHandle.Get(), m.Msg, m.WParam, m.LParam);
      if (!m.Result) m.Result = reinterpret_cast<LRESULT>(FIcon.Handle());
      return;
    case WM_ENDSESSION:
      if (m.WParam) Terminate();
      return;
    case WM_COMMAND:
      if (!m.LParam && HIWORD(m.WParam) == 0 && TMenuItem::DispatchCommand(LOWORD(m.WParam)))
        return;
      break;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      if (TMenuItem::DispatchOwnerDraw(m)) return;
      break;
    case WM_MENUCHAR:
      // The popup menus are shown on behalf of this window.
      if (TMenuItem::DispatchMenuChar(m)) return;
      break;
    default:
      break;
  }
  m.Result = DefWindowProcW(FHandle.Get(), m.Msg, m.WParam, m.LParam);
}

std::string TApplication::ExceptionText(const std::string& message) {
  std::string text = message;
  // A full stop is added unless the text ends in one or in a character that comes
  // before it in the code table (a blank, a line break, "!" or ",").
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

void TApplication::HandleException(const std::exception& E) {
  if (OnException) {
    OnException(this, E);
    return;
  }
  ShowException(E);
}

void TApplication::ShowException(const std::exception& E) {
  auto* ex = dynamic_cast<const Exception*>(&E);
  std::string message = ex ? ex->Message : std::string(E.what());
  MessageBox(ExceptionText(message), FTitle, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  HWND active = GetActiveWindow();
  // Modal to the whole program, like a dialog: every form waits for the answer.
  std::vector<HWND> disabled;
  for (TForm* f : Forms())
    if (f->HandleAllocated() && IsWindowVisible(f->Handle()) && IsWindowEnabled(f->Handle())) {
      EnableWindow(f->Handle(), FALSE);
      disabled.push_back(f->Handle());
    }
  HWND owner = active && IsWindowVisible(active) ? active : Handle();
  int result = ::MessageBoxW(owner, GbkToWide(Text).c_str(), GbkToWide(Caption).c_str(), Flags);
  for (HWND w : disabled)
    if (IsWindow(w)) EnableWindow(w, TRUE);
  if (active && IsWindow(active)) SetActiveWindow(active);
  return result;
}
