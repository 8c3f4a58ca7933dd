// The program's stored settings: the last server, user name, remembered password and the
// remember-password choice, under HKEY_LOCAL_MACHINE\SOFTWARE\vpnclient. The texts are
// string values. The remembered password is the signed-in user's own: a binary value
// ("ProtectedPassword") encrypted for that user and kept in the same key under
// HKEY_CURRENT_USER, with that user's own copy of the choice ("Check"), so that another
// user of the machine neither reads it nor removes it by saving.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/text/secret.h"

class TRegistry;

struct TSettings {
  std::string IPAddr;
  std::string UserName;
  vpn::SecretText Password;  // saved only when RememberPassword
  bool RememberPassword = false;
};

// Where loaded values go, each as soon as it has been read (server, user name, password,
// then the choice), so that a failure part-way leaves the later fields as they were.
struct TSettingsSink {
  std::function<void(const std::string&)> IPAddr, UserName, Password;
  std::function<void(bool)> RememberPassword;
};

class TSettingsStore {
 public:
  // The settings key is `parent`\`name` under `root`, the user's key the same path under
  // `user_root`; the program uses the defaults, the tests keys of their own.
  explicit TSettingsStore(HKEY root = HKEY_LOCAL_MACHINE, std::string parent = "\\SOFTWARE\\",
                          std::string name = "vpnclient", HKEY user_root = HKEY_CURRENT_USER);

  // Creates the key when it is missing. Missing values read as empty; the password is
  // ticked to be remembered only by a "Check" of exactly "Yes" (the user's own, else
  // the machine's). A plain "Password" left by an older copy is read as before. A
  // protected password that an earlier copy kept in the machine's key is read from there
  // once when it is this user's, and moved to the user's key; another user's is left
  // where it is. A protected password that cannot be read back (another user's, damaged)
  // reads as empty with the box unticked. Registry failures raise ERegistryException
  // after the fields read so far have been handed on.
  void Load(const TSettingsSink& sink) const;
  // Writes IPAddr, UserName and Check ("Yes"/"No") to the machine's key, Check and the
  // protected password when it is remembered (else removes it) to the user's key, then
  // removes any plain "Password"; raises ERegistryException at the first write the
  // system refuses.
  void Save(const TSettings& settings) const;

  // The auto-reconnect choice, value "AutoReconnect": on only when it is "Yes" (a missing
  // value is off). It is written as soon as the user changes it, not at close.
  bool LoadAutoReconnect() const;
  void SaveAutoReconnect(bool on) const;
  // Whether the program connects by itself once it has started (when it remembers a
  // password), value "ConnectOnStart": "Yes" or "No", on only when it is "Yes". Written
  // as soon as the user changes it.
  bool LoadConnectOnStart() const;
  void SaveConnectOnStart(bool on) const;

  // The tunnel type chosen in the "连接协议" menu, value "Protocol": "Auto", "IKEv2",
  // "SSTP", "L2TP/IPsec", "L2TP" or "PPTP". Empty when there is none (the service's type
  // or the "L2TP模式" box decide) or the value is not text. Written when the user chooses.
  std::string LoadProtocol() const;
  void SaveProtocol(const std::string& value) const;

  // The L2TP/IPsec pre-shared key the user typed: the signed-in user's own, encrypted for
  // that user like the remembered password ("ProtectedPreSharedKey" in the user's key).
  // Empty when there is none or it cannot be read back; saving the empty key removes it.
  vpn::SecretText LoadPreSharedKey() const;
  void SavePreSharedKey(const vpn::SecretText& key) const;

  // What the remote-access manager's ProhibitIpSec held before this program set it to 1
  // for plain L2TP, value "ProhibitIpSecBefore": "none" (it did not exist) or the number;
  // empty when nothing is remembered. Saving the empty text forgets it.
  std::string LoadEarlierProhibitIpSec() const;
  void SaveEarlierProhibitIpSec(const std::string& text) const;

 private:
  void OpenMachineKey(TRegistry& reg) const;
  // A choice kept as "Yes" or "No" in the settings key: on only when it is "Yes".
  bool LoadChoice(const char* name) const;
  void SaveChoice(const char* name, bool on) const;

  HKEY FRoot;
  std::string FParent, FName;
  HKEY FUserRoot;
};
