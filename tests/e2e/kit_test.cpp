// The end-to-end kit against a small window program of known behaviour (e2e_fixture.exe).
#include <gtest/gtest.h>

#include <set>

#include "tests/e2e/kit/e2e_kit.h"

namespace {

using e2e::Control;

e2e::StartOptions FixtureOptions(std::wstring args = L"") {
  e2e::StartOptions o;
  o.exe = e2e::BinDir() + L"\\e2e_fixture.exe";
  o.args = std::move(args);
  o.clean_settings = false;
  o.main_class = L"TFixture";
  return o;
}

class KitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = e2e::Program::Start(FixtureOptions());
    form_ = app_.WaitForWindow(L"TFixture", L"Fixture 窗口");
    ASSERT_NE(form_, nullptr) << "the fixture window did not appear";
  }
  e2e::Program app_;
  HWND form_ = nullptr;
};

TEST_F(KitTest, FindsControlsByNameClassAndDescription) {
  EXPECT_EQ(e2e::ClientSize(form_).cx, 320);
  EXPECT_EQ(e2e::ClientSize(form_).cy, 200);
  EXPECT_EQ(e2e::FindTopWindow(app_.Pid(), L"TFixture"), form_);
  EXPECT_EQ(e2e::FindTopWindow(app_.Pid(), nullptr, L"Fixture 窗口"), form_);
  EXPECT_EQ(e2e::FindTopWindow(app_.Pid(), L"TFixture", L"Fixture"), nullptr);

  HWND edit = Control(form_, L"Edit1");
  EXPECT_EQ(e2e::ControlName(edit), L"Edit1");
  EXPECT_EQ(_wcsicmp(e2e::ClassOf(edit).c_str(), L"Edit"), 0);
  EXPECT_EQ(e2e::FindChild(form_, nullptr, L"按钮"), Control(form_, L"Button1"));
  EXPECT_EQ(e2e::FindControl(form_, L"NoSuchControl"), nullptr);
  EXPECT_THROW(Control(form_, L"NoSuchControl"), e2e::Failure);

  auto all = e2e::DescribeControls(form_);
  ASSERT_EQ(all.size(), 8u);
  EXPECT_EQ(all[0].name, L"Label1");
  EXPECT_EQ(all[0].cls, L"TLabel");
  EXPECT_EQ(all[0].hwnd, nullptr);
  EXPECT_EQ(all[0].caption, L"标签:");
  EXPECT_EQ(all[0].left, 10);
  EXPECT_EQ(all[0].width, 56);
  auto distant = e2e::DescribeControl(form_, L"Far1");
  ASSERT_TRUE(distant);
  EXPECT_EQ(distant->left, 500);
  EXPECT_EQ(distant->caption, L"远");
  EXPECT_EQ(distant->hwnd, Control(form_, L"Far1"));
  RECT r = e2e::RectIn(distant->hwnd, form_);
  EXPECT_EQ(r.left, 500);
  EXPECT_EQ(r.bottom - r.top, 24);
  auto disabled = e2e::DescribeControl(form_, L"Disabled1");
  ASSERT_TRUE(disabled);
  EXPECT_FALSE(disabled->enabled);
  EXPECT_TRUE(disabled->visible);
  EXPECT_FALSE(e2e::DescribeControl(form_, L"NoSuchControl"));
  EXPECT_EQ(e2e::DescribeControl(form_, L"CheckBox1")->caption, L"勾\t选\\");
}

TEST_F(KitTest, ReadsStatusBarListsAndCaptions) {
  EXPECT_EQ(e2e::TextOf(form_), L"Fixture 窗口");
  EXPECT_EQ(e2e::StatusText(Control(form_, L"StatusBar1")), L"就绪");
  EXPECT_EQ(e2e::ListItems(Control(form_, L"ListBox1")),
            (std::vector<std::wstring>{L"一", L"two", L"三 3"}));
  EXPECT_TRUE(e2e::ListItems(Control(form_, L"Edit1")).empty());
}

