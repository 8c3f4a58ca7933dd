// vpnclient.exe started as a user starts it: its three windows, the main window's layout
// and keyboard order, and what a second copy does.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "skin/SkinManager.h"
#include "tests/e2e/kit/e2e_kit.h"

namespace {

using e2e::Control;

constexpr const wchar_t* kMainCaption = L"Morlu连接器";
constexpr const wchar_t* kMutexName = L"SingleInstanceProgramMutex";

// One control of the main window as the window design draws it. Positions are client
// pixels; an empty caption is not checked (edits, drop-down lists, browsers).
struct Expected {
  const wchar_t* name;
  const wchar_t* cls;
  const wchar_t* caption;
  int left, top, width, height;
  bool visible, enabled;
};

const Expected kMainControls[] = {
    {L"Label2", L"TLabel", L"用户名(ID):", 12, 146, 74, 12, true, true},
    {L"Label3", L"TLabel", L"密\u3000码(PS):", 12, 172, 74, 12, true, true},
    {L"Label1", L"TLabel", L"节点:", 484, 23, 33, 12, true, true},
    {L"Label4", L"TLabel", L"服务器(IP):", 12, 120, 74, 12, true, true},
    {L"WebBrowser1", L"TWebBrowser", nullptr, -1, -1, 352, 102, true, true},
    {L"Panel1", L"TPanel", L"Panel1", 488, 307, 201, 25, true, true},
    {L"Button2", L"TButton", L"断 开", 271, 161, 64, 27, true, false},
    {L"Button4", L"TButton", L"设置", 499, 104, 64, 27, false, true},
    {L"UserNameTxt", L"TEdit", L"", 91, 143, 166, 20, true, true},
    {L"CheckBox1", L"TCheckBox", L" 记住密码", 94, 193, 83, 17, true, true},
    {L"PasswordTxt", L"TMaskEdit", L"", 91, 168, 166, 20, true, true},
    {L"IPAddrTxtold", L"TComboBox", nullptr, 472, 139, 137, 23, true, true},
    {L"Button3", L"TButton", L"测速", 497, 216, 56, 25, true, true},
    {L"AreaTxt", L"TComboBox", nullptr, 471, 51, 78, 23, true, true},
    {L"CheckBox2", L"TCheckBox", L" L2TP模式", 172, 193, 89, 17, true, true},
    {L"Button5", L"TButton", L"帐户查询", 491, 263, 64, 27, true, true},
    {L"Button1", L"TButton", L"连 接", 271, 121, 64, 27, true, true},
    {L"IPAddrTxt", L"TEdit", L"", 90, 118, 167, 20, true, true},
    {L"WebBrowser2", L"TWebBrowser", nullptr, 476, 180, 323, 22, true, true},
};

// The keyboard cycle of the visible window: Disconnect is disabled at start, and nothing
// outside the visible area is a tab stop.
const std::vector<std::wstring> kTabCycle = {L"Button1",     L"IPAddrTxt", L"UserNameTxt",
                                             L"PasswordTxt", L"CheckBox1", L"CheckBox2"};

std::string Narrow(const std::wstring& s) {
  return e2e::WideToUtf8(s);
}

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(e2e::FileExists(e2e::ProgramPath())) << "vpnclient.exe is not built";
    app_ = e2e::Program::Start();
    main_ = app_.WaitForWindow(L"TFrmMain", kMainCaption, 20000);
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
  }
  void TearDown() override {
    if (!app_.Running()) return;
    app_.Stop(5000);
    EXPECT_FALSE(app_.WasTerminated()) << "the program did not close on WM_CLOSE";
  }
  // Form windows (the program's three classes) seen while `copy` runs, until it ends.
  static std::set<std::wstring> FormsWhileRunning(const e2e::Program& copy, DWORD ms) {
    std::set<std::wstring> seen;
    e2e::WaitUntil(
        [&] {
          for (HWND w : copy.Windows()) {
            std::wstring cls = e2e::ClassOf(w);
            if (cls == L"TFrmMain" || cls == L"TForm1" || cls == L"TForm2" || cls == L"#32770")
              seen.insert(cls);
          }
          return !copy.Running();
        },
        ms, 2);
    return seen;
  }
  static e2e::StartOptions SecondCopy() {
    e2e::StartOptions o;
    o.clean_settings = false;
    o.allow_other_copies = true;
    return o;
  }
  e2e::Program app_;
  HWND main_ = nullptr;
};

