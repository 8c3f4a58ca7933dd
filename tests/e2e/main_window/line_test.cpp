// The connection after it is up, end to end against rassim: a line that drops is noticed
// and reported, dialed again when the user asked for it, the tray tip shows the connected
// time and the bytes, and with an older remote-access library the program goes on as it
// always did.
#include <gtest/gtest.h>

#include <cwchar>
#include <regex>
#include <set>

#include "tests/e2e/main_window/support.h"

namespace {

using mw::Session;

const char kAccount[] = "[account demo]\npassword=demo\n";

std::string Service(const std::string& lines) {
  return "[service]\nstate_delay_ms=5\nhangup_delay_ms=20\n" + lines + kAccount;
}

// The section rassim keeps for the entry "VPN Connection" (named by its bytes in hex).
const char kEntrySection[] = "[56504E20436F6E6E656374696F6E]";

// The names a program file imports or a library file exports, read from its tables in
// the file (a load by name, even as a resource, can bring Wine's own library of that name
// instead).
std::set<std::string> TableNames(const std::wstring& path, int directory) {
  std::set<std::string> names;
  std::string file;
  {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return names;
    file.resize(GetFileSize(h, nullptr));
    DWORD got = 0;
    ReadFile(h, file.data(), static_cast<DWORD>(file.size()), &got, nullptr);
    CloseHandle(h);
    file.resize(got);
  }
  const auto* base = reinterpret_cast<const BYTE*>(file.data());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const auto* sections = IMAGE_FIRST_SECTION(nt);
  // A place in the loaded image, found in the file through the section that holds it.
  auto at = [&](ULONGLONG rva) -> const BYTE* {
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const auto& sec = sections[i];
      if (rva >= sec.VirtualAddress && rva < sec.VirtualAddress + sec.SizeOfRawData)
        return base + sec.PointerToRawData + (rva - sec.VirtualAddress);
    }
    return nullptr;
  };
  const DWORD table = nt->OptionalHeader.DataDirectory[directory].VirtualAddress;
  if (directory == IMAGE_DIRECTORY_ENTRY_EXPORT) {
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(at(table));
    if (!exports) return names;
    const auto* rvas = reinterpret_cast<const DWORD*>(at(exports->AddressOfNames));
    for (DWORD i = 0; rvas && i < exports->NumberOfNames; ++i)
      names.insert(reinterpret_cast<const char*>(at(rvas[i])));
    return names;
  }
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(table)); d && d->Name; ++d) {
    auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA64*>(
        at(d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
    for (; thunk && thunk->u1.AddressOfData; ++thunk) {
      if (IMAGE_SNAP_BY_ORDINAL64(thunk->u1.Ordinal)) continue;
      if (const BYTE* by_name = at(thunk->u1.AddressOfData))
        names.insert(reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(by_name)->Name);
    }
  }
  return names;
}

class Line : public ::testing::Test {
 protected:
  void SetUp() override {
    mw::SetReportedVersion(L"");
    e2e::DeleteSettings();
  }
  void TearDown() override {
    mw::SetReportedVersion(L"");
    e2e::DeleteSettings();
  }

  static void Connect(Session& s) {
    mw::FillDemoAccount(s);
    e2e::Click(s.C(L"Button1"));
  }
  // Balloons the program has shown, in order ("title|text").
  static std::vector<std::wstring> Balloons(const mw::FakeNotificationArea& tray) {
    std::vector<std::wstring> out;
    for (const auto& r : tray.Records())
      if (r.message == NIM_MODIFY && (r.flags & NIF_INFO) && !r.info.empty())
        out.push_back(r.info_title + L"|" + r.info);
    return out;
  }
  static bool HasBalloon(const mw::FakeNotificationArea& tray, const std::wstring& b,
                         size_t n = 1) {
    size_t seen = 0;
    for (const auto& x : Balloons(tray)) seen += x == b;
    return seen >= n;
  }
  // Every tip the icon was given, in order, without repeats.
  static std::vector<std::wstring> Tips(const mw::FakeNotificationArea& tray) {
    std::vector<std::wstring> out;
    for (const auto& r : tray.Records())
      if ((r.message == NIM_ADD || r.message == NIM_MODIFY) && !r.tip.empty() &&
          (out.empty() || out.back() != r.tip))
        out.push_back(r.tip);
    return out;
  }
  static bool Contains(const std::vector<std::wstring>& list, const std::wstring& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
  }
  static bool EntryInPhonebook(const Session& s) {
    for (const auto& line : s.Phonebook())
      if (line == kEntrySection) return true;
    return false;
  }
};

TEST_F(Line, ADroppedLineBringsTheWindowBackWithABalloon) {
  mw::SetReportedVersion(L"winxp");  // the component's dial, with progress
  mw::FakeNotificationArea tray;
  Session s(L"line-drop", Service("drop_after_ms=1500\n"));
  Connect(s);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Visible(); }, 10000)) << e2e::WideToUtf8(s.Status());
  auto dials = s.Journal("RasDialA");
  ASSERT_EQ(dials.size(), 1u);
  // The program asked to hear of this very connection going away.
  std::vector<mw::JournalEntry> asked;
  e2e::WaitUntil([&] { return !(asked = s.Journal("RasConnectionNotificationA")).empty(); }, 1000);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].Field("handle"), dials[0].Field("handle"));
  EXPECT_EQ(asked[0].Field("flags"), "2");
  EXPECT_EQ(asked[0].Field("result"), "0");
  EXPECT_TRUE(s.Journal("dropped").empty()) << "dropped too early to tell";

  ASSERT_TRUE(e2e::WaitUntil([&] { return HasBalloon(tray, L"Morlu连接器|连接已断开"); }, 5000))
      << "no balloon for the drop";
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 5000)) << "window not back";
  e2e::Sync(s.Main());
  EXPECT_EQ(s.Status(), L"连接已断开");
  EXPECT_TRUE(mw::InputsEnabled(s));
  EXPECT_FALSE(EntryInPhonebook(s)) << "the phonebook entry outlived the connection";
  EXPECT_EQ(s.Journal("signalled").size(), 1u);
  // The dead line's handle was let go, and nothing was dialed again (the choice is off).
  // (The component's dial begins with a hang-up of its previous line, here none.)
  size_t let_go = 0;
  for (const auto& h : s.Journal("RasHangUpA"))
    let_go += h.Field("handle") == dials[0].Field("handle");
  EXPECT_EQ(let_go, 1u);
  Sleep(2500);
  EXPECT_EQ(s.Journal("RasDialA").size(), 1u);
  EXPECT_EQ(s.Status(), L"连接已断开");
  e2e::SaveScreenshot(e2e::ArtifactPath(L"line-dropped.bmp"), s.Main());
  // The icon stays for the news and goes once the user has looked.
  EXPECT_TRUE(tray.IconShown());
  tray.ClickIcon();
  EXPECT_TRUE(e2e::WaitUntil([&] { return !tray.IconShown(); }, 3000));
}