TEST_F(KitTest, TypesClicksAndPressesKeys) {
  HWND edit = Control(form_, L"Edit1");
  HWND bar = Control(form_, L"StatusBar1");
  const std::wstring text = L"Ab 1.2 中文€";
  e2e::TypeText(edit, text);
  EXPECT_EQ(e2e::TextOf(edit), text);

  e2e::Click(Control(form_, L"Button1"));
  EXPECT_TRUE(e2e::WaitForStatus(bar, L"clicked:" + text, 2000)) << e2e::StatusText(bar);

  // Keys go through the program's loop: Backspace edits, Enter reaches the dialog logic.
  e2e::Click(edit, POINT{140, 10});
  EXPECT_EQ(e2e::FocusedWindow(form_), edit);
  e2e::PressKeyInForm(form_, VK_END);
  e2e::PressKeyInForm(form_, VK_BACK);
  EXPECT_EQ(e2e::TextOf(edit), L"Ab 1.2 中文");
  e2e::PressKeyInForm(form_, VK_RETURN);
  EXPECT_TRUE(e2e::WaitForStatus(bar, L"enter:Ab 1.2 中文", 2000)) << e2e::StatusText(bar);

  HWND check = Control(form_, L"CheckBox1");
  EXPECT_FALSE(e2e::IsChecked(check));
  e2e::ClickAt(form_, POINT{15, 49});
  EXPECT_TRUE(e2e::IsChecked(check));
  e2e::Click(check);
  EXPECT_FALSE(e2e::IsChecked(check));
}

TEST_F(KitTest, FollowsTheFocusThroughTheTabOrder) {
  e2e::Click(Control(form_, L"Edit1"));
  std::vector<std::wstring> seen;
  for (int i = 0; i < 4; ++i) {
    e2e::PressKeyInForm(form_, VK_TAB);
    seen.push_back(e2e::FocusedControlName(form_));
  }
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"Button1", L"CheckBox1", L"ListBox1", L"Edit1"}));
}

TEST_F(KitTest, SendInputReachesTheForegroundWindow) {
  HWND edit = Control(form_, L"Edit1");
  e2e::Click(edit);
  SetForegroundWindow(form_);
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ForegroundWindow() == form_; }, 2000));
  e2e::SendKeysToForeground(L"xy中");
  EXPECT_TRUE(e2e::WaitForText(edit, L"xy中", 2000)) << e2e::WideToUtf8(e2e::TextOf(edit));
  e2e::SendKeyToForeground(VK_TAB, true);  // Shift+Tab goes backwards
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::FocusedControlName(form_) == L"ListBox1"; }, 2000))
      << e2e::WideToUtf8(e2e::FocusedControlName(form_));
}

