// The settings store, the registry wrapper under it and the L2TP preparation, against the
// real registry of the Wine prefix, each test in a key of its own under HKLM\SOFTWARE
// (and the same under HKCU for the user's own values).
#include "app/Settings.h"

#include <gtest/gtest.h>
#include <windows.h>
// after <windows.h>, which it needs
#include <wincrypt.h>

#include <optional>
#include <string>
#include <vector>

#include "app/L2tpSetup.h"
#include "app/Registry.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    name_ =
        std::string("vpnclient-test-") + info->name() + "-" + std::to_string(GetCurrentProcessId());
    wkey_ = L"SOFTWARE\\" + std::wstring(name_.begin(), name_.end());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, wkey_.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, wkey_.c_str());
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, wkey_.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, wkey_.c_str());
  }

  TSettingsStore Store() const {
    return TSettingsStore(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\", name_, HKEY_CURRENT_USER);
  }

  bool KeyExists() const {
    HKEY k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, wkey_.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
      return false;
    RegCloseKey(k);
    return true;
  }
  void SetRaw(const wchar_t* value, DWORD type, const void* data, DWORD size,
              HKEY root = HKEY_LOCAL_MACHINE) {
    HKEY k;
    ASSERT_EQ(
        RegCreateKeyExW(root, wkey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(k, value, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(k);
  }
  void SetText(const wchar_t* value, const std::wstring& text, HKEY root = HKEY_LOCAL_MACHINE) {
    SetRaw(value, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2), root);
  }
  // The value as stored: its type and UTF-16 text.
  std::optional<std::pair<DWORD, std::wstring>> Raw(const wchar_t* value,
                                                    HKEY root = HKEY_LOCAL_MACHINE) const {
    wchar_t buf[512] = {};
    DWORD type = 0, size = sizeof buf - 2;
    if (RegGetValueW(root, wkey_.c_str(), value, RRF_RT_ANY | RRF_NOEXPAND, &type, buf, &size) !=
        ERROR_SUCCESS)
      return std::nullopt;
    return std::make_pair(type, std::wstring(buf));
  }

  // The value's bytes when it is a binary value (the user's own by default).
  std::optional<std::vector<BYTE>> Bytes(const wchar_t* value,
                                         HKEY root = HKEY_CURRENT_USER) const {
    BYTE buf[4096];
    DWORD size = sizeof buf;
    if (RegGetValueW(root, wkey_.c_str(), value, RRF_RT_REG_BINARY, nullptr, buf, &size) !=
        ERROR_SUCCESS)
      return std::nullopt;
    return std::vector<BYTE>(buf, buf + size);
  }

  struct Loaded {
    std::optional<std::string> ip, user, password;
    std::optional<bool> remember;
  };
  TSettingsSink SinkInto(Loaded& l) {
    return {[&](const std::string& s) { l.ip = s; }, [&](const std::string& s) { l.user = s; },
            [&](const std::string& s) { l.password = s; }, [&](bool b) { l.remember = b; }};
  }

  std::string name_;
  std::wstring wkey_;
};

TEST_F(RegistryTest, FirstLoadCreatesTheKeyAndYieldsEmptyFields) {
  ASSERT_FALSE(KeyExists());
  Loaded l;
  Store().Load(SinkInto(l));
  EXPECT_TRUE(KeyExists());
  EXPECT_EQ(l.ip, "");
  EXPECT_EQ(l.user, "");
  EXPECT_EQ(l.password, "");
  EXPECT_EQ(l.remember, false);
}

TEST_F(RegistryTest, SavedSettingsComeBackAsTypedAndAreStoredAsUnicode) {
  Store().Save({" 选择服务器列表 ", "用户 a", " p@ss ", true});
  EXPECT_EQ(Raw(L"IPAddr"), std::make_pair(DWORD(REG_SZ), std::wstring(L" 选择服务器列表 ")));
  EXPECT_EQ(Raw(L"UserName"), std::make_pair(DWORD(REG_SZ), std::wstring(L"用户 a")));
  EXPECT_EQ(Raw(L"Check"), std::make_pair(DWORD(REG_SZ), std::wstring(L"Yes")));
  Loaded l;
  Store().Load(SinkInto(l));
  EXPECT_EQ(l.ip, " 选择服务器列表 ");
  EXPECT_EQ(l.user, "用户 a");
  EXPECT_EQ(l.password, " p@ss ");
  EXPECT_EQ(l.remember, true);
}

TEST_F(RegistryTest, RememberedPasswordIsStoredEncryptedForTheUserAndComesBack) {
  const std::string password = "密码 p@ss ";
  Store().Save({"h", "u", password, true});
  EXPECT_FALSE(Raw(L"Password"));
  const std::optional<std::vector<BYTE>> stored = Bytes(L"ProtectedPassword");
  ASSERT_TRUE(stored);
  // Neither the Unicode nor the GBK form of the password lies in the stored bytes.
  const std::wstring wide = L"密码 p@ss ";
  const std::string as_stored(stored->begin(), stored->end());
  EXPECT_EQ(
      as_stored.find(std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2)),
      std::string::npos);
  EXPECT_EQ(as_stored.find("p@ss"), std::string::npos);
  EXPECT_EQ(as_stored.find(password), std::string::npos);
  // The system alone, without the program's own entropy, does not give it back.
  DATA_BLOB in{static_cast<DWORD>(stored->size()), const_cast<BYTE*>(stored->data())}, out{};
  EXPECT_FALSE(
      CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out));

  Loaded l;
  Store().Load(SinkInto(l));
  EXPECT_EQ(l.password, password);
  EXPECT_EQ(l.remember, true);

  // An empty remembered password is remembered as empty, not as unreadable.
  Store().Save({"h", "u", "", true});
  Loaded e;
  Store().Load(SinkInto(e));
  EXPECT_EQ(e.password, "");
  EXPECT_EQ(e.remember, true);
}