TEST_F(Line, TheUsersOwnDisconnectIsNoDrop) {
  mw::FakeNotificationArea tray;
  Session s(L"line-own", Service(""));
  Connect(s);
  ASSERT_TRUE(tray.WaitForBalloon(10000));
  tray.ClickIcon();
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 5000));
  e2e::Click(s.C(L"Button2"));
  ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"断开成功", 10000));
  // The service signals the event of the line it hung up; the program had stopped
  // listening.
  ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Journal("signalled").empty(); }, 3000));
  Sleep(500);
  e2e::Sync(s.Main());
  EXPECT_EQ(s.Status(), L"断开成功");
  EXPECT_FALSE(HasBalloon(tray, L"Morlu连接器|连接已断开"));
  EXPECT_FALSE(tray.IconShown());
}

TEST_F(Line, AutoReconnectTriesAgainWithLongerWaitsUntilTheAccountIsRefused) {
  e2e::RegSetString(HKEY_LOCAL_MACHINE, e2e::kSettingsKey, L"AutoReconnect", L"Yes");
  mw::FakeNotificationArea tray;
  Session s(L"line-again", Service("drop_after_ms=800\n"), /*clean_settings=*/false);
  Connect(s);
  ASSERT_TRUE(e2e::WaitUntil([&] { return HasBalloon(tray, L"Morlu连接器|连接已断开"); }, 10000));
  // The server stops answering: the first try fails.
  s.SetScenario(Service("servers=10.9.9.9\n"));
  ASSERT_TRUE(
      e2e::WaitForStatus(s.C(L"StatusBar1"), L"重连失败，错误号为:800，4秒后第2次重连", 5000))
      << e2e::WideToUtf8(s.Status());
  EXPECT_FALSE(s.Visible()) << "the window came back while the program was still trying";
  EXPECT_TRUE(s.Enabled(L"Button2"));
  // It answers again; the second try connects and its line drops in turn.
  s.SetScenario(Service("drop_after_ms=800\n"));
  ASSERT_TRUE(e2e::WaitUntil([&] { return HasBalloon(tray, L"Morlu连接器|已重新连接"); }, 8000))
      << e2e::WideToUtf8(s.Status());
  ASSERT_TRUE(e2e::WaitUntil([&] { return HasBalloon(tray, L"Morlu连接器|连接已断开", 2); }, 5000));
  // Now the password is refused: that ends the tries.
  s.SetScenario(Service("") + "[account demo]\npassword=changed\n");
  ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"无法连接，错误号为:691", 8000))
      << e2e::WideToUtf8(s.Status());
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 3000));
  EXPECT_TRUE(mw::InputsEnabled(s));
  Sleep(2500);
  EXPECT_EQ(s.Journal("RasDialA").size(), 4u) << "dialed on after a refused password";

  // Each try dialed the same server and account; the waits grew from 2 to 4 seconds.
  auto dials = s.Journal("RasDialA");
  ASSERT_EQ(dials.size(), 4u);
  for (const auto& d : dials) {
    EXPECT_EQ(d.Field("server"), "127.0.0.1");
    EXPECT_EQ(d.Field("user"), "demo");
  }
  auto ms = [](const mw::JournalEntry& e) { return std::stoll(e.Field("t")); };
  auto drops = s.Journal("dropped");
  ASSERT_EQ(drops.size(), 2u);
  const auto first_wait = ms(dials[1]) - ms(drops[0]);
  const auto second_wait = ms(dials[2]) - ms(dials[1]);
  const auto third_wait = ms(dials[3]) - ms(drops[1]);
  EXPECT_GE(first_wait, 1900);
  EXPECT_LT(first_wait, 4500);
  EXPECT_GE(second_wait, 3900);
  EXPECT_LT(second_wait, 6500);
  // After a line that came back drops again, the waits start again from the shortest.
  EXPECT_GE(third_wait, 1900);
  EXPECT_LT(third_wait, 4500);

  // Every try showed in the status bar and in the tray tip.
  const auto history = s.StatusHistory();
  for (const wchar_t* text : {L"连接已断开，2秒后第1次重连", L"正在第1次重连...",
                              L"重连失败，错误号为:800，4秒后第2次重连", L"正在第2次重连..."})
    EXPECT_TRUE(Contains(history, text)) << e2e::WideToUtf8(text);
  const auto tips = Tips(tray);
  for (const wchar_t* tip :
       {L"Morlu连接器 连接已断开，2秒后第1次重连", L"Morlu连接器 正在第1次重连...",
        L"Morlu连接器 重连失败，错误号为:800，4秒后第2次重连", L"Morlu连接器 正在第2次重连..."})
    EXPECT_TRUE(Contains(tips, tip)) << e2e::WideToUtf8(tip);
}