TEST_F(KitTest, CapturesTheWindowAsABitmap) {
  e2e::Image img = e2e::CaptureScreen(form_);
  RECT wr;
  GetWindowRect(form_, &wr);
  EXPECT_EQ(img.width, wr.right - wr.left);
  EXPECT_EQ(img.height, wr.bottom - wr.top);
  std::set<std::uint32_t> colours(img.pixels.begin(), img.pixels.end());
  EXPECT_GT(colours.size(), 3u) << "the capture looks blank";
  // The button face shows inside the client area, away from the controls.
  POINT p{300, 150};
  ClientToScreen(form_, &p);
  EXPECT_EQ(img.At(p.x - wr.left, p.y - wr.top), [] {
    COLORREF c = GetSysColor(COLOR_BTNFACE);
    return std::uint32_t(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
  }());

  std::wstring path = e2e::SaveScreenshot(e2e::ArtifactPath(L"kit-fixture.bmp"), form_);
  HANDLE f =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  BITMAPFILEHEADER fh;
  BITMAPINFOHEADER ih;
  DWORD got = 0;
  ReadFile(f, &fh, sizeof fh, &got, nullptr);
  ReadFile(f, &ih, sizeof ih, &got, nullptr);
  DWORD size = GetFileSize(f, nullptr);
  CloseHandle(f);
  EXPECT_EQ(fh.bfType, 0x4D42);
  EXPECT_EQ(ih.biWidth, img.width);
  EXPECT_EQ(ih.biHeight, img.height);
  EXPECT_EQ(size, fh.bfOffBits + DWORD((img.width * 3 + 3) & ~3) * img.height);

  e2e::Image screen = e2e::CaptureScreen();
  EXPECT_EQ(screen.width, GetSystemMetrics(SM_CXVIRTUALSCREEN));
}

TEST_F(KitTest, StopsByClosingAndRefusesASecondCopy) {
  EXPECT_THROW(e2e::Program::Start(FixtureOptions()), e2e::Failure);
  EXPECT_EQ(app_.Stop(), 0u);
  EXPECT_FALSE(app_.WasTerminated());
  EXPECT_FALSE(app_.Running());
}

TEST(KitProgram, TerminatesAProgramThatRefusesToClose) {
  e2e::Program app = e2e::Program::Start(FixtureOptions(L"--ignore-close"));
  ASSERT_NE(app.WaitForWindow(L"TFixture"), nullptr);
  EXPECT_FALSE(app.WaitExit(100));
  app.Stop(500);
  EXPECT_TRUE(app.WasTerminated());
  EXPECT_FALSE(app.Running());
  EXPECT_TRUE(app.Windows().empty());
}

TEST(KitProgram, StartFailsClearlyForAMissingProgram) {
  e2e::StartOptions o = FixtureOptions();
  o.exe = e2e::BinDir() + L"\\no-such-program.exe";
  EXPECT_THROW(e2e::Program::Start(o), e2e::Failure);
}

TEST(KitProgram, PrefersTheSimulatedServiceBesideTheProgram) {
  e2e::Program app = e2e::Program::Start(FixtureOptions(L"--load-rasapi32"));
  ASSERT_NE(app.WaitForWindow(L"TFixture"), nullptr);
  std::wstring beside = e2e::BinDir() + L"\\rasapi32.dll";
  std::wstring loaded = e2e::ModulePath(app.Pid(), L"rasapi32.dll");
  ASSERT_FALSE(loaded.empty()) << "rasapi32.dll is not loaded";
  if (e2e::FileExists(beside))
    EXPECT_EQ(_wcsicmp(loaded.c_str(), beside.c_str()), 0) << e2e::WideToUtf8(loaded);
  else  // without the simulation the system's own library is used
    EXPECT_NE(_wcsicmp(loaded.c_str(), beside.c_str()), 0);
}

TEST(KitProgram, PassesEnvironmentAndRassimFiles) {
  e2e::StartOptions o = FixtureOptions();
  e2e::WriteBytes(e2e::ArtifactPath(L"kit-journal.txt"), "old line\n");
  e2e::RassimFiles files = e2e::UseRassim(o, L"kit", "[service]\nstate_delay_ms=1\n");
  EXPECT_EQ(e2e::ReadLines(files.scenario),
            (std::vector<std::string>{"[service]", "state_delay_ms=1"}));
  EXPECT_FALSE(e2e::FileExists(files.journal)) << "an old journal was left for the new run";
  o.env.push_back({L"E2E_FIXTURE_STATUS", L"环境 " + files.journal});
  e2e::Program app = e2e::Program::Start(o);
  HWND form = app.WaitForWindow(L"TFixture");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(e2e::StatusText(Control(form, L"StatusBar1")), L"环境 " + files.journal);
  EXPECT_EQ(app.Stop(), 0u);
}

// The same operations on windows of the program's own framework.
TEST(KitOnFramework, DescribesTypesClicksAndTabs) {
  e2e::StartOptions o = FixtureOptions();
  o.exe = e2e::BinDir() + L"\\e2e_framework_fixture.exe";
  o.main_class = L"TFixtureForm";
  e2e::Program app = e2e::Program::Start(o);
  HWND form = app.WaitForWindow(L"TFixtureForm", L"框架 fixture");
  ASSERT_NE(form, nullptr);
  auto label = e2e::DescribeControl(form, L"Label1");
  ASSERT_TRUE(label);
  EXPECT_EQ(label->cls, L"TLabel");
  EXPECT_EQ(label->hwnd, nullptr);
  EXPECT_EQ(label->caption, L"名称:");
  EXPECT_EQ(label->left, 8);
  EXPECT_EQ(label->top, 12);
  HWND bar = Control(form, L"StatusBar1");
  EXPECT_EQ(e2e::StatusText(bar), L"准备");

  HWND edit = Control(form, L"Edit1");
  e2e::Click(edit);
  e2e::TypeText(edit, L"abc 中文");
  EXPECT_EQ(e2e::TextOf(edit), L"abc 中文");
  e2e::PressKeyInForm(form, VK_RETURN);
  EXPECT_TRUE(e2e::WaitForStatus(bar, L"enter:abc 中文", 2000))
      << e2e::WideToUtf8(e2e::StatusText(bar));
  e2e::Click(Control(form, L"Button1"));
  EXPECT_TRUE(e2e::WaitForStatus(bar, L"clicked:abc 中文", 2000));

  e2e::Click(edit);
  std::vector<std::wstring> seen;
  for (int i = 0; i < 3; ++i) {
    e2e::PressKeyInForm(form, VK_TAB);
    seen.push_back(e2e::FocusedControlName(form));
  }
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"Button1", L"CheckBox1", L"Edit1"}));
  EXPECT_EQ(app.Stop(), 0u);
  EXPECT_FALSE(app.WasTerminated());
}