TEST_F(RegistryTest, UntickedSaveForgetsThePasswordInBothForms) {
  SetText(L"Password", L"old plain");
  Store().Save({"h", "u", "secret", true});
  ASSERT_TRUE(Bytes(L"ProtectedPassword"));
  Store().Save({"h", "u", "secret", false});
  EXPECT_EQ(Raw(L"Check")->second, L"No");
  EXPECT_FALSE(Raw(L"Password"));
  EXPECT_FALSE(Bytes(L"ProtectedPassword"));
  Loaded l;
  Store().Load(SinkInto(l));
  EXPECT_EQ(l.password, "");
  EXPECT_EQ(l.remember, false);
}

TEST_F(RegistryTest, PlainPasswordOfAnOlderCopyIsReadThenReplacedByTheProtectedOne) {
  SetText(L"IPAddr", L"vpn.example");
  SetText(L"UserName", L"用户");
  SetText(L"Password", L"旧密码");
  SetText(L"Check", L"Yes");
  Loaded l;
  Store().Load(SinkInto(l));
  EXPECT_EQ(l.password, "旧密码");
  EXPECT_EQ(l.remember, true);
  EXPECT_TRUE(Raw(L"Password"));  // a load alone changes nothing

  Store().Save({*l.ip, *l.user, *l.password, *l.remember});
  EXPECT_FALSE(Raw(L"Password"));
  EXPECT_TRUE(Bytes(L"ProtectedPassword"));
  EXPECT_EQ(Raw(L"IPAddr")->second, L"vpn.example");
  EXPECT_EQ(Raw(L"UserName")->second, L"用户");
  Loaded again;
  Store().Load(SinkInto(again));
  EXPECT_EQ(again.password, "旧密码");
  EXPECT_EQ(again.remember, true);

  // An older copy run since writes a plain password again: that one is the newer.
  SetText(L"Password", L"newer");
  Loaded older;
  Store().Load(SinkInto(older));
  EXPECT_EQ(older.password, "newer");
}

