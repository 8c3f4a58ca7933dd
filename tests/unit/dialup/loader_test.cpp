// The loader's binding rules, each in a process of its own with a chosen set of
// remote-access libraries in its folder.
#include "rassim_fixture.h"

namespace {

class LoaderTest : public ::testing::Test {
 protected:
  // A fresh folder holding the helper process and the named libraries.
  std::wstring Folder(const std::wstring& name, const std::vector<std::wstring>& libraries) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dir = std::wstring(temp) + L"loader-" + name + L"-" +
                             std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    for (const wchar_t* f : {L"rasapi32.dll", L"rnaph.dll", L"dialup_probe.exe"}) {
      DeleteFileW((dir + f).c_str());
    }
    EXPECT_TRUE(CopyFileW((bin_ + L"dialup_probe.exe").c_str(), (dir + L"dialup_probe.exe").c_str(),
                          FALSE));
    for (const auto& lib : libraries) {
      const auto slash = lib.find_last_of(L'\\');
      EXPECT_TRUE(CopyFileW(lib.c_str(), (dir + lib.substr(slash + 1)).c_str(), FALSE))
          << lib.size();
    }
    return dir;
  }
  std::string Probe(const std::wstring& dir, const std::wstring& args,
                    const std::wstring& overrides = L"mscoree,mshtml=;rasapi32=n") {
    return RunProcess(dir + L"dialup_probe.exe", args, dir, overrides);
  }

  const std::wstring bin_ = WinePath(VPN_BIN_DIR) + L"\\";
  const std::wstring empty_ = WinePath(VPN_EMPTY_RASAPI32_DIR) + L"\\rasapi32.dll";
};

TEST_F(LoaderTest, NamesBindWithTheSuffixRuleAndTheLibraryLoadsOnce) {
  const auto dir = Folder(L"main", {bin_ + L"rasapi32.dll"});
  EXPECT_EQ(Probe(dir, L"RasDeleteEntry RasDialA RasGetErrorStringA RasBogus RasHangUpA"),
            "RasDeleteEntry ok rasapi32.dll\r\n"
            "RasDialA ok rasapi32.dll\r\n"
            "RasGetErrorStringA ok rasapi32.dll\r\n"
            "RasBogus error Function RasBogus not found!\r\n"
            "RasHangUpA ok rasapi32.dll\r\n"
            "state loaded=1 fallback=0 loads=1\r\n");
}

TEST_F(LoaderTest, OlderLibraryServesWhenTheFirstLacksTheFunction) {
  const auto dir = Folder(L"fallback", {empty_, bin_ + L"rnaph.dll"});
  // From then on names are looked up exactly as given.
  EXPECT_EQ(Probe(dir, L"RasDeleteEntry RasDialA RasHangUp RasGetErrorStringA"),
            "RasDeleteEntry ok rnaph.dll\r\n"
            "RasDialA ok rnaph.dll\r\n"
            "RasHangUp error Function RasHangUp not found!\r\n"
            "RasGetErrorStringA ok rnaph.dll\r\n"
            "state loaded=1 fallback=1 loads=2\r\n");
  EXPECT_EQ(Probe(dir, L"RasGetErrorString"),
            "RasGetErrorString error Function RasGetErrorString not found!\r\n"
            "state loaded=0 fallback=0 loads=2\r\n");
}

TEST_F(LoaderTest, MissingLibrariesAreNamedInTheError) {
  const auto no_fallback = Folder(L"nornaph", {empty_});
  EXPECT_EQ(Probe(no_fallback, L"RasDialA"),
            "RasDialA error Error opening rnaph.dll\r\n"
            "state loaded=0 fallback=0 loads=2\r\n");
  const auto none = Folder(L"none", {});
  EXPECT_EQ(Probe(none, L"RasDialA", L"mscoree,mshtml=;rasapi32="),
            "RasDialA error Error opening rasapi.dll\r\n"
            "state loaded=0 fallback=0 loads=1\r\n");
}

TEST_F(LoaderTest, VersionNameFollowsTheReportedWindowsVersion) {
  const auto dir = Folder(L"version", {});
  const auto set_version = [](const wchar_t* version) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\dialup_probe.exe",
                              0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (version) {
      RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                     static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
    } else {
      RegDeleteValueW(key, L"Version");
    }
    RegCloseKey(key);
  };
  set_version(L"winxp");
  EXPECT_EQ(Probe(dir, L"version"), "version [Windows XP]\r\n");
  set_version(L"win2k");
  EXPECT_EQ(Probe(dir, L"version"), "version [Windows 2000]\r\n");
  set_version(L"nt40");
  EXPECT_EQ(Probe(dir, L"version"), "version [Windows NT4.0]\r\n");
  set_version(L"win98");
  // Wine reports the second edition, with blanks around its service-pack letter.
  EXPECT_EQ(Probe(dir, L"version"), "version [Windows 98SE]\r\n");
  set_version(L"win7");
  EXPECT_EQ(Probe(dir, L"version"), "version [Windows vista]\r\n");
  set_version(nullptr);
}

}  // namespace
