#include "app/L2tpSetup.h"

#include "app/Registry.h"

TL2tpReadiness PrepareL2tp(HKEY root, const std::string& key) {
  TRegistry reg(KEY_ALL_ACCESS);
  reg.SetRootKey(root);
  if (!reg.OpenKey(key, false)) return lrUnsupported;
  if (!reg.ValueExists("ProhibitIpSec") || reg.ReadInteger("ProhibitIpSec") != 1) {
    reg.WriteInteger("ProhibitIpSec", 1);
    return lrRestartNeeded;
  }
  return lrReady;
}