TEST_F(RegistryTest, UnreadableProtectedPasswordReadsEmptyWithTheBoxUnticked) {
  Store().Save({"h", "u", "secret", true});
  const std::vector<BYTE> good = *Bytes(L"ProtectedPassword");
  std::vector<BYTE> tail_flipped = good, truncated(good.begin(), good.end() - 8);
  tail_flipped[good.size() - 3] ^= 0x40;
  // Protected by the system for this user but with another entropy: as another
  // program's (or, on a real system, another user's) data would be.
  std::vector<BYTE> foreign;
  {
    const wchar_t text[] = L"secret";
    char other[] = "another program";
    DATA_BLOB in{sizeof text - 2, reinterpret_cast<BYTE*>(const_cast<wchar_t*>(text))},
        salt{sizeof other - 1, reinterpret_cast<BYTE*>(other)}, out{};
    ASSERT_TRUE(CryptProtectData(&in, nullptr, &salt, nullptr, nullptr, 0, &out));
    foreign.assign(out.pbData, out.pbData + out.cbData);
    LocalFree(out.pbData);
  }
  std::vector<BYTE> junk = {1, 2, 3, 4, 5, 6, 7, 8, 9}, empty;
  int index = 0;
  for (const std::vector<BYTE>* bad : {&tail_flipped, &truncated, &foreign, &junk, &empty}) {
    SCOPED_TRACE(index++);
    SetText(L"Check", L"Yes", HKEY_CURRENT_USER);
    SetRaw(L"ProtectedPassword", REG_BINARY, bad->data(), static_cast<DWORD>(bad->size()),
           HKEY_CURRENT_USER);
    Loaded l;
    ASSERT_NO_THROW(Store().Load(SinkInto(l)));
    EXPECT_EQ(l.ip, "h");
    EXPECT_EQ(l.password, "");
    EXPECT_EQ(l.remember, false);
  }
  SetText(L"ProtectedPassword", L"secret", HKEY_CURRENT_USER);  // not even binary
  Loaded l;
  ASSERT_NO_THROW(Store().Load(SinkInto(l)));
  EXPECT_EQ(l.password, "");
  EXPECT_EQ(l.remember, false);

  // Saving what the window then shows removes the unreadable value.
  Store().Save({*l.ip, *l.user, *l.password, *l.remember});
  EXPECT_FALSE(Raw(L"ProtectedPassword", HKEY_CURRENT_USER));
}

// An earlier copy kept the protected password in the machine's key, where another user's
// save removed it. This user's moves to the user's key at the first load; another user's
// stays where it is, and this user's saves leave it alone.
TEST_F(RegistryTest, PasswordInTheMachinesKeyMovesToTheUsersOwnOnce) {
  Store().Save({"h", "u", "mine", true});
  const std::vector<BYTE> mine = *Bytes(L"ProtectedPassword");
  RegDeleteTreeW(HKEY_CURRENT_USER, wkey_.c_str());
  SetRaw(L"ProtectedPassword", REG_BINARY, mine.data(), DWORD(mine.size()));
  Loaded l;
  Store().Load(SinkInto(l));
  EXPECT_EQ(l.password, "mine");
  EXPECT_EQ(l.remember, true);  // the machine's Check, as the user has none yet
  EXPECT_EQ(Bytes(L"ProtectedPassword", HKEY_CURRENT_USER), mine);
  EXPECT_FALSE(Bytes(L"ProtectedPassword", HKEY_LOCAL_MACHINE));
  Loaded again;
  Store().Load(SinkInto(again));
  EXPECT_EQ(again.password, "mine");

  // Another user's (protected with what this user cannot read back).
  RegDeleteTreeW(HKEY_CURRENT_USER, wkey_.c_str());
  std::vector<BYTE> theirs = mine;
  theirs[theirs.size() - 3] ^= 0x40;
  SetRaw(L"ProtectedPassword", REG_BINARY, theirs.data(), DWORD(theirs.size()));
  Loaded other;
  Store().Load(SinkInto(other));
  EXPECT_EQ(other.password, "");
  EXPECT_EQ(other.remember, false);
  Store().Save({"h", "u", "", false});
  Store().Save({"h", "u", "my own", true});
  EXPECT_EQ(Bytes(L"ProtectedPassword", HKEY_LOCAL_MACHINE), theirs);

  // The choice is the user's too: another user unticking it in the machine's key does
  // not make this user's next save forget the password.
  SetText(L"Check", L"No");
  Loaded mine_again;
  Store().Load(SinkInto(mine_again));
  EXPECT_EQ(mine_again.password, "my own");
  EXPECT_EQ(mine_again.remember, true);
}

