#include "app/CommandClient.h"

#include <optional>
#include <string_view>

#include "core/app/connect_rules.h"
#include "framework/Gbk.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"

namespace a = vpn::app;

namespace {

// Windows 2000 has no AttachConsole: it is looked up when needed.
TSystemLibrary Kernel(L"kernel32.dll");
TSystemFunction<BOOL(WINAPI*)(DWORD)> AttachConsoleFn(Kernel, "AttachConsole");

// How long each command may take in the running copy before this copy gives up.
DWORD TimeLimitMs(a::Command command) {
  switch (command) {
    case a::Command::Connect:
      return 180000;  // a dial, with its own time limits, and the tries after a drop
    case a::Command::Disconnect:
      return 60000;
    default:
      return 10000;
  }
}

constexpr DWORD kSendLimitMs = 10000;
constexpr DWORD kQuitLimitMs = 30000;

HANDLE ConsoleOutput(DWORD which) {
  HANDLE given = GetStdHandle(which);
  if (given && given != INVALID_HANDLE_VALUE) return given;
  // A window program started from a console has no handles of its own: it writes to its
  // parent's console when there is one.
  static const bool attached =
      AttachConsoleFn.Available() && AttachConsoleFn(ATTACH_PARENT_PROCESS);
  if (!attached) return nullptr;
  static HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
  return console == INVALID_HANDLE_VALUE ? nullptr : console;
}

// The reply window of this copy: a message-only window that keeps the first reply that
// is one.
struct TReplyBox {
  std::optional<a::CommandReply> reply;

  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    auto* box = reinterpret_cast<TReplyBox*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (msg != WM_COPYDATA || !box) return DefWindowProcW(w, msg, wp, lp);
    // Anyone may send this window data: only a well-formed reply of the right size counts.
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    if (!data || data->dwData != a::kReplyTag || data->cbData > a::kMaxReplyBytes ||
        (data->cbData && !data->lpData) || box->reply)
      return FALSE;
    box->reply =
        a::DecodeReply(std::string_view(static_cast<const char*>(data->lpData), data->cbData));
    return box->reply ? TRUE : FALSE;
  }
};

TWindowHandle MakeReplyWindow(TReplyBox& box) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = TReplyBox::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kReplyWindowClass;
    registered = RegisterClassW(&wc) != 0;
  }
  TWindowHandle window(CreateWindowExW(0, kReplyWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                       nullptr, GetModuleHandleW(nullptr), nullptr));
  if (window) SetWindowLongPtrW(window.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&box));
  return window;
}

// Handles this thread's messages until `done` holds, the process ends or `ms` passed;
// true when `done` held.
template <class F>
bool WaitFor(HANDLE process, DWORD ms, F done) {
  // GetTickCount, not its 64-bit form, which Windows XP lacks: a wait is far shorter than
  // the 49 days after which the count starts again.
  const DWORD start = GetTickCount();
  while (!done()) {
    const DWORD spent = GetTickCount() - start;
    if (spent >= ms) return false;
    const DWORD left = ms - spent;
    const DWORD woke =
        process ? MsgWaitForMultipleObjects(1, &process, FALSE, left, QS_ALLINPUT)
                : MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min(left, 250UL), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (done()) return true;
    if (process && woke == WAIT_OBJECT_0) return false;  // the running copy has ended
  }
  return true;
}

int Failed(const std::string& text) {
  PrintText(STD_ERROR_HANDLE, text);
  return a::kExitFailed;
}

}  // namespace

int ShowUsage(const std::string& problem) {
  MessageBoxW(nullptr, GbkToWide(a::UsageText(problem)).c_str(),
              GbkToWide(a::kProgramCaption).c_str(), MB_OK | MB_ICONINFORMATION);
  return a::kExitBadArguments;
}

void PrintText(DWORD which, const std::string& text) {
  HANDLE out = ConsoleOutput(which);
  if (!out || text.empty()) return;
  std::string line = text;
  if (line.back() != '\n') line += "\r\n";
  const std::wstring wide = GbkToWide(line);
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                      nullptr, nullptr);
  WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

int SendToRunningCopy(HWND running, const a::CommandLine& command) {
  DWORD pid = 0;
  GetWindowThreadProcessId(running, &pid);
  const TKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  TReplyBox box;
  const TWindowHandle reply_window = MakeReplyWindow(box);
  if (!reply_window) return Failed("无法创建接收回复的窗口");

  const std::string request = a::EncodeRequest({command.command, command.server});
  COPYDATASTRUCT data{a::kRequestTag, static_cast<DWORD>(request.size()),
                      const_cast<char*>(request.data())};
  DWORD_PTR accepted = 0;
  if (!SendMessageTimeoutW(running, WM_COPYDATA, reinterpret_cast<WPARAM>(reply_window.Get()),
                           reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kSendLimitMs,
                           &accepted))
    return Failed("正在运行的程序没有响应");
  if (accepted != TRUE) return Failed("正在运行的程序没有接受这个命令");

  if (!WaitFor(process.Get(), TimeLimitMs(command.command), [&] { return box.reply.has_value(); }))
    return Failed(process && WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0
                      ? "正在运行的程序已经退出"
                      : "等待正在运行的程序超时");
  if (command.command == a::Command::Quit && box.reply->code == a::kExitDone) {
    // Done when the copy has ended.
    if (process && WaitForSingleObject(process.Get(), kQuitLimitMs) != WAIT_OBJECT_0)
      return Failed("正在运行的程序没有退出");
  }
  if (box.reply->code != a::kExitDone) return Failed(box.reply->text);
  if (command.command == a::Command::Status) PrintText(STD_OUTPUT_HANDLE, box.reply->text);
  return a::kExitDone;
}

int NoRunningCopy(const a::CommandLine& command) {
  if (command.command != a::Command::Status) return a::kExitDone;
  PrintText(STD_OUTPUT_HANDLE, "State=NotRunning");
  PrintText(STD_ERROR_HANDLE, std::string(a::kProgramCaption) + "没有运行");
  return a::kExitNotRunning;
}

void ActivateRunningCopy(HWND running) {
  // The window in the notification area comes back through the copy itself: from
  // outside only its application window could be reached, which shows nothing then.
  if (!IsWindowVisible(running)) {
    const std::string request = a::EncodeRequest({a::Command::Show, ""});
    COPYDATASTRUCT data{a::kRequestTag, static_cast<DWORD>(request.size()),
                        const_cast<char*>(request.data())};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                        kSendLimitMs, &ignored);
    return;
  }
  HWND app = GetWindow(running, GW_OWNER);
  if (!app) return;
  if (IsIconic(app))
    ShowWindow(app, SW_SHOWNORMAL);
  else
    SetForegroundWindow(app);
}