TEST_F(Line, TheUsersDisconnectEndsTheTries) {
  e2e::RegSetString(HKEY_LOCAL_MACHINE, e2e::kSettingsKey, L"AutoReconnect", L"Yes");
  mw::SetReportedVersion(L"winxp");  // the tries go through the component's dial
  mw::FakeNotificationArea tray;
  Session s(L"line-stop", Service("drop_after_ms=800\n"), /*clean_settings=*/false);
  Connect(s);
  ASSERT_TRUE(e2e::WaitUntil([&] { return HasBalloon(tray, L"Morlu连接器|连接已断开"); }, 10000));
  s.SetScenario(Service("servers=10.9.9.9\n"));
  ASSERT_TRUE(
      e2e::WaitForStatus(s.C(L"StatusBar1"), L"重连失败，错误号为:800，4秒后第2次重连", 6000))
      << e2e::WideToUtf8(s.Status());
  tray.ClickIcon();
  ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 3000));
  e2e::Click(s.C(L"Button2"));
  ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"断开成功", 5000));
  s.SetScenario(Service(""));
  Sleep(5000);  // past the wait of the second try
  EXPECT_EQ(s.Journal("RasDialA").size(), 2u);
  EXPECT_EQ(s.Status(), L"断开成功");
  EXPECT_TRUE(mw::InputsEnabled(s));
  EXPECT_FALSE(tray.IconShown());
}