TEST(KitFiles, ReadsLinesOfAFile) {
  std::wstring path = e2e::ArtifactPath(L"lines.txt");
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  const char data[] = "a\r\nb\n\n\xd6\xd0\tc";
  DWORD put = 0;
  WriteFile(f, data, sizeof data - 1, &put, nullptr);
  CloseHandle(f);
  EXPECT_EQ(e2e::ReadLines(path), (std::vector<std::string>{"a", "b", "", "\xd6\xd0\tc"}));
  DeleteFileW(path.c_str());
  EXPECT_TRUE(e2e::ReadLines(path).empty());
}

TEST(KitRegistry, WritesReadsAndDeletesValues) {
  const wchar_t* key = L"Software\\vpnclient-e2e-kit\\inner";
  e2e::RegDeleteTree(HKEY_CURRENT_USER, L"Software\\vpnclient-e2e-kit");
  EXPECT_FALSE(e2e::RegString(HKEY_CURRENT_USER, key, L"Name"));
  e2e::RegSetString(HKEY_CURRENT_USER, key, L"Name", L"服务器 ");
  e2e::RegSetDword(HKEY_CURRENT_USER, key, L"Number", 7);
  EXPECT_EQ(e2e::RegString(HKEY_CURRENT_USER, key, L"Name"), L"服务器 ");
  EXPECT_EQ(e2e::RegDword(HKEY_CURRENT_USER, key, L"Number"), 7u);
  EXPECT_EQ(e2e::RegType(HKEY_CURRENT_USER, key, L"Number"), DWORD(REG_DWORD));
  EXPECT_FALSE(e2e::RegString(HKEY_CURRENT_USER, key, L"Number"));  // wrong type
  e2e::RegDeleteTree(HKEY_CURRENT_USER, L"Software\\vpnclient-e2e-kit");
  EXPECT_FALSE(e2e::RegType(HKEY_CURRENT_USER, key, L"Name"));
  HKEY k;
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\vpnclient-e2e-kit", 0, KEY_READ, &k),
            ERROR_SUCCESS);

  e2e::RegSetString(HKEY_LOCAL_MACHINE, e2e::kSettingsKey, L"IPAddr", L"1.2.3.4");
  EXPECT_EQ(e2e::Setting(L"IPAddr"), L"1.2.3.4");
  e2e::DeleteSettings();
  EXPECT_FALSE(e2e::Setting(L"IPAddr"));
}

}  // namespace