TEST_F(RegistryTest, OnlyAnExactYesTicksRememberPassword) {
  for (const wchar_t* check : {L"yes", L"Yes ", L"YES", L"", L"No"}) {
    SetText(L"Check", check);
    SetText(L"Check", check, HKEY_CURRENT_USER);
    Loaded l;
    Store().Load(SinkInto(l));
    EXPECT_EQ(l.remember, false) << "Check=" << std::wstring(check).size();
  }
  SetText(L"Check", L"Yes", HKEY_CURRENT_USER);
  Loaded l;
  Store().Load(SinkInto(l));
  EXPECT_EQ(l.remember, true);
}

TEST_F(RegistryTest, AutoReconnectIsOnOnlyByAnExactYesAndSavedAtOnce) {
  EXPECT_FALSE(Store().LoadAutoReconnect());  // missing
  Store().SaveAutoReconnect(true);
  EXPECT_EQ(Raw(L"AutoReconnect"), std::make_pair(DWORD(REG_SZ), std::wstring(L"Yes")));
  EXPECT_TRUE(Store().LoadAutoReconnect());
  Store().SaveAutoReconnect(false);
  EXPECT_EQ(Raw(L"AutoReconnect"), std::make_pair(DWORD(REG_SZ), std::wstring(L"No")));
  EXPECT_FALSE(Store().LoadAutoReconnect());
  SetText(L"AutoReconnect", L"yes");
  EXPECT_FALSE(Store().LoadAutoReconnect());
  // A value of another type is off, without an error: the other settings still load.
  const DWORD one = 1;
  SetRaw(L"AutoReconnect", REG_DWORD, &one, sizeof one);
  EXPECT_FALSE(Store().LoadAutoReconnect());
  EXPECT_FALSE(Raw(L"Password").has_value()) << "saving the choice wrote other values";
}

// The pre-shared key is kept like the password (the user's own, encrypted), yet apart
// from it: neither can be read back as the other, and each goes its own way.
TEST_F(RegistryTest, PreSharedKeyIsTheUsersOwnEncryptedAndApartFromThePassword) {
  EXPECT_EQ(Store().LoadPreSharedKey().str(), "");
  Store().SavePreSharedKey(vpn::SecretText("Sh4red key!"));
  EXPECT_FALSE(Raw(L"ProtectedPreSharedKey", HKEY_LOCAL_MACHINE));
  const std::optional<std::vector<BYTE>> stored = Bytes(L"ProtectedPreSharedKey");
  ASSERT_TRUE(stored);
  const std::string as_stored(stored->begin(), stored->end());
  EXPECT_EQ(as_stored.find("Sh4red"), std::string::npos);
  EXPECT_EQ(as_stored.find(std::string("S\0h\0\x34\0r\0e\0d", 11)), std::string::npos);
  EXPECT_EQ(Store().LoadPreSharedKey().str(), "Sh4red key!");

  // The password's value holding the key's bytes (or the other way round) reads as none.
  SetRaw(L"ProtectedPassword", REG_BINARY, stored->data(), static_cast<DWORD>(stored->size()),
         HKEY_CURRENT_USER);
  SetText(L"Check", L"Yes", HKEY_CURRENT_USER);
  Loaded l;
  Store().Load(SinkInto(l));
  EXPECT_EQ(l.password, "");
  EXPECT_EQ(l.remember, false);
  Store().Save({"h", "u", "pw", true});
  const std::optional<std::vector<BYTE>> password = Bytes(L"ProtectedPassword");
  ASSERT_TRUE(password);
  SetRaw(L"ProtectedPreSharedKey", REG_BINARY, password->data(),
         static_cast<DWORD>(password->size()), HKEY_CURRENT_USER);
  EXPECT_EQ(Store().LoadPreSharedKey().str(), "");

  // Forgetting the key leaves the password; forgetting the password leaves a key.
  Store().SavePreSharedKey(vpn::SecretText("k"));
  Store().Save({"h", "u", "pw", false});
  EXPECT_EQ(Store().LoadPreSharedKey().str(), "k");
  Store().SavePreSharedKey(vpn::SecretText());
  EXPECT_FALSE(Bytes(L"ProtectedPreSharedKey"));
  EXPECT_EQ(Store().LoadPreSharedKey().str(), "");
}