TEST_F(Line, TheTrayMenuChoiceIsRemembered) {
  mw::FakeNotificationArea tray;
  Session s(L"line-choice", Service(""));
  EXPECT_FALSE(e2e::Setting(L"AutoReconnect").has_value());
  Connect(s);
  ASSERT_TRUE(tray.WaitForBalloon(10000));
  // The tray menu pops up at the icon; the item is chosen with the keys, as a person would.
  const mw::TrayRecord* add = nullptr;
  for (const auto& r : tray.Records())
    if (r.message == NIM_ADD) add = &r;
  ASSERT_NE(add, nullptr);
  for (bool expected : {true, false}) {
    PostMessageW(add->wnd, add->callback, add->id, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    ASSERT_TRUE(
        e2e::WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) != nullptr; }, 3000));
    Sleep(200);
    for (int i = 0; i < 3; ++i) e2e::SendKeyToForeground(VK_DOWN);
    e2e::SendKeyToForeground(VK_RETURN);
    const wchar_t* want = expected ? L"Yes" : L"No";
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::Setting(L"AutoReconnect") == want; }, 3000))
        << "after choosing the item, AutoReconnect is "
        << e2e::WideToUtf8(e2e::Setting(L"AutoReconnect").value_or(L"(missing)"));
  }
}

TEST_F(Line, TheTipShowsTheConnectedTimeAndGrowingByteCounts) {
  mw::FakeNotificationArea tray;
  Session s(L"line-figures", Service("bytes_sent_per_s=600000\nbytes_received_per_s=8000000\n"));
  Connect(s);
  ASSERT_TRUE(tray.WaitForBalloon(10000));
  const std::wregex shape(
      L"Morlu连接器 已连接 00:00:0(\\d) ↑([0-9.]+) (B|KB|MB) ↓([0-9.]+) (B|KB|MB)");
  struct Figures {
    int seconds;
    double sent, received;
  };
  std::vector<Figures> seen;
  auto collect = [&] {
    seen.clear();
    for (const auto& tip : Tips(tray)) {
      std::wsmatch m;
      if (!std::regex_match(tip, m, shape)) continue;
      auto scaled = [](const std::wstring& n, const std::wstring& unit) {
        return std::stod(n) * (unit == L"MB" ? 1048576 : unit == L"KB" ? 1024 : 1);
      };
      seen.push_back({std::stoi(m[1]), scaled(m[2], m[3]), scaled(m[4], m[5])});
    }
    return seen.size() >= 3;
  };
  ASSERT_TRUE(e2e::WaitUntil(collect, 7000)) << "tips: " << Tips(tray).size();
  for (size_t i = 1; i < seen.size(); ++i) {
    EXPECT_GT(seen[i].seconds, seen[i - 1].seconds);
    EXPECT_GT(seen[i].sent, seen[i - 1].sent);
    EXPECT_GT(seen[i].received, seen[i - 1].received);
  }
  // Two seconds apart, and the counts are the service's: 600 000 and 8 000 000 a second.
  const Figures& last = seen.back();
  EXPECT_GE(last.seconds, 4);
  EXPECT_NEAR(last.sent / last.seconds, 600000, 200000);
  EXPECT_NEAR(last.received / last.seconds, 8000000, 2500000);
  for (const auto& tip : Tips(tray)) EXPECT_LE(e2e::WideToUtf8(tip).size(), 200u);
  auto reads = s.Journal("RasGetConnectionStatistics");
  ASSERT_FALSE(reads.empty());
  EXPECT_EQ(reads.back().Field("handle"), s.Journal("RasDialA").back().Field("handle"));
  EXPECT_EQ(reads.back().Field("result"), "0");
}