TEST_F(Startup, CreatesTheMainWindowAndTwoHiddenWindows) {
  EXPECT_TRUE(IsWindowVisible(main_));
  EXPECT_EQ(e2e::ClientSize(main_).cx, 351);
  EXPECT_EQ(e2e::ClientSize(main_).cy, 239);
  // The skin's frame draws the caption buttons (minimise and close), so the system is
  // left none to draw; it never offers to maximise or resize.
  ASSERT_TRUE(e2e::WaitUntil([&] { return SendMessageW(main_, SM_QUERYSKINNED, 0, 0) == 1; }, 1000))
      << "the main window is not skinned";
  LONG style = GetWindowLongW(main_, GWL_STYLE);
  EXPECT_FALSE(style & (WS_SYSMENU | WS_MINIMIZEBOX));
  EXPECT_FALSE(style & WS_MAXIMIZEBOX) << "the main window offers to maximize";
  EXPECT_FALSE(style & WS_THICKFRAME) << "the main window is resizable";
  // Centred as the system framed it; the skin's frame then grows around the client
  // area from the same top-left corner.
  RECT r;
  GetWindowRect(main_, &r);
  EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 8);
  EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 8);

  HWND speed = app_.WaitForWindow(L"TForm1", L"服务器速度测试", 5000, false);
  HWND account = app_.WaitForWindow(L"TForm2", L"帐户信息", 5000, false);
  ASSERT_NE(speed, nullptr) << "no speed-test window";
  ASSERT_NE(account, nullptr) << "no account window";
  EXPECT_FALSE(IsWindowVisible(speed));
  EXPECT_FALSE(IsWindowVisible(account));
  EXPECT_EQ(e2e::ClientSize(speed).cx, 215);
  EXPECT_EQ(e2e::ClientSize(speed).cy, 194);
  EXPECT_EQ(e2e::ClientSize(account).cx, 220);
  EXPECT_EQ(e2e::ClientSize(account).cy, 190);
  EXPECT_EQ(app_.Windows(L"TFrmMain").size(), 1u);

  // Every form is owned by the application window, which carries the task-bar button.
  HWND application = GetWindow(main_, GW_OWNER);
  ASSERT_NE(application, nullptr);
  EXPECT_EQ(e2e::ClassOf(application), L"TApplication");
  EXPECT_EQ(GetWindow(speed, GW_OWNER), application);
  EXPECT_EQ(GetWindow(account, GW_OWNER), application);
  EXPECT_EQ(e2e::TextOf(application), kMainCaption) << "the application title";

  // Start-up lets go of the single-instance mutex once the windows exist, so a later copy
  // gets it at once.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kMutexName);
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "the program still holds the mutex";
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}

