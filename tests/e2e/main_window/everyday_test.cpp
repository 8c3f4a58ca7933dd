// Everyday use end to end against rassim: a second copy started with a command line hands
// its command to the running copy and ends with its outcome, the program starts with
// Windows to the notification area and connects by itself, the connection log records a
// dial and a drop (and never the password) and shows in its window, and a refused dial
// says what to try.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/app/command_line.h"
#include "tests/e2e/main_window/support.h"

namespace {

using mw::Session;

const wchar_t kCaption[] = L"Morlu连接器";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The advice for a refused account (691), as the failure shows it.
const wchar_t kAdvice691[] =
    L"用户名或密码不对，或帐户已到期：请核对用户名和密码（注意大小写）后再连接，仍不行请联系客服。";

std::string Service(const std::string& lines, const std::string& password = "demo") {
  return "[service]\nstate_delay_ms=5\nhangup_delay_ms=20\n" + lines +
         "[account demo]\npassword=" + password + "\n";
}

std::string U(const std::wstring& s) {
  return e2e::WideToUtf8(s);
}

bool Has(const std::string& text, const std::wstring& part) {
  return text.find(U(part)) != std::string::npos;
}

// What a second copy printed and how it ended.
struct CopyRun {
  DWORD code = 999;
  std::string out, err;  // as written (UTF-8 into a pipe)
};

std::string Drain(HANDLE pipe) {
  std::string text;
  DWORD n = 0;
  char buffer[4096];
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &n, nullptr) && n > 0 &&
         ReadFile(pipe, buffer, std::min<DWORD>(n, sizeof buffer), &n, nullptr) && n > 0)
    text.append(buffer, n);
  return text;
}

// Starts vpnclient.exe with `args` as a script would, its output into pipes, and waits for
// its end (pumping: the running copy sends this thread's stand-in notification area its
// icon records meanwhile).
CopyRun RunCopy(const std::wstring& args, DWORD ms = 30000) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out_read, out_write, err_read, err_write;
  CreatePipe(&out_read, &out_write, &inherit, 1 << 16);
  CreatePipe(&err_read, &err_write, &inherit, 1 << 16);
  SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nullptr;
  si.hStdOutput = out_write;
  si.hStdError = err_write;
  std::wstring line = L"\"" + e2e::ProgramPath() + L"\" " + args;
  PROCESS_INFORMATION pi{};
  CopyRun run;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
    throw e2e::Failure("the second copy could not be started");
  CloseHandle(out_write);
  CloseHandle(err_write);
  e2e::WaitUntil(
      [&] {
        run.out += Drain(out_read);
        run.err += Drain(err_read);
        return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
      },
      ms, 10);
  if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 998);
  WaitForSingleObject(pi.hProcess, 5000);
  GetExitCodeProcess(pi.hProcess, &run.code);
  run.out += Drain(out_read);
  run.err += Drain(err_read);
  for (HANDLE h : {pi.hProcess, pi.hThread, out_read, err_read}) CloseHandle(h);
  return run;
}

std::string LogText() {
  std::string text;
  for (const std::string& line : e2e::ReadLines(mw::ConnectionLogPath())) text += line + "\n";
  return text;
}

// Right click on the icon, then the settings sub-menu opened with a click on its item.
HWND OpenSettingsSubMenu(DWORD pid, const mw::FakeNotificationArea& tray) {
  e2e::MoveMouse({700, 560});
  tray.RightClickIcon();
  HWND menu = e2e::WaitForPopupMenu(pid);
  if (!menu) throw e2e::Failure("no tray menu");
  e2e::PickMenuItem(menu, L"设置(S)");
  HWND sub = nullptr;
  e2e::WaitUntil(
      [&] {
        for (HWND w : e2e::TopWindows(pid, L"#32768"))
          if (w != menu && IsWindowVisible(w)) sub = w;
        return sub != nullptr;
      },
      3000);
  if (!sub) {
    e2e::SaveScreenshot(e2e::ArtifactPath(L"everyday-no-submenu.bmp"));
    throw e2e::Failure("the settings sub-menu did not open");
  }
  return sub;
}

void PickSetting(DWORD pid, const mw::FakeNotificationArea& tray, const wchar_t* item) {
  HWND sub = OpenSettingsSubMenu(pid, tray);
  e2e::PickMenuItem(sub, item);
  e2e::WaitUntil([&] { return e2e::FindPopupMenu(pid) == nullptr; }, 3000);
}

