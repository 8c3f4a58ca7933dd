// The shipped program's installer as an administrator uses it: install, start the installed
// program, upgrade in place, refuse a downgrade, uninstall, the optional NAT setting; and
// what each step leaves.
#include <gtest/gtest.h>
#include <windows.h>
// after <windows.h>, which they need
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/kit/e2e_kit.h"

namespace {

const wchar_t kProduct[] = L"Morlu Connector";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// Where "开机启动" puts the program for the user.
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
std::optional<std::wstring> RunValue() {
  return e2e::RegString(HKEY_CURRENT_USER, kRunKey, L"vpnclient");
}
const char kScenario[] = "[service]\nstate_delay_ms=20\n[account demo]\npassword=demo\n";

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
    throw e2e::Failure("no system folder " + std::to_string(csidl));
  return path;
}
std::wstring InstallDir() {
  return Folder(CSIDL_PROGRAM_FILES) + L"\\vpnclient";
}
std::wstring InstalledProgram() {
  return InstallDir() + L"\\vpnclient.exe";
}
std::wstring ServiceIni() {
  return InstallDir() + L"\\service.ini";
}
// The optional L2TP/IPsec-behind-NAT setting, as the IPsec policy agent reads it.
const wchar_t kPolicyAgentKey[] = L"SYSTEM\\CurrentControlSet\\Services\\PolicyAgent";
std::optional<DWORD> NatSetting() {
  return e2e::RegDword(HKEY_LOCAL_MACHINE, kPolicyAgentKey,
                       L"AssumeUDPEncapsulationContextOnSendRule");
}
std::wstring Lower(std::wstring s) {
  for (auto& c : s) c = towlower(c);
  return s;
}

// The Start-menu shortcuts to the program that exist: the installer asks for the menu of
// all users, which Wine's installer service maps to the current user's.
std::vector<std::wstring> Shortcuts() {
  std::vector<std::wstring> found;
  for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
    const std::wstring path = Folder(csidl) + L"\\" + kProduct + L".lnk";
    if (e2e::FileExists(path)) found.push_back(path);
  }
  return found;
}

std::wstring ShortcutTarget(const std::wstring& lnk) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    throw e2e::Failure("no shell link object");
  std::wstring target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(lnk.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
      target = path;
    file->Release();
  }
  link->Release();
  return target;
}

// The program's entries in the system's list of installed programs: product code, shown
// version, uninstall command.
struct Entry {
  std::wstring code, version, uninstall;
};
std::vector<Entry> Entries() {
  std::vector<Entry> entries;
  HKEY list;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &list) != ERROR_SUCCESS)
    return entries;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = 256;
    if (RegEnumKeyExW(list, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    const std::wstring key = std::wstring(kUninstallKey) + L"\\" + name;
    if (e2e::RegString(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayName") != kProduct) continue;
    entries.push_back(
        {name, e2e::RegString(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayVersion").value_or(L""),
         e2e::RegString(HKEY_LOCAL_MACHINE, key.c_str(), L"UninstallString").value_or(L"")});
  }
  RegCloseKey(list);
  return entries;
}

// Runs the system's installer without its windows; its exit code.
DWORD Msiexec(const std::wstring& args) {
  std::wstring cmd = L"msiexec.exe " + args + L" /qn";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    throw e2e::Failure("msiexec could not be started");
  CloseHandle(pi.hThread);
  DWORD code = 999;
  if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0)
    GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  return code;
}
std::wstring Package(const char* file) {
  return L"\"" + e2e::BinDir() + L"\\" + e2e::Utf8ToWide(file) + L"\"";
}

std::wstring VersionText(const std::wstring& exe, const wchar_t* name) {
  DWORD ignored = 0;
  std::vector<BYTE> data(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
  if (data.empty() || !GetFileVersionInfoW(exe.c_str(), 0, DWORD(data.size()), data.data()))
    return L"(no version resource)";
  wchar_t* text = nullptr;
  UINT len = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
  if (!VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &len) || !text)
    return L"(missing)";
  return text;
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    for (const char* file : {VPN_MSI_FILE, VPN_NEXT_MSI_FILE})
      ASSERT_TRUE(e2e::FileExists(e2e::BinDir() + L"\\" + e2e::Utf8ToWide(file)))
          << file << " is not built";
    RemoveAll();
    e2e::DeleteSettings();
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kPolicyAgentKey,
                       L"AssumeUDPEncapsulationContextOnSendRule");
  }
  void TearDown() override {
    RemoveAll();
    CoUninitialize();
  }
  // Leaves no copy installed, whatever an earlier run left (a rassim copy included).
  static void RemoveAll() {
    DeleteFileW((InstallDir() + L"\\rasapi32.dll").c_str());
    for (const Entry& e : Entries()) Msiexec(L"/x " + e.code);
  }
};