TEST_F(Startup, MainWindowControlsAreWhereTheDesignPutsThem) {
  auto described = e2e::DescribeControls(main_);
  auto find = [&](std::wstring_view name) -> const e2e::ControlInfo* {
    for (const auto& c : described)
      if (c.name == name) return &c;
    return nullptr;
  };
  for (const Expected& e : kMainControls) {
    SCOPED_TRACE(Narrow(e.name));
    const e2e::ControlInfo* c = find(e.name);
    ASSERT_NE(c, nullptr) << "missing control";
    EXPECT_EQ(c->cls, e.cls);
    EXPECT_EQ(c->left, e.left);
    EXPECT_EQ(c->top, e.top);
    if (e.cls == std::wstring_view(L"TLabel")) {
      // Labels size themselves to their text, whose width depends on the font the system
      // has for "宋体": they keep their place and stay about as large as designed.
      EXPECT_GT(c->width, e.width / 2);
      EXPECT_LE(c->width, e.width + 8);
      EXPECT_GE(c->height, e.height);
      EXPECT_LE(c->height, e.height + 4);
    } else if (e.cls == std::wstring_view(L"TComboBox")) {
      // A drop-down list's height follows from its item height and the system's borders.
      EXPECT_EQ(c->width, e.width);
      EXPECT_NEAR(c->height, e.height, 2);
    } else {
      EXPECT_EQ(c->width, e.width);
      EXPECT_EQ(c->height, e.height);
    }
    EXPECT_EQ(c->visible, e.visible);
    EXPECT_EQ(c->enabled, e.enabled);
    if (e.caption) {
      EXPECT_EQ(Narrow(c->caption), Narrow(e.caption));
    }
    if (e.cls == std::wstring_view(L"TLabel")) {
      EXPECT_EQ(c->hwnd, nullptr) << "labels are drawn by their parent";
      continue;
    }
    // The description must agree with the real window.
    ASSERT_NE(c->hwnd, nullptr);
    EXPECT_EQ(e2e::FindControl(main_, e.name), c->hwnd);
    EXPECT_EQ(e2e::ClassOf(c->hwnd), e.cls);
    RECT r = e2e::RectIn(c->hwnd, main_);
    EXPECT_EQ(r.left, c->left);
    EXPECT_EQ(r.top, c->top);
    EXPECT_EQ(r.right - r.left, c->width);
    EXPECT_EQ(r.bottom - r.top, c->height);
    EXPECT_EQ(bool(IsWindowVisible(c->hwnd)), e.visible);
    EXPECT_EQ(bool(IsWindowEnabled(c->hwnd)), e.enabled);
    if (e.caption) {
      EXPECT_EQ(Narrow(e2e::TextOf(c->hwnd)), Narrow(e.caption));
    }
  }

  // The panel's label sits at 9, 7 inside the panel.
  const e2e::ControlInfo* label5 = find(L"Label5");
  ASSERT_NE(label5, nullptr);
  EXPECT_EQ(label5->left, 488 + 9);
  EXPECT_EQ(label5->top, 307 + 7);
  EXPECT_EQ(Narrow(label5->caption), Narrow(L"当前状态:"));

  // The status bar runs along the bottom edge and starts with "断开".
  const e2e::ControlInfo* bar = find(L"StatusBar1");
  ASSERT_NE(bar, nullptr);
  ASSERT_NE(bar->hwnd, nullptr);
  EXPECT_EQ(bar->cls, L"TStatusBar");
  EXPECT_TRUE(bar->visible);
  EXPECT_EQ(bar->left, 0);
  EXPECT_GE(bar->width, 351);
  EXPECT_GE(bar->top + bar->height, 239);
  EXPECT_LT(bar->top, 239 - 10);
  EXPECT_EQ(Narrow(e2e::StatusText(bar->hwnd)), Narrow(L"断开"));

  EXPECT_EQ(e2e::ComboItems(Control(main_, L"AreaTxt")), std::vector<std::wstring>{L"选择线路"});
  EXPECT_EQ(e2e::ComboItems(Control(main_, L"IPAddrTxtold")),
            std::vector<std::wstring>{L"选择服务器 "});
  EXPECT_FALSE(e2e::IsChecked(Control(main_, L"CheckBox1")));
  EXPECT_FALSE(e2e::IsChecked(Control(main_, L"CheckBox2")));
}

TEST_F(Startup, TabWalksTheVisibleInputsInOrder) {
  e2e::Click(Control(main_, L"IPAddrTxt"));
  ASSERT_EQ(e2e::FocusedControlName(main_), L"IPAddrTxt");
  std::vector<std::wstring> seen;
  for (size_t i = 0; i < kTabCycle.size() * 2; ++i) {
    e2e::PressKeyInForm(main_, VK_TAB);
    seen.push_back(e2e::FocusedControlName(main_));
  }
  std::vector<std::wstring> expected;
  for (size_t i = 0; i < kTabCycle.size() * 2; ++i)
    expected.push_back(kTabCycle[(i + 2) % kTabCycle.size()]);
  EXPECT_EQ(seen, expected);

  // Shift+Tab goes back (keys from the keyboard, to the foreground window).
  SetForegroundWindow(main_);
  ASSERT_TRUE(
      e2e::WaitUntil([&] { return e2e::PidOf(e2e::ForegroundWindow()) == app_.Pid(); }, 3000));
  ASSERT_EQ(e2e::FocusedControlName(main_), L"IPAddrTxt");
  e2e::SendKeyToForeground(VK_TAB, true);
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::FocusedControlName(main_) == L"Button1"; }, 2000))
      << Narrow(e2e::FocusedControlName(main_));
}