class Everyday : public ::testing::Test {
 protected:
  void SetUp() override {
    mw::SetReportedVersion(L"");
    e2e::DeleteSettings();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"vpnclient");
  }
  void TearDown() override {
    e2e::DeleteSettings();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"vpnclient");
  }
};

TEST_F(Everyday, ASecondCopyHandsItsCommandToTheRunningOneAndEndsWithItsOutcome) {
  mw::FakeNotificationArea tray;
  Session s(L"everyday-commands", Service("bytes_sent_per_s=5000\n"));
  mw::FillDemoAccount(s);

  CopyRun r = RunCopy(L"/status");
  EXPECT_EQ(r.code, 0u) << r.err;
  EXPECT_TRUE(Has(r.out, L"State=Idle\r\nStatus=断开\r\n")) << r.out;
  EXPECT_FALSE(Has(r.out, L"Server=")) << "a line named while there is none";

  // /connect ends once the line is up.
  r = RunCopy(L"/connect");
  EXPECT_EQ(r.code, 0u) << r.err;
  ASSERT_EQ(s.Journal("RasDialA").size(), 1u);
  EXPECT_EQ(s.Journal("RasDialA")[0].Field("result"), "0");
  EXPECT_TRUE(e2e::WaitUntil([&] { return !s.Visible(); }, 5000)) << "not in the tray";

  Sleep(1100);
  r = RunCopy(L"/status");
  EXPECT_EQ(r.code, 0u) << r.err;
  EXPECT_TRUE(Has(r.out, L"State=Connected\r\n")) << r.out;
  EXPECT_TRUE(Has(r.out, L"\r\nServer=127.0.0.1\r\nTunnel=PPTP\r\nDuration=00:00:0")) << r.out;
  EXPECT_TRUE(Has(r.out, L"\r\nBytesSent=")) << r.out;
  EXPECT_FALSE(Has(r.out, L"BytesSent=0\r\n")) << "the statistics were not read: " << r.out;
  EXPECT_TRUE(r.err.empty()) << r.err;

  // Connected already: nothing is dialed again; another server is refused.
  EXPECT_EQ(RunCopy(L"/connect").code, 0u);
  r = RunCopy(L"/connect 10.1.1.1");
  EXPECT_EQ(r.code, 1u);
  EXPECT_TRUE(Has(r.err, L"已连接到 127.0.0.1，请先断开")) << r.err;
  EXPECT_EQ(s.Journal("RasDialA").size(), 1u);

  r = RunCopy(L"/disconnect");
  EXPECT_EQ(r.code, 0u) << r.err;
  EXPECT_EQ(s.Status(), L"断开成功");
  EXPECT_FALSE(s.Journal("RasHangUpA").empty());
  EXPECT_TRUE(mw::InputsEnabled(s));
  EXPECT_EQ(RunCopy(L"/disconnect").code, 0u) << "nothing to hang up is done too";

  // The server on the command line goes into the window and is dialed.
  s.Fill(L"IPAddrTxt", L"127.0.0.9");
  r = RunCopy(L"/CONNECT 127.0.0.1");
  EXPECT_EQ(r.code, 0u) << r.err;
  EXPECT_EQ(e2e::TextOf(s.C(L"IPAddrTxt")), L"127.0.0.1");
  ASSERT_EQ(s.Journal("RasDialA").size(), 2u);
  EXPECT_EQ(s.Journal("RasDialA")[1].Field("server"), "127.0.0.1");

  // /quit hangs up without asking and ends the running copy before the second one ends.
  const size_t hang_ups = s.Journal("RasHangUpA").size();
  r = RunCopy(L"-quit");
  EXPECT_EQ(r.code, 0u) << r.err;
  EXPECT_FALSE(s.App().Running()) << "the running copy did not end";
  EXPECT_GT(s.Journal("RasHangUpA").size(), hang_ups);

  // No copy runs now: /status says so, the others have nothing to do and start nothing.
  r = RunCopy(L"/status");
  EXPECT_EQ(r.code, 3u);
  EXPECT_TRUE(Has(r.out, L"State=NotRunning")) << r.out;
  EXPECT_EQ(RunCopy(L"/disconnect").code, 0u);
  EXPECT_EQ(RunCopy(L"/quit").code, 0u);
  EXPECT_EQ(e2e::FindTopWindow(0, L"TFrmMain"), nullptr);
}