TEST_F(RegistryTest, ProtocolAndTheEarlierProhibitIpSecAreTextsThatMayBeMissing) {
  EXPECT_EQ(Store().LoadProtocol(), "");
  Store().SaveProtocol("L2TP/IPsec");
  EXPECT_EQ(Raw(L"Protocol"), std::make_pair(DWORD(REG_SZ), std::wstring(L"L2TP/IPsec")));
  EXPECT_EQ(Store().LoadProtocol(), "L2TP/IPsec");
  // Of another type: no choice, and no error that would stop the start.
  const DWORD seven = 7;
  SetRaw(L"Protocol", REG_DWORD, &seven, sizeof seven);
  EXPECT_EQ(Store().LoadProtocol(), "");

  EXPECT_EQ(Store().LoadEarlierProhibitIpSec(), "");
  Store().SaveEarlierProhibitIpSec("none");
  EXPECT_EQ(Raw(L"ProhibitIpSecBefore"), std::make_pair(DWORD(REG_SZ), std::wstring(L"none")));
  EXPECT_EQ(Store().LoadEarlierProhibitIpSec(), "none");
  Store().SaveEarlierProhibitIpSec("");
  EXPECT_FALSE(Raw(L"ProhibitIpSecBefore"));
  Store().SaveEarlierProhibitIpSec("");  // forgetting twice is no failure
}

TEST_F(RegistryTest, ValueOfAnotherTypeStopsTheLoadAfterTheFieldsBeforeIt) {
  SetText(L"IPAddr", L"10.0.0.1");
  const DWORD number = 5;
  SetRaw(L"UserName", REG_DWORD, &number, sizeof number);
  SetText(L"Password", L"pw");
  Loaded l;
  try {
    Store().Load(SinkInto(l));
    FAIL() << "no error raised";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message, "Invalid data type for 'UserName'");
  }
  EXPECT_EQ(l.ip, "10.0.0.1");
  EXPECT_FALSE(l.user);
  EXPECT_FALSE(l.password);
  EXPECT_FALSE(l.remember);
}

TEST_F(RegistryTest, StoredTextWithoutTerminatorOrWithInnerNulReadsUpToIt) {
  const wchar_t unterminated[] = {L'a', L'b', L'c'};
  SetRaw(L"IPAddr", REG_SZ, unterminated, sizeof unterminated);
  const wchar_t inner[] = L"ab\0cd";
  SetRaw(L"UserName", REG_SZ, inner, sizeof inner);
  Loaded l;
  Store().Load(SinkInto(l));
  EXPECT_EQ(l.ip, "abc");
  EXPECT_EQ(l.user, "ab");
}

TEST_F(RegistryTest, MissingParentFailsAsARefusedCreation) {
  TSettingsStore store(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\" + name_ + "\\missing\\", "vpnclient");
  Loaded l;
  try {
    store.Load(SinkInto(l));
    FAIL() << "no error raised";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message, "Failed to create key vpnclient");
  }
  EXPECT_FALSE(l.ip);
  EXPECT_THROW(store.Save({"h", "u", "p", false}), ERegistryException);
  EXPECT_FALSE(KeyExists());
}

TEST_F(RegistryTest, RefusedWritesAndReadsWithoutKeyFollowTheRules) {
  SetText(L"IPAddr", L"x");
  TRegistry readonly(KEY_READ);
  readonly.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(readonly.OpenKey("\\SOFTWARE\\" + name_ + "\\", false));
  EXPECT_EQ(readonly.ReadString("IPAddr"), "x");
  try {
    readonly.WriteString("IPAddr", "y");
    FAIL() << "write allowed on a key opened for reading";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message, "Failed to set data for 'IPAddr'");
  }
  readonly.CloseKey();
  EXPECT_EQ(readonly.ReadString("IPAddr"), "");
  EXPECT_THROW(readonly.WriteInteger("n", 1), ERegistryException);
}

