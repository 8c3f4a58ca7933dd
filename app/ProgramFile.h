// The program's own file, as the system started it (any length of path).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

inline std::wstring ProgramFile() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) return std::wstring(path.data(), n);
    path.resize(path.size() * 2);
  }
}
