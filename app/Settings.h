// The program's stored settings: the last server, user name, remembered password and the
// remember-password choice, under HKEY_LOCAL_MACHINE\SOFTWARE\vpnclient. The texts are
// string values; the remembered password is a binary value ("ProtectedPassword")
// encrypted for the signed-in user, as the key itself is readable by every user.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

struct TSettings {
  std::string IPAddr;
  std::string UserName;
  std::string Password;  // saved only when RememberPassword
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
  // The settings key is `parent`\`name` under `root`; the program uses the defaults, the
  // tests a key of their own.
  explicit TSettingsStore(HKEY root = HKEY_LOCAL_MACHINE, std::string parent = "\\SOFTWARE\\",
                          std::string name = "vpnclient");

  // Creates the key when it is missing. Missing values read as empty; the password is
  // ticked to be remembered only by a "Check" of exactly "Yes". A plain "Password" left
  // by an older copy is read as before; a protected password that cannot be read back
  // (another user's, damaged) reads as empty with the box unticked. Registry failures
  // raise ERegistryException after the fields read so far have been handed on.
  void Load(const TSettingsSink& sink) const;
  // Writes IPAddr, UserName, Check ("Yes"/"No") and the protected password when it is
  // remembered (else removes it), then removes any plain "Password"; raises
  // ERegistryException at the first write the system refuses.
  void Save(const TSettings& settings) const;

  // The auto-reconnect choice, value "AutoReconnect": on only when it is "Yes" (a missing
  // value is off). It is written as soon as the user changes it, not at close.
  bool LoadAutoReconnect() const;
  void SaveAutoReconnect(bool on) const;

 private:
  HKEY FRoot;
  std::string FParent, FName;
};
