#include "app/Registry.h"

#include <cstdio>
#include <vector>

#include "framework/Gbk.h"

namespace {

std::string Format(const char* pattern, const std::string& name) {
  std::vector<char> text(std::char_traits<char>::length(pattern) + name.size() + 1);
  std::snprintf(text.data(), text.size(), pattern, name.c_str());
  return text.data();
}

// Strips the separators at both ends: "\SOFTWARE\" and "SOFTWARE" name the same key.
std::string Inner(const std::string& key) {
  size_t b = 0, e = key.size();
  while (b < e && key[b] == '\\') ++b;
  while (e > b && key[e - 1] == '\\') --e;
  return key.substr(b, e - b);
}

}  // namespace

TRegistry::TRegistry(REGSAM access) : FAccess(access) {}

void TRegistry::SetRootKey(HKEY root) {
  if (root == FRootKey) return;
  CloseKey();
  FRootKey = root;
}

HKEY TRegistry::BaseFor(const std::string& key, std::wstring& path) const {
  path = GbkToWide(Inner(key));
  const bool absolute = !key.empty() && key[0] == '\\';
  return absolute || !FCurrentKey ? FRootKey : FCurrentKey.Get();
}

std::string TRegistry::FullPath(const std::string& key) const {
  const bool absolute = !key.empty() && key[0] == '\\';
  if (absolute || FCurrentPath.empty()) return Inner(key);
  const std::string inner = Inner(key);
  return inner.empty() ? FCurrentPath : FCurrentPath + "\\" + inner;
}

bool TRegistry::OpenKey(const std::string& key, bool can_create) {
  std::wstring path;
  HKEY base = BaseFor(key, path);
  HKEY opened = nullptr;
  LONG rc;
  if (can_create) {
    rc = RegCreateKeyExW(base, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr,
                         &opened, nullptr);
    if (rc != ERROR_SUCCESS) throw ERegistryException(Format("Failed to create key %s", key));
  } else {
    rc = RegOpenKeyExW(base, path.c_str(), 0, FAccess, &opened);
    if (rc != ERROR_SUCCESS) return false;
  }
  std::string full = FullPath(key);
  FCurrentKey.Reset(opened);
  FCurrentPath = std::move(full);
  return true;
}

bool TRegistry::KeyExists(const std::string& key) {
  std::wstring path;
  HKEY base = BaseFor(key, path);
  HKEY opened = nullptr;
  if (RegOpenKeyExW(base, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  TRegKeyHandle close(opened);
  return true;
}

void TRegistry::CreateKey(const std::string& key) {
  std::wstring path;
  HKEY base = BaseFor(key, path);
  HKEY created = nullptr;
  if (RegCreateKeyExW(base, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, FAccess, nullptr,
                      &created, nullptr) != ERROR_SUCCESS)
    throw ERegistryException(Format("Failed to create key %s", key));
  TRegKeyHandle close(created);
}

void TRegistry::CloseKey() {
  FCurrentKey.Reset();
  FCurrentPath.clear();
}

bool TRegistry::ValueExists(const std::string& name) const {
  if (!FCurrentKey) return false;
  return RegQueryValueExW(FCurrentKey.Get(), GbkToWide(name).c_str(), nullptr, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) const {
  if (!FCurrentKey) return {};
  const std::wstring wname = GbkToWide(name);
  // The value can change between asking its size and reading it: try again then.
  for (;;) {
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(FCurrentKey.Get(), wname.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
      throw ERegistryException(Format("Invalid data type for '%s'", name));
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD got = size;
    rc = RegQueryValueExW(FCurrentKey.Get(), wname.c_str(), nullptr, &type,
                          reinterpret_cast<BYTE*>(data.data()), &got);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
      throw ERegistryException(Format("Invalid data type for '%s'", name));
    // The stored text need not end in NUL, and may carry one before its end.
    std::wstring text(data.data(), got / sizeof(wchar_t));
    if (size_t nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
    return WideToGbk(text);
  }
}

int TRegistry::ReadInteger(const std::string& name) const {
  DWORD type = 0, value = 0, size = sizeof value;
  LONG rc = FCurrentKey ? RegQueryValueExW(FCurrentKey.Get(), GbkToWide(name).c_str(), nullptr,
                                           &type, reinterpret_cast<BYTE*>(&value), &size)
                        : ERROR_INVALID_HANDLE;
  if (rc == ERROR_MORE_DATA || (rc == ERROR_SUCCESS && (type != REG_DWORD || size != sizeof value)))
    throw ERegistryException(Format("Invalid data type for '%s'", name));
  if (rc != ERROR_SUCCESS) throw ERegistryException(Format("Failed to get data for '%s'", name));
  return static_cast<int>(value);
}

void TRegistry::SetData(const std::string& name, DWORD type, const void* data, DWORD size) {
  LONG rc = FCurrentKey ? RegSetValueExW(FCurrentKey.Get(), GbkToWide(name).c_str(), 0, type,
                                         static_cast<const BYTE*>(data), size)
                        : ERROR_INVALID_HANDLE;
  if (rc != ERROR_SUCCESS) throw ERegistryException(Format("Failed to set data for '%s'", name));
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  const std::wstring text = GbkToWide(value);
  SetData(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void TRegistry::WriteInteger(const std::string& name, int value) {
  const DWORD data = static_cast<DWORD>(value);
  SetData(name, REG_DWORD, &data, sizeof data);
}

bool TRegistry::ReadBinaryData(const std::string& name, std::vector<unsigned char>& data) const {
  if (!FCurrentKey) return false;
  const std::wstring wname = GbkToWide(name);
  for (;;) {
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(FCurrentKey.Get(), wname.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return false;
    if (type != REG_BINARY) throw ERegistryException(Format("Invalid data type for '%s'", name));
    data.assign(size, 0);
    DWORD got = size;
    rc = RegQueryValueExW(FCurrentKey.Get(), wname.c_str(), nullptr, &type, data.data(), &got);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) return false;
    if (type != REG_BINARY) throw ERegistryException(Format("Invalid data type for '%s'", name));
    data.resize(got);
    return true;
  }
}

void TRegistry::WriteBinaryData(const std::string& name, const std::vector<unsigned char>& data) {
  SetData(name, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
}

bool TRegistry::DeleteValue(const std::string& name) {
  if (!FCurrentKey) return false;
  const LONG rc = RegDeleteValueW(FCurrentKey.Get(), GbkToWide(name).c_str());
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}