TEST_F(Line, AnOlderRemoteAccessLibraryLeavesTheProgramAsItWas) {
  // The program beside a remote-access library without the newer functions.
  const std::wstring dir = e2e::ArtifactPath(L"older-library");
  CreateDirectoryW(dir.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(e2e::ProgramPath().c_str(), (dir + L"\\vpnclient.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((e2e::BinDir() + L"\\older-rasapi32\\rasapi32.dll").c_str(),
                        (dir + L"\\rasapi32.dll").c_str(), FALSE));
  // Read from the file itself: a load by name could bring Wine's own library instead.
  const auto exported = TableNames(dir + L"\\rasapi32.dll", IMAGE_DIRECTORY_ENTRY_EXPORT);
  EXPECT_FALSE(exported.count("RasConnectionNotificationA"));
  EXPECT_FALSE(exported.count("RasGetConnectionStatistics"));
  EXPECT_TRUE(exported.count("RasDialA"));
  EXPECT_TRUE(TableNames(e2e::BinDir() + L"\\rasapi32.dll", IMAGE_DIRECTORY_ENTRY_EXPORT)
                  .count("RasConnectionNotificationA"));
  // The program binds the remote-access functions when it dials; it never imports them.
  const auto imported = TableNames(e2e::ProgramPath(), IMAGE_DIRECTORY_ENTRY_IMPORT);
  EXPECT_TRUE(imported.count("CreateWindowExW")) << "the import table was not read";
  EXPECT_FALSE(imported.count("RasDialA"));
  EXPECT_FALSE(imported.count("RasConnectionNotificationA"));
  EXPECT_FALSE(imported.count("RasGetConnectionStatistics"));

  for (const wchar_t* version : {L"", L"winxp"}) {
    mw::SetReportedVersion(version);
    mw::FakeNotificationArea tray;
    Session s(std::wstring(L"line-older-") + (*version ? version : L"direct"),
              Service("drop_after_ms=700\n"), true, true, dir + L"\\vpnclient.exe");
    Connect(s);
    ASSERT_TRUE(tray.WaitForBalloon(10000)) << e2e::WideToUtf8(s.Status());
    ASSERT_NE(e2e::ModulePath(s.App().Pid(), L"rasapi32.dll").find(L"older-library"),
              std::wstring::npos);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !s.Journal("dropped").empty(); }, 3000));
    // Nothing notices the drop, and the tip keeps the caption alone.
    Sleep(2500);
    EXPECT_FALSE(s.Visible());
    EXPECT_EQ(Balloons(tray), std::vector<std::wstring>{L"Morlu连接器|程序已最小化."});
    EXPECT_EQ(Tips(tray), std::vector<std::wstring>{L"Morlu连接器"});
    // The user's disconnect works as before.
    tray.ClickIcon();
    ASSERT_TRUE(e2e::WaitUntil([&] { return s.Visible(); }, 5000));
    e2e::Click(s.C(L"Button2"));
    ASSERT_TRUE(e2e::WaitForStatus(s.C(L"StatusBar1"), L"断开成功", 10000));
    EXPECT_TRUE(mw::InputsEnabled(s));
  }
}

}  // namespace
