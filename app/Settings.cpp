#include "app/Settings.h"

#include <optional>
#include <vector>

#include "app/Registry.h"
#include "app/UserProtection.h"
#include "core/app/connect_rules.h"
#include "core/app/reconnect.h"
#include "core/text/secret.h"

namespace {

// Opens parent\name with full access as the current key of `reg`, creating it below the
// parent when it is missing. When the parent itself cannot be opened nothing can be
// created under it: a missing key then fails as a refused creation. When the settings key
// exists but cannot be opened, no key stays current, so that reads come back empty and
// writes fail instead of touching the parent key.
void OpenSettingsKey(TRegistry& reg, const std::string& parent, const std::string& name) {
  size_t b = 0, e = parent.size();
  while (b < e && parent[b] == '\\') ++b;
  while (e > b && parent[e - 1] == '\\') --e;
  const std::string full = "\\" + parent.substr(b, e - b) + "\\" + name;
  if (reg.OpenKey(parent, false)) {
    if (!reg.KeyExists(name)) reg.CreateKey(name);
  } else if (!reg.KeyExists(full)) {
    throw ERegistryException("Failed to create key " + name);
  }
  if (!reg.OpenKey(full, false)) reg.CloseKey();
}

// The remembered password, encrypted for the signed-in user, and the text this program
// mixes into that encryption. Older copies kept it as plain text in "Password".
const char kProtectedPassword[] = "ProtectedPassword";
const char kPlainPassword[] = "Password";
const char kPasswordEntropy[] = "vpnclient remembered password 1";
// The L2TP/IPsec pre-shared key the user typed, kept the same way under its own entropy.
const char kProtectedPreSharedKey[] = "ProtectedPreSharedKey";
const char kPreSharedKeyEntropy[] = "vpnclient pre-shared key 1";

// A protected secret as stored: no value when there is none, "" when the value is there
// but cannot be read back (another user's, damaged, not even binary) with `readable`
// false.
std::optional<vpn::SecretText> ReadProtected(const TRegistry& reg, bool& readable,
                                             const char* name = kProtectedPassword,
                                             const char* entropy = kPasswordEntropy) {
  readable = true;
  std::vector<unsigned char> data;
  try {
    if (!reg.ReadBinaryData(name, data)) return std::nullopt;
  } catch (const ERegistryException&) {
    readable = false;  // not even binary: nothing this program wrote
    return vpn::SecretText();
  }
  std::optional<std::string> secret = UnprotectForUser(data, entropy);
  vpn::WipeBytes(data.data(), data.size());
  readable = secret.has_value();
  if (!secret) return vpn::SecretText();
  return vpn::SecretText(std::move(*secret));
}

std::vector<unsigned char> Protected(const vpn::SecretText& secret,
                                     const char* name = kProtectedPassword,
                                     const char* entropy = kPasswordEntropy) {
  std::optional<std::vector<unsigned char>> data = ProtectForUser(secret.view(), entropy);
  if (!data) throw ERegistryException(std::string("Failed to set data for '") + name + "'");
  return *data;
}

// Settings this program added to the design's: a value of another type than text reads
// as none, so that an addition never stops the program from starting with an error box.
std::string ReadAddedText(const TRegistry& reg, const char* name) {
  try {
    return reg.ReadString(name);
  } catch (const ERegistryException&) {
    return {};
  }
}

void OpenUserKey(TRegistry& reg, HKEY root, const std::string& parent, const std::string& name) {
  reg.SetRootKey(root);
  OpenSettingsKey(reg, parent, name);
}

}  // namespace

TSettingsStore::TSettingsStore(HKEY root, std::string parent, std::string name, HKEY user_root)
    : FRoot(root), FParent(std::move(parent)), FName(std::move(name)), FUserRoot(user_root) {}

// This program never leaves a plain password behind when it saves, so a plain value is
// either one kept from before protection or one an older copy wrote since: either way
// it is the newer one.
void TSettingsStore::Load(const TSettingsSink& sink) const {
  TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(FRoot);
  OpenSettingsKey(reg, FParent, FName);
  if (sink.IPAddr) sink.IPAddr(reg.ReadString("IPAddr"));
  if (sink.UserName) sink.UserName(reg.ReadString("UserName"));
  TRegistry user(KEY_ALL_ACCESS);
  OpenUserKey(user, FUserRoot, FParent, FName);
  bool readable = true;
  vpn::SecretText password;
  if (reg.ValueExists(kPlainPassword)) {
    password = vpn::SecretText(reg.ReadString(kPlainPassword));
  } else if (std::optional<vpn::SecretText> own = ReadProtected(user, readable)) {
    password = std::move(*own);
  } else if (std::optional<vpn::SecretText> earlier = ReadProtected(reg, readable)) {
    // Kept in the machine's key by an earlier copy. This user's: it moves to the user's
    // key (written there before it goes here, so a refusal loses nothing). Another
    // user's stays for that user, and this one has none.
    password = std::move(*earlier);
    if (readable) {
      try {
        std::vector<unsigned char> data;
        reg.ReadBinaryData(kProtectedPassword, data);
        user.WriteBinaryData(kProtectedPassword, data);
        reg.DeleteValue(kProtectedPassword);
      } catch (const ERegistryException&) {
        // Read from the machine's key again next time.
      }
    }
  }
  if (sink.Password) sink.Password(password.str());
  // A password that cannot be read back is forgotten: the box comes up unticked, so the
  // next save removes the unreadable value instead of keeping it for ever.
  const std::string check =
      user.ValueExists("Check") ? user.ReadString("Check") : reg.ReadString("Check");
  const bool remember = vpn::app::RemembersPassword(check);
  if (sink.RememberPassword) sink.RememberPassword(remember && readable);
}

