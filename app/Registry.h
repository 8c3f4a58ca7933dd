// The registry as the settings and the L2TP preparation use it: one root key, one
// current key, string and integer values. Texts are GBK in the program and stored as the
// Unicode text a Chinese-language system stores. Every key handle is closed by its owner.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/text/Exception.h"
#include "framework/Handles.h"

class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

class TRegistry {
 public:
  // Keys are opened with `access` (full access by default) under HKEY_CURRENT_USER until
  // SetRootKey chooses another root.
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return FRootKey; }
  void SetRootKey(HKEY root);
  HKEY CurrentKey() const { return FCurrentKey.Get(); }
  const std::string& CurrentPath() const { return FCurrentPath; }

  // A key name that starts with '\' is taken from the root, any other from the current
  // key. OpenKey makes the key current and tells whether it could; with `can_create` a
  // missing key is created (a refusal raises "Failed to create key %s").
  bool OpenKey(const std::string& key, bool can_create);
  bool KeyExists(const std::string& key);
  // Creates the key (and the keys above it) without opening it; raises on refusal.
  void CreateKey(const std::string& key);
  void CloseKey();

  bool ValueExists(const std::string& name) const;
  // A missing value, or any value while no key is open, reads as the empty string; a
  // value that is not a string raises "Invalid data type for '%s'".
  std::string ReadString(const std::string& name) const;
  // A missing value raises "Failed to get data for '%s'", a value that is not a 32-bit
  // integer "Invalid data type for '%s'".
  int ReadInteger(const std::string& name) const;
  // A write that the system refuses (no key open, no rights) raises
  // "Failed to set data for '%s'".
  void WriteString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, int value);
  // Binary values: a missing value (or no open key) reads as false, a value of another
  // type raises "Invalid data type for '%s'"; a refused write raises as above.
  bool ReadBinaryData(const std::string& name, std::vector<unsigned char>& data) const;
  void WriteBinaryData(const std::string& name, const std::vector<unsigned char>& data);
  // True when the value is gone afterwards, whether it was there or not.
  bool DeleteValue(const std::string& name);

 private:
  // The key to start from and the path below it for a key name as the caller gives it.
  HKEY BaseFor(const std::string& key, std::wstring& path) const;
  std::string FullPath(const std::string& key) const;
  void SetData(const std::string& name, DWORD type, const void* data, DWORD size);

  REGSAM FAccess;
  HKEY FRootKey = HKEY_CURRENT_USER;
  TRegKeyHandle FCurrentKey;
  std::string FCurrentPath;
};