TEST_F(RegistryTest, RelativeAndAbsoluteKeyNames) {
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\", false));
  EXPECT_FALSE(reg.KeyExists(name_));
  ASSERT_TRUE(reg.OpenKey(name_ + "\\sub", true));  // relative to SOFTWARE
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\" + name_ + "\\sub");
  EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\" + name_));
  EXPECT_FALSE(reg.OpenKey("\\SOFTWARE\\" + name_ + "\\none", false));
  EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\" + name_ + "\\sub");  // a failed open keeps it
  reg.WriteInteger("n", -2);
  EXPECT_EQ(reg.ReadInteger("n"), -2);
  try {
    (void)reg.ReadInteger("missing");
    FAIL();
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message, "Failed to get data for 'missing'");
  }
}

// Plain L2TP sets ProhibitIpSec once (asking for a restart) and says first what the value
// held; an encrypting type puts that back, but only over the 1 the preparation wrote.
TEST_F(RegistryTest, L2tpPreparationSetsProhibitIpSecOnceAndTheEarlierValueComesBack) {
  const std::string key = "\\SOFTWARE\\" + name_ + "\\Parameters\\";
  std::vector<TProhibitIpSec> told;
  const auto remember = [&](TProhibitIpSec earlier) { told.push_back(earlier); };
  EXPECT_EQ(PrepareL2tp(remember, HKEY_LOCAL_MACHINE, key), lrUnsupported);  // not created
  EXPECT_FALSE(KeyExists());
  EXPECT_FALSE(RestoreProhibitIpSec(std::nullopt, HKEY_LOCAL_MACHINE, key));

  const std::wstring params = wkey_ + L"\\Parameters";
  HKEY k;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, params.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &k, nullptr),
            ERROR_SUCCESS);
  auto value = [&]() -> std::optional<DWORD> {
    DWORD v = 0, size = sizeof v, type = 0;
    if (RegQueryValueExW(k, L"ProhibitIpSec", nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
      return std::nullopt;
    return v;
  };
  auto set = [&](DWORD v) {
    RegSetValueExW(k, L"ProhibitIpSec", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
  };
  EXPECT_EQ(PrepareL2tp(remember, HKEY_LOCAL_MACHINE, key), lrRestartNeeded);
  EXPECT_EQ(value(), 1u);
  EXPECT_EQ(PrepareL2tp(remember, HKEY_LOCAL_MACHINE, key), lrReady);
  EXPECT_EQ(told, std::vector<TProhibitIpSec>{std::nullopt});  // it did not exist
  // Back to not existing; a second restore finds nothing of its own to undo.
  EXPECT_TRUE(RestoreProhibitIpSec(std::nullopt, HKEY_LOCAL_MACHINE, key));
  EXPECT_EQ(value(), std::nullopt);
  EXPECT_FALSE(RestoreProhibitIpSec(std::nullopt, HKEY_LOCAL_MACHINE, key));

  set(0);
  told.clear();
  EXPECT_EQ(PrepareL2tp(remember, HKEY_LOCAL_MACHINE, key), lrRestartNeeded);
  EXPECT_EQ(value(), 1u);
  EXPECT_EQ(told, std::vector<TProhibitIpSec>{0u});
  EXPECT_TRUE(RestoreProhibitIpSec(0u, HKEY_LOCAL_MACHINE, key));
  EXPECT_EQ(value(), 0u);
  // A value someone changed since the preparation is not this program's to put back.
  set(2);
  EXPECT_FALSE(RestoreProhibitIpSec(0u, HKEY_LOCAL_MACHINE, key));
  EXPECT_EQ(value(), 2u);

  // A memory that cannot be kept stops the change before anything is written.
  set(0);
  EXPECT_THROW(PrepareL2tp([](TProhibitIpSec) { throw ERegistryException("refused"); },
                           HKEY_LOCAL_MACHINE, key),
               ERegistryException);
  EXPECT_EQ(value(), 0u);

  RegSetValueExW(k, L"ProhibitIpSec", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"1"), 4);
  try {
    PrepareL2tp(remember, HKEY_LOCAL_MACHINE, key);
    FAIL() << "a text value was taken for an integer";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message, "Invalid data type for 'ProhibitIpSec'");
  }
  EXPECT_FALSE(RestoreProhibitIpSec(std::nullopt, HKEY_LOCAL_MACHINE, key));
  RegCloseKey(k);
}

}  // namespace