TEST_F(Everyday, ARefusedConnectEndsWithOneAndSaysWhatToTry) {
  mw::FakeNotificationArea tray;
  DeleteFileW(mw::ConnectionLogPath().c_str());
  Session s(L"everyday-refused", Service("", "changed"));
  mw::FillDemoAccount(s);
  CopyRun r = RunCopy(L"/connect");
  EXPECT_EQ(r.code, 1u);
  EXPECT_EQ(r.err, U(std::wstring(L"无法连接，错误号为:691\r\n") + kAdvice691 + L"\r\n"));
  EXPECT_TRUE(r.out.empty()) << r.out;
  // The window: the design's text in the status bar, the advice in a balloon over it.
  EXPECT_EQ(s.Status(), L"无法连接，错误号为:691");
  HWND balloon = nullptr;
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        for (HWND w : s.App().Windows(L"tooltips_class32"))
          if (IsWindowVisible(w) && e2e::TextOf(w) == kAdvice691) balloon = w;
        return balloon != nullptr;
      },
      3000))
      << "no balloon with the advice";
  RECT tip{}, bar{};
  GetWindowRect(balloon, &tip);
  GetWindowRect(s.C(L"StatusBar1"), &bar);
  EXPECT_LT(tip.top, bar.bottom) << "the balloon is not beside the status bar";
  EXPECT_GT(tip.bottom, bar.top - 150);
  Sleep(300);
  e2e::SaveScreenshot(e2e::ArtifactPath(L"everyday-failure-advice.bmp"));
  // The next connect takes the balloon away.
  r = RunCopy(L"/connect");
  EXPECT_EQ(r.code, 1u);
  EXPECT_EQ(s.Journal("RasDialA").size(), 2u);

  // The log holds the error with its number, the system's text and the advice.
  std::string log;
  ASSERT_TRUE(e2e::WaitUntil([&] { return Has(log = LogText(), L"建议："); }, 3000)) << log;
  EXPECT_TRUE(Has(log, L"[错误] 错误号 691：")) << log;
  EXPECT_TRUE(Has(log, std::wstring(L"建议：") + kAdvice691)) << log;
  EXPECT_TRUE(Has(log, L"[命令] 命令行 /connect")) << log;

  // Refused by the window's own checks before anything is dialed: it says which field.
  s.Fill(L"PasswordTxt", L"");
  r = RunCopy(L"/connect");
  EXPECT_EQ(r.code, 1u);
  EXPECT_TRUE(Has(r.err, L"无法连接：请先填写密码")) << r.err;
  EXPECT_EQ(s.Journal("RasDialA").size(), 2u);
}

TEST_F(Everyday, TheRunningCopyTakesOnlyWellFormedRequestsAndABadCommandLineGetsTheUsage) {
  Session s(L"everyday-requests", Service(""));
  auto send = [&](ULONG_PTR tag, const std::string& bytes, HWND from = nullptr) {
    COPYDATASTRUCT data{tag, static_cast<DWORD>(bytes.size()), const_cast<char*>(bytes.data())};
    DWORD_PTR result = 77;
    SendMessageTimeoutW(s.Main(), WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                        reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000, &result);
    return result;
  };
  const std::string quit = vpn::app::EncodeRequest({vpn::app::Command::Quit, ""});
  EXPECT_EQ(send(0x1234, quit), 0u) << "another tag";
  EXPECT_EQ(send(vpn::app::kRequestTag, quit + std::string(600, ' ')), 0u) << "too long";
  EXPECT_EQ(send(vpn::app::kRequestTag, "vpnclient-request 1\n/quit\nnow"), 0u);
  EXPECT_EQ(send(vpn::app::kRequestTag, std::string()), 0u);
  // A reply window of another kind is not answered (a handle from outside).
  EXPECT_EQ(send(vpn::app::kRequestTag, quit, GetDesktopWindow()), 0u);
  e2e::Sync(s.Main());
  EXPECT_TRUE(s.App().Running());
  EXPECT_TRUE(IsWindowVisible(s.Main()));
  // A well-formed one is taken.
  EXPECT_EQ(send(vpn::app::kRequestTag, vpn::app::EncodeRequest({vpn::app::Command::Tray, ""})),
            1u);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !s.Visible(); }, 3000));

  // A start without a command brings the window back out of the tray.
  CopyRun r = RunCopy(L"");
  EXPECT_EQ(r.code, 0u);
  EXPECT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 3000)) << "the window stayed in the tray";

  // An option the program does not know: the usage box, then exit code 2.
  for (const wchar_t* args : {L"/bogus", L"/status now"}) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring line = L"\"" + e2e::ProgramPath() + L"\" " + args;
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi));
    HWND box = nullptr;
    ASSERT_TRUE(
        e2e::WaitUntil([&] { return (box = e2e::FindDialog(pi.dwProcessId)) != nullptr; }, 10000));
    const std::wstring text = e2e::DialogText(box);
    EXPECT_NE(text.find(args[1] == L'b' ? L"未知的参数: /bogus" : L"多余的参数: now"),
              std::wstring::npos)
        << U(text);
    EXPECT_NE(text.find(L"/connect [服务器]"), std::wstring::npos) << U(text);
    Sleep(300);
    e2e::SaveScreenshot(e2e::ArtifactPath(L"everyday-usage.bmp"), box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 2u);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  EXPECT_TRUE(s.App().Running());
}

