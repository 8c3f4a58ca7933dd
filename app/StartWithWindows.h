// Starting with Windows: the program in the signed-in user's Run key, started to the
// notification area ("<program>" /tray) at every log-on.
#pragma once

#include <string>

// The key and the value the program keeps there (the installer removes the same value).
inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"vpnclient";

// The command Windows runs at log-on: the program's full path in quotes, then /tray.
std::wstring StartCommand(const std::wstring& program);
// Whether the Run value starts this very program (one left by a copy elsewhere does not).
bool StartsWithWindows();
// Writes or removes the Run value; raises ERegistryException when the system refuses.
void SetStartsWithWindows(bool on);