void TSettingsStore::Save(const TSettings& settings) const {
  TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(FRoot);
  OpenSettingsKey(reg, FParent, FName);
  reg.WriteString("IPAddr", settings.IPAddr);
  reg.WriteString("UserName", settings.UserName);
  const char* check = vpn::app::CheckValue(settings.RememberPassword);
  reg.WriteString("Check", check);
  TRegistry user(KEY_ALL_ACCESS);
  OpenUserKey(user, FUserRoot, FParent, FName);
  user.WriteString("Check", check);
  // The protected value is in place before the plain one goes, so a failure part-way
  // never loses a remembered password; a plain one is never written again.
  if (settings.RememberPassword) {
    user.WriteBinaryData(kProtectedPassword, Protected(settings.Password));
  } else if (!user.DeleteValue(kProtectedPassword)) {
    throw ERegistryException(std::string("Failed to set data for '") + kProtectedPassword + "'");
  }
  if (!reg.DeleteValue(kPlainPassword))
    throw ERegistryException(std::string("Failed to set data for '") + kPlainPassword + "'");
}

void TSettingsStore::OpenMachineKey(TRegistry& reg) const {
  reg.SetRootKey(FRoot);
  OpenSettingsKey(reg, FParent, FName);
}

// A value of another type than text is simply not "Yes": an addition of this program does
// not stop it from starting with an error box.
bool TSettingsStore::LoadChoice(const char* name) const {
  TRegistry reg(KEY_ALL_ACCESS);
  OpenMachineKey(reg);
  return vpn::app::AutoReconnectOn(ReadAddedText(reg, name));
}

void TSettingsStore::SaveChoice(const char* name, bool on) const {
  TRegistry reg(KEY_ALL_ACCESS);
  OpenMachineKey(reg);
  reg.WriteString(name, vpn::app::AutoReconnectValue(on));
}

bool TSettingsStore::LoadAutoReconnect() const {
  return LoadChoice("AutoReconnect");
}

void TSettingsStore::SaveAutoReconnect(bool on) const {
  SaveChoice("AutoReconnect", on);
}

bool TSettingsStore::LoadConnectOnStart() const {
  return LoadChoice("ConnectOnStart");
}

void TSettingsStore::SaveConnectOnStart(bool on) const {
  SaveChoice("ConnectOnStart", on);
}

std::string TSettingsStore::LoadProtocol() const {
  TRegistry reg(KEY_ALL_ACCESS);
  OpenMachineKey(reg);
  return ReadAddedText(reg, "Protocol");
}

void TSettingsStore::SaveProtocol(const std::string& value) const {
  TRegistry reg(KEY_ALL_ACCESS);
  OpenMachineKey(reg);
  reg.WriteString("Protocol", value);
}

vpn::SecretText TSettingsStore::LoadPreSharedKey() const {
  TRegistry user(KEY_ALL_ACCESS);
  OpenUserKey(user, FUserRoot, FParent, FName);
  bool readable = true;
  std::optional<vpn::SecretText> key =
      ReadProtected(user, readable, kProtectedPreSharedKey, kPreSharedKeyEntropy);
  return key ? std::move(*key) : vpn::SecretText();
}

void TSettingsStore::SavePreSharedKey(const vpn::SecretText& key) const {
  TRegistry user(KEY_ALL_ACCESS);
  OpenUserKey(user, FUserRoot, FParent, FName);
  if (!key.empty()) {
    std::vector<unsigned char> data = Protected(key, kProtectedPreSharedKey, kPreSharedKeyEntropy);
    user.WriteBinaryData(kProtectedPreSharedKey, data);
  } else if (!user.DeleteValue(kProtectedPreSharedKey)) {
    throw ERegistryException(std::string("Failed to set data for '") + kProtectedPreSharedKey +
                             "'");
  }
}

std::string TSettingsStore::LoadEarlierProhibitIpSec() const {
  TRegistry reg(KEY_ALL_ACCESS);
  OpenMachineKey(reg);
  return ReadAddedText(reg, "ProhibitIpSecBefore");
}

void TSettingsStore::SaveEarlierProhibitIpSec(const std::string& text) const {
  TRegistry reg(KEY_ALL_ACCESS);
  OpenMachineKey(reg);
  if (!text.empty())
    reg.WriteString("ProhibitIpSecBefore", text);
  else if (!reg.DeleteValue("ProhibitIpSecBefore"))
    throw ERegistryException("Failed to set data for 'ProhibitIpSecBefore'");
}
