#include "app/Settings.h"

#include "app/Registry.h"
#include "app/UserProtection.h"
#include "core/app/connect_rules.h"
#include "core/app/reconnect.h"

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

// This program never leaves a plain password behind when it saves, so a plain value is
// either one kept from before protection or one an older copy wrote since: either way
// it is the newer one. `readable` turns false when a protected value is there but
// cannot be read back (another user's, or damaged).
std::string ReadPassword(const TRegistry& reg, bool& readable) {
  readable = true;
  if (reg.ValueExists(kPlainPassword)) return reg.ReadString(kPlainPassword);
  std::vector<unsigned char> data;
  try {
    if (!reg.ReadBinaryData(kProtectedPassword, data)) return {};
  } catch (const ERegistryException&) {
    readable = false;  // not even binary: nothing this program wrote
    return {};
  }
  std::optional<std::string> password = UnprotectForUser(data, kPasswordEntropy);
  readable = password.has_value();
  return password.value_or(std::string());
}

}  // namespace

TSettingsStore::TSettingsStore(HKEY root, std::string parent, std::string name)
    : FRoot(root), FParent(std::move(parent)), FName(std::move(name)) {}

void TSettingsStore::Load(const TSettingsSink& sink) const {
  TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(FRoot);
  OpenSettingsKey(reg, FParent, FName);
  if (sink.IPAddr) sink.IPAddr(reg.ReadString("IPAddr"));
  if (sink.UserName) sink.UserName(reg.ReadString("UserName"));
  bool readable = true;
  const std::string password = ReadPassword(reg, readable);
  if (sink.Password) sink.Password(password);
  // A password that cannot be read back is forgotten: the box comes up unticked, so the
  // next save removes the unreadable value instead of keeping it for ever.
  const bool remember = vpn::app::RemembersPassword(reg.ReadString("Check"));
  if (sink.RememberPassword) sink.RememberPassword(remember && readable);
}

void TSettingsStore::Save(const TSettings& settings) const {
  TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(FRoot);
  OpenSettingsKey(reg, FParent, FName);
  reg.WriteString("IPAddr", settings.IPAddr);
  reg.WriteString("UserName", settings.UserName);
  reg.WriteString("Check", vpn::app::CheckValue(settings.RememberPassword));
  // The protected value is in place before the plain one goes, so a failure part-way
  // never loses a remembered password; a plain one is never written again.
  if (settings.RememberPassword) {
    std::optional<std::vector<unsigned char>> data =
        ProtectForUser(settings.Password, kPasswordEntropy);
    if (!data)
      throw ERegistryException(std::string("Failed to set data for '") + kProtectedPassword + "'");
    reg.WriteBinaryData(kProtectedPassword, *data);
  } else if (!reg.DeleteValue(kProtectedPassword)) {
    throw ERegistryException(std::string("Failed to set data for '") + kProtectedPassword + "'");
  }
  if (!reg.DeleteValue(kPlainPassword))
    throw ERegistryException(std::string("Failed to set data for '") + kPlainPassword + "'");
}

bool TSettingsStore::LoadAutoReconnect() const {
  TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(FRoot);
  OpenSettingsKey(reg, FParent, FName);
  // A value of another type than text is simply not "Yes": an addition of this program
  // does not stop it from starting with an error box.
  try {
    return vpn::app::AutoReconnectOn(reg.ReadString("AutoReconnect"));
  } catch (const ERegistryException&) {
    return false;
  }
}

void TSettingsStore::SaveAutoReconnect(bool on) const {
  TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(FRoot);
  OpenSettingsKey(reg, FParent, FName);
  reg.WriteString("AutoReconnect", vpn::app::AutoReconnectValue(on));
}
