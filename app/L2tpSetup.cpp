#include "app/L2tpSetup.h"

#include "app/Registry.h"

namespace {
const char kProhibitIpSec[] = "ProhibitIpSec";
}

TL2tpReadiness PrepareL2tp(const std::function<void(TProhibitIpSec)>& RememberEarlier, HKEY root,
                           const std::string& key) {
  TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) return lrUnsupported;
  const bool exists = reg.ValueExists(kProhibitIpSec);
  const int value = exists ? reg.ReadInteger(kProhibitIpSec) : 0;
  if (exists && value == 1) return lrReady;
  if (RememberEarlier)
    RememberEarlier(exists ? TProhibitIpSec(static_cast<std::uint32_t>(value)) : std::nullopt);
  reg.WriteInteger(kProhibitIpSec, 1);
  return lrRestartNeeded;
}

bool RestoreProhibitIpSec(TProhibitIpSec Earlier, HKEY root, const std::string& key) {
  TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false) || !reg.ValueExists(kProhibitIpSec)) return false;
  try {
    if (reg.ReadInteger(kProhibitIpSec) != 1) return false;
  } catch (const ERegistryException&) {
    return false;  // not the number this program wrote
  }
  if (Earlier == TProhibitIpSec(1)) return false;
  if (Earlier) {
    reg.WriteInteger(kProhibitIpSec, static_cast<int>(*Earlier));
  } else if (!reg.DeleteValue(kProhibitIpSec)) {
    throw ERegistryException(std::string("Failed to set data for '") + kProhibitIpSec + "'");
  }
  return true;
}