TEST_F(Startup, SecondCopyBringsTheFirstToTheForegroundAndEnds) {
  // Something else is in front when the second copy starts.
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"E2eOtherWindow";
  RegisterClassW(&wc);
  HWND other = CreateWindowExW(0, wc.lpszClassName, L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                               0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  // The first copy brings itself to the front once its first picture is up, which may
  // come after this window was made: it is put in front until it stays there.
  const auto stays_in_front = [&] {
    SetForegroundWindow(other);
    return e2e::WaitUntil([&] { return e2e::ForegroundWindow() == other; }, 1000) &&
           !e2e::WaitUntil([&] { return e2e::ForegroundWindow() != other; }, 500);
  };
  ASSERT_TRUE(e2e::WaitUntil(stays_in_front, 10000));

  e2e::Program second = e2e::Program::Start(SecondCopy());
  auto forms = FormsWhileRunning(second, 20000);
  ASSERT_FALSE(second.Running()) << "the second copy did not end";
  EXPECT_EQ(second.WaitExit(0), 0u);
  EXPECT_TRUE(forms.empty()) << "the second copy showed " << Narrow(*forms.begin());
  EXPECT_EQ(e2e::TopWindows(0, L"TFrmMain").size(), 1u);
  EXPECT_TRUE(
      e2e::WaitUntil([&] { return e2e::PidOf(e2e::ForegroundWindow()) == app_.Pid(); }, 3000))
      << "the first copy was not brought to the foreground";
  DestroyWindow(other);
}

TEST_F(Startup, SecondCopyRestoresAMinimizedFirstCopy) {
  HWND application = GetWindow(main_, GW_OWNER);
  ASSERT_NE(application, nullptr);
  PostMessageW(main_, WM_SYSCOMMAND, SC_MINIMIZE, 0);  // the title bar's minimize button
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsIconic(application) || IsIconic(main_); }, 3000));
  ASSERT_TRUE(IsIconic(application)) << "minimizing the main window leaves the application "
                                        "window (the task-bar button) as it was";

  e2e::Program second = e2e::Program::Start(SecondCopy());
  auto forms = FormsWhileRunning(second, 20000);
  ASSERT_FALSE(second.Running()) << "the second copy did not end";
  EXPECT_EQ(second.WaitExit(0), 0u);
  EXPECT_TRUE(forms.empty()) << "the second copy showed " << Narrow(*forms.begin());
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsIconic(application); }, 3000))
      << "the first copy stayed minimized";
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(main_) && !IsIconic(main_); }, 3000))
      << "the first copy's main window did not come back";
}

TEST(StartupRace, TwoCopiesStartedTogetherLeaveOneWindow) {
  e2e::Program a = e2e::Program::Start();
  e2e::StartOptions o;
  o.clean_settings = false;
  o.allow_other_copies = true;
  e2e::Program b = e2e::Program::Start(o);
  // One of them waits for the other's windows, finds them and ends.
  ASSERT_TRUE(e2e::WaitUntil([&] { return !a.Running() || !b.Running(); }, 30000));
  e2e::Program& ended = a.Running() ? b : a;
  e2e::Program& running = a.Running() ? a : b;
  EXPECT_EQ(ended.WaitExit(0), 0u);
  EXPECT_NE(running.WaitForWindow(L"TFrmMain", kMainCaption, 10000), nullptr);
  EXPECT_EQ(e2e::TopWindows(0, L"TFrmMain").size(), 1u);
  running.Stop();
  EXPECT_FALSE(running.WasTerminated());
}

TEST(StartupMutex, CopyWaitingMoreThanTenSecondsForTheMutexEndsSilently) {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, kMutexName);
  ASSERT_NE(mutex, nullptr);
  ASSERT_NE(GetLastError(), DWORD(ERROR_ALREADY_EXISTS)) << "another process holds the mutex";
  e2e::Program app = e2e::Program::Start();
  std::set<std::wstring> forms;
  auto watch = [&] {
    for (HWND w : app.Windows()) {
      std::wstring cls = e2e::ClassOf(w);
      if (IsWindowVisible(w) || cls == L"TFrmMain" || cls == L"TForm1" || cls == L"TForm2")
        forms.insert(cls);
    }
    return !app.Running();
  };
  // Still waiting after a while: the copy neither gave up early nor went on.
  EXPECT_FALSE(e2e::WaitUntil(watch, 7000, 5));
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(e2e::WaitUntil(watch, 15000, 5)) << "the copy did not give up waiting";
  EXPECT_EQ(app.WaitExit(0), 0u);
  for (const auto& cls : forms)
    ADD_FAILURE() << "the waiting copy showed a window: " << Narrow(cls);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  HKEY key;
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, e2e::kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS)
      << "the copy that gave up went on to load its settings";
}

}  // namespace