TEST_F(Everyday, StartedWithWindowsItSitsInTheTrayAndConnectsByItself) {
  mw::FakeNotificationArea tray;
  const std::wstring start_command = L"\"" + e2e::ProgramPath() + L"\" /tray";
  {
    Session s(L"everyday-settings", Service(""));
    mw::FillDemoAccount(s);
    e2e::Click(s.C(L"CheckBox1"));  // the password is remembered
    ASSERT_EQ(RunCopy(L"/tray").code, 0u);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Visible() && tray.IconShown(); }, 5000));

    PickSetting(s.App().Pid(), tray, L"开机启动(B)");
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return e2e::RegString(HKEY_CURRENT_USER, kRunKey, L"vpnclient") == start_command; },
        3000))
        << U(e2e::RegString(HKEY_CURRENT_USER, kRunKey, L"vpnclient").value_or(L"(none)"));
    HWND sub = OpenSettingsSubMenu(s.App().Pid(), tray);
    EXPECT_TRUE(e2e::MenuItemNamed(sub, L"开机启动(B)").checked);
    EXPECT_FALSE(e2e::MenuItemNamed(sub, L"启动后自动连接(O)").checked);
    e2e::PickMenuItem(sub, L"开机启动(B)");
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return !e2e::RegString(HKEY_CURRENT_USER, kRunKey, L"vpnclient").has_value(); },
        3000))
        << "the Run value stayed after the item was unticked";

    PickSetting(s.App().Pid(), tray, L"启动后自动连接(O)");
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Setting(L"ConnectOnStart") == L"Yes"; }, 3000));
    sub = OpenSettingsSubMenu(s.App().Pid(), tray);
    EXPECT_TRUE(e2e::MenuItemNamed(sub, L"启动后自动连接(O)").checked);
    EXPECT_FALSE(e2e::MenuItemNamed(sub, L"开机启动(B)").checked);
    Sleep(200);
    e2e::SaveScreenshot(e2e::ArtifactPath(L"everyday-settings-menu.bmp"));
    e2e::CloseMenu(sub);
    e2e::CloseMenu(e2e::FindPopupMenu(s.App().Pid()));
    ASSERT_EQ(RunCopy(L"/quit").code, 0u);
  }

  // Started as Windows starts it at log-on: no window, the icon, and the line comes up.
  e2e::StartOptions options;
  options.clean_settings = false;
  options.args = L"/tray";
  const size_t records_before = tray.Records().size();
  e2e::UseRassim(options, L"everyday-logon", Service(""));
  e2e::Program app = e2e::Program::Start(options);
  HWND main = app.WaitForWindow(L"TFrmMain", kCaption, 15000, /*visible=*/false);
  ASSERT_NE(main, nullptr);
  bool ever_visible = false;
  auto watch = [&] {
    ever_visible =
        ever_visible || IsWindowVisible(main) || IsWindowVisible(GetWindow(main, GW_OWNER));
  };
  EXPECT_TRUE(e2e::WaitUntil(
      [&] {
        watch();
        for (const mw::TrayRecord& record : tray.Records())
          if (record.info == L"程序已最小化.") return true;
        return false;
      },
      15000))
      << "not connected from the start";
  for (int i = 0; i < 20; ++i) {
    watch();
    Sleep(25);
  }
  EXPECT_FALSE(ever_visible) << "the window or its task-bar button showed";
  for (size_t i = records_before; i < tray.Records().size(); ++i)
    EXPECT_FALSE(tray.Records()[i].main_window_visible) << i;
  CopyRun r = RunCopy(L"/status");
  EXPECT_TRUE(Has(r.out, L"State=Connected\r\n")) << r.out;
  // The icon brings the window back.
  tray.ClickIcon();
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 5000));
  EXPECT_EQ(RunCopy(L"/quit").code, 0u);
  EXPECT_TRUE(app.WaitExit(5000).has_value());
}