// Starts the installed program with rassim beside it, as the other end-to-end tests do,
// connects, and ends it through its close question. The rassim copy goes again before
// the uninstaller runs, so only what the installer put there is left to remove.
void UseInstalledProgram() {
  const std::wstring rassim = InstallDir() + L"\\rasapi32.dll";
  ASSERT_TRUE(CopyFileW((e2e::BinDir() + L"\\rasapi32.dll").c_str(), rassim.c_str(), FALSE));
  e2e::RegSetString(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\vpnclient.exe\\DllOverrides",
                    L"rasapi32", L"native,builtin");
  e2e::StartOptions options;
  options.exe = InstalledProgram();
  const e2e::RassimFiles files = e2e::UseRassim(options, L"installed", kScenario);
  {
    e2e::Program app = e2e::Program::Start(options);
    HWND main = app.WaitForWindow(L"TFrmMain", L"Morlu连接器", 20000);
    ASSERT_NE(main, nullptr) << "the installed program showed no main window";
    // Drawn completely before the picture is taken.
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    e2e::Sync(main);
    e2e::WaitUntil([] { return false; }, 300);
    e2e::SaveScreenshot(e2e::ArtifactPath(L"installed-main.bmp"), main);
    // The installed service.ini was read without a fault: the status bar says nothing of it.
    EXPECT_EQ(e2e::StatusText(e2e::Control(main, L"StatusBar1")), L"断开");

    e2e::TypeText(e2e::Control(main, L"IPAddrTxt"), L"127.0.0.1");
    e2e::TypeText(e2e::Control(main, L"UserNameTxt"), L"demo");
    e2e::TypeText(e2e::Control(main, L"PasswordTxt"), L"demo");
    e2e::Click(e2e::Control(main, L"CheckBox1"));
    e2e::Click(e2e::Control(main, L"Button1"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(main); }, 10000))
        << "not connected: " << e2e::WideToUtf8(e2e::StatusText(e2e::Control(main, L"StatusBar1")));
    EXPECT_EQ(Lower(e2e::ModulePath(app.Pid(), L"rasapi32.dll")), Lower(rassim));
    bool dialed = false;
    for (const std::string& line : e2e::ReadLines(files.journal))
      dialed = dialed || line.find("RasDialA") != std::string::npos;
    EXPECT_TRUE(dialed) << "rassim saw no dial";

    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND box = nullptr;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] { return (box = e2e::FindDialog(app.Pid(), L"询问")) != nullptr; }, 5000));
    PostMessageW(box, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(app.WaitExit(10000).has_value()) << "the program did not end";
  }
  ASSERT_TRUE(DeleteFileW(rassim.c_str()));
}

