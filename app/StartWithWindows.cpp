#include "app/StartWithWindows.h"

#include <windows.h>

#include "app/ProgramFile.h"
#include "app/Registry.h"
#include "framework/Handles.h"

namespace {

// The program a command starts: the quoted first part, else the part up to the first blank.
std::wstring ProgramOf(const std::wstring& command) {
  if (!command.empty() && command[0] == L'"') {
    const size_t end = command.find(L'"', 1);
    return command.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
  }
  return command.substr(0, command.find_first_of(L" \t"));
}

std::wstring RunValue() {
  TRegKeyHandle key;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return {};
  key.Reset(opened);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(opened, kRunValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return {};
  std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegQueryValueExW(opened, kRunValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                       &size) != ERROR_SUCCESS)
    return {};
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

}  // namespace

std::wstring StartCommand(const std::wstring& program) {
  return L"\"" + program + L"\" /tray";
}

bool StartsWithWindows() {
  const std::wstring program = ProgramOf(RunValue());
  return !program.empty() && lstrcmpiW(program.c_str(), ProgramFile().c_str()) == 0;
}

void SetStartsWithWindows(bool on) {
  HKEY opened = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
    throw ERegistryException("Failed to create key Run");
  TRegKeyHandle key(opened);
  if (on) {
    const std::wstring command = StartCommand(ProgramFile());
    if (RegSetValueExW(opened, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
      throw ERegistryException("Failed to set data for 'vpnclient'");
    return;
  }
  const LONG rc = RegDeleteValueW(opened, kRunValue);
  if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
    throw ERegistryException("Failed to set data for 'vpnclient'");
}