TEST_F(Everyday, TheLogKeepsADialAndADropWithoutThePasswordAndShowsInItsWindow) {
  const std::wstring password = L"S3cret-Pa55";
  DeleteFileW(mw::ConnectionLogPath().c_str());
  mw::FakeNotificationArea tray;
  Session s(L"everyday-log", Service("drop_after_ms=1200\n", U(password)));
  s.Fill(L"IPAddrTxt", L"127.0.0.1");
  s.Fill(L"UserNameTxt", L"demo");
  s.Fill(L"PasswordTxt", password);
  e2e::Click(s.C(L"Button1"));
  ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"连接已断开", 10000)) << U(s.Status());

  std::string log;
  ASSERT_TRUE(e2e::WaitUntil([&] { return Has(log = LogText(), L"[信息] 连接已断开"); }, 3000))
      << log;
  for (const wchar_t* entry :
       {L"[状态] 未连接 → 正在连接（Connect）：服务器 127.0.0.1，用户 demo", L"[信息] 建立连接",
        L"[信息] 连接中....请稍等", L"[信息] 连接成功", L"[状态] 正在连接 → 已连接（LineUp）：PPTP",
        L"[状态] 已连接 → 连接已断开（LineLost）"})
    EXPECT_TRUE(Has(log, entry)) << U(entry) << "\n" << log;
  EXPECT_FALSE(Has(log, password)) << "the password is in the log";
  // Sleep and wake are told too.
  PostMessageW(s.Main(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
  PostMessageW(s.Main(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  EXPECT_TRUE(e2e::WaitUntil([&] { return Has(log = LogText(), L"[系统] 系统已唤醒"); }, 3000))
      << log;
  EXPECT_TRUE(Has(log, L"[系统] 系统进入睡眠")) << log;
  EXPECT_LT(log.find(U(L"（Connect）")), log.find(U(L"（LineLost）")));

  // The window, from the settings sub-menu of the icon that stayed for the drop.
  PickSetting(s.App().Pid(), tray, L"连接日志(L)");
  HWND window = s.App().WaitForWindow(L"TFrmLog", L"连接日志", 5000);
  ASSERT_NE(window, nullptr) << "no log window";
  EXPECT_TRUE(e2e::WaitUntil([&] { return SendMessageW(window, 0x3504, 0, 0) == 1; }, 3000))
      << "the log window is not skinned";
  HWND memo = e2e::Control(window, L"Memo1");
  const std::string shown = U(e2e::TextOf(memo));
  EXPECT_TRUE(Has(shown, L"[状态] 已连接 → 连接已断开（LineLost）")) << shown;
  EXPECT_FALSE(Has(shown, password));

  // "复制" puts the whole log on the clipboard.
  e2e::Click(e2e::Control(window, L"Button1"));
  e2e::Sync(window);
  std::wstring copied;
  if (OpenClipboard(nullptr)) {
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      copied = static_cast<const wchar_t*>(GlobalLock(data));
      GlobalUnlock(data);
    }
    CloseClipboard();
  }
  EXPECT_EQ(copied, e2e::TextOf(memo) + L"\r\n") << "not the whole log";

  // "打开文件夹": the system's file window, at the log's folder.
  e2e::Click(e2e::Control(window, L"Button2"));
  HWND folder = nullptr;
  EXPECT_TRUE(e2e::WaitUntil(
      [&] {
        for (HWND w : e2e::TopWindows(0, nullptr))
          if (IsWindowVisible(w) && e2e::PidOf(w) != s.App().Pid() &&
              e2e::TextOf(w) == L"vpnclient" && e2e::ClassOf(w) != L"TFrmMain")
            folder = w;
        return folder != nullptr;
      },
      10000))
      << "no file window for the log's folder";
  if (folder) {
    HANDLE shell = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, e2e::PidOf(folder));
    PostMessageW(folder, WM_CLOSE, 0, 0);
    if (shell && WaitForSingleObject(shell, 5000) != WAIT_OBJECT_0) TerminateProcess(shell, 0);
    if (shell) CloseHandle(shell);
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(300);
  e2e::SaveScreenshot(e2e::ArtifactPath(L"everyday-log-window.bmp"), window);

  // A new entry shows in the open window (which goes with the main window to the tray).
  e2e::Click(s.C(L"Button1"));
  EXPECT_TRUE(e2e::WaitUntil(
      [&] {
        return e2e::TextOf(memo).find(L"（LineUp）：PPTP") !=
               e2e::TextOf(memo).rfind(L"（LineUp）：PPTP");
      },
      10000))
      << "the second dial did not show in the window";
}

}  // namespace