TEST_F(Installer, InstallsRunsUpgradesAndUninstallsKeepingTheSettings) {
  ASSERT_EQ(Msiexec(L"/i " + Package(VPN_MSI_FILE)), 0u);
  ASSERT_TRUE(e2e::FileExists(InstalledProgram()));
  EXPECT_EQ(VersionText(InstalledProgram(), L"FileVersion"), e2e::Utf8ToWide(VPN_VERSION));
  EXPECT_EQ(VersionText(InstalledProgram(), L"ProductName"), L"Morlu连接器");
  EXPECT_EQ(VersionText(InstalledProgram(), L"FileDescription"), L"Morlu连接器 VPN 拨号程序");
  const std::vector<std::wstring> shortcuts = Shortcuts();
  ASSERT_EQ(shortcuts.size(), 1u);
  EXPECT_EQ(Lower(ShortcutTarget(shortcuts[0])), Lower(InstalledProgram()));
  std::vector<Entry> entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].version, e2e::Utf8ToWide(VPN_VERSION));
  EXPECT_NE(Lower(entries[0].uninstall).find(L"msiexec.exe /x" + Lower(entries[0].code)),
            std::wstring::npos)
      << e2e::WideToUtf8(entries[0].uninstall);
  // The service configuration beside the program: the commented sample, naming its keys.
  const std::vector<std::string> ini = e2e::ReadLines(ServiceIni());
  ASSERT_FALSE(ini.empty()) << "no service.ini beside the installed program";
  EXPECT_EQ(std::count(ini.begin(), ini.end(), ";TunnelType="), 1);
  // The NAT setting is left alone unless asked for.
  EXPECT_FALSE(NatSetting());

  ASSERT_NO_FATAL_FAILURE(UseInstalledProgram());
  EXPECT_EQ(e2e::Setting(L"IPAddr"), L"127.0.0.1");
  // The remembered password is the user's own.
  ASSERT_TRUE(e2e::RegType(HKEY_CURRENT_USER, e2e::kSettingsKey, L"ProtectedPassword"));

  // Started with Windows, as the settings menu's item makes it.
  const std::wstring start = L"\"" + InstalledProgram() + L"\" /tray";
  e2e::RegSetString(HKEY_CURRENT_USER, kRunKey, L"vpnclient", start);

  // The next version replaces this one in place: one entry, the program where it was.
  ASSERT_EQ(Msiexec(L"/i " + Package(VPN_NEXT_MSI_FILE)), 0u);
  EXPECT_EQ(RunValue(), start) << "an upgrade took the start with Windows away";
  entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].version, e2e::Utf8ToWide(VPN_NEXT_VERSION));
  EXPECT_TRUE(e2e::FileExists(InstalledProgram()));
  EXPECT_EQ(Shortcuts().size(), 1u);
  EXPECT_EQ(e2e::Setting(L"IPAddr"), L"127.0.0.1");

  // An older package does not go over a newer copy.
  EXPECT_NE(Msiexec(L"/i " + Package(VPN_MSI_FILE)), 0u);
  entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].version, e2e::Utf8ToWide(VPN_NEXT_VERSION));

  // Removing it takes the files, the folder, the shortcut, the entry and the start with
  // Windows; the settings stay.
  ASSERT_EQ(Msiexec(L"/x " + entries[0].code), 0u);
  EXPECT_FALSE(RunValue()) << "Windows would still start the removed program";
  EXPECT_FALSE(e2e::FileExists(InstalledProgram()));
  EXPECT_EQ(GetFileAttributesW(InstallDir().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(Shortcuts().empty());
  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(e2e::Setting(L"IPAddr"), L"127.0.0.1");
  EXPECT_EQ(e2e::Setting(L"Check"), L"Yes");
  EXPECT_TRUE(e2e::RegType(HKEY_CURRENT_USER, e2e::kSettingsKey, L"ProtectedPassword"));
}

TEST_F(Installer, UninstallAskedToRemoveTheSettingsRemovesThemToo) {
  e2e::RegSetString(HKEY_LOCAL_MACHINE, e2e::kSettingsKey, L"IPAddr", L"10.1.1.1");
  // The user's own part: the remembered password and its choice.
  e2e::RegSetString(HKEY_CURRENT_USER, e2e::kSettingsKey, L"Check", L"Yes");
  ASSERT_EQ(Msiexec(L"/i " + Package(VPN_MSI_FILE)), 0u);
  e2e::RegSetString(HKEY_CURRENT_USER, kRunKey, L"vpnclient",
                    L"\"" + InstalledProgram() + L"\" /tray");
  ASSERT_EQ(Msiexec(L"/x " + Package(VPN_MSI_FILE) + L" REMOVESETTINGS=1"), 0u);
  EXPECT_FALSE(RunValue());
  EXPECT_FALSE(e2e::RegString(HKEY_CURRENT_USER, e2e::kSettingsKey, L"Check"))
      << "the user's settings stayed";
  EXPECT_FALSE(e2e::FileExists(InstalledProgram()));
  EXPECT_TRUE(Entries().empty());
  EXPECT_FALSE(e2e::Setting(L"IPAddr"));
  HKEY key;
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, e2e::kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
}

}  // namespace

TEST_F(Installer, TheNatSettingIsAnOptionalPartThatAsksForARestartAndGoesWithTheProgram) {
  // Chosen with the program: the setting is written and the installer asks for a restart
  // (suppressed here, so it answers with the code that says a restart is needed).
  ASSERT_EQ(Msiexec(L"/i " + Package(VPN_MSI_FILE) + L" ADDLOCAL=ALL REBOOT=ReallySuppress"),
            DWORD(ERROR_SUCCESS_REBOOT_REQUIRED));
  EXPECT_EQ(NatSetting(), 2u);
  EXPECT_TRUE(e2e::FileExists(InstalledProgram()));
  EXPECT_TRUE(e2e::FileExists(ServiceIni()));
  // Taken away alone: the program stays, and taking it away asks for no restart.
  ASSERT_EQ(Msiexec(L"/i " + Package(VPN_MSI_FILE) + L" REMOVE=NatTraversal"), 0u);
  EXPECT_FALSE(NatSetting());
  EXPECT_TRUE(e2e::FileExists(InstalledProgram()));
  // Chosen later for the installed program, and removed with it.
  ASSERT_EQ(
      Msiexec(L"/i " + Package(VPN_MSI_FILE) + L" ADDLOCAL=NatTraversal REBOOT=ReallySuppress"),
      DWORD(ERROR_SUCCESS_REBOOT_REQUIRED));
  EXPECT_EQ(NatSetting(), 2u);
  ASSERT_EQ(Msiexec(L"/x " + Package(VPN_MSI_FILE)), 0u);
  EXPECT_FALSE(NatSetting());
  EXPECT_FALSE(e2e::FileExists(InstalledProgram()));
}
