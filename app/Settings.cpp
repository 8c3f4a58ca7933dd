#include "app/Settings.h"

#include "app/Registry.h"
#include "core/app/connect_rules.h"

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

}  // namespace

TSettingsStore::TSettingsStore(HKEY root, std::string parent, std::string name)
    : FRoot(root), FParent(std::move(parent)), FName(std::move(name)) {}

void TSettingsStore::Load(const TSettingsSink& sink) const {
  TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(FRoot);
  OpenSettingsKey(reg, FParent, FName);
  if (sink.IPAddr) sink.IPAddr(reg.ReadString("IPAddr"));
  if (sink.UserName) sink.UserName(reg.ReadString("UserName"));
  if (sink.Password) sink.Password(reg.ReadString("Password"));
  if (sink.RememberPassword)
    sink.RememberPassword(vpn::app::RemembersPassword(reg.ReadString("Check")));
}

void TSettingsStore::Save(const TSettings& settings) const {
  TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(FRoot);
  OpenSettingsKey(reg, FParent, FName);
  reg.WriteString("IPAddr", settings.IPAddr);
  reg.WriteString("UserName", settings.UserName);
  reg.WriteString("Check", vpn::app::CheckValue(settings.RememberPassword));
  reg.WriteString("Password", settings.RememberPassword ? settings.Password : std::string());
}
