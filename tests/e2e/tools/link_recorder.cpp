// Stands in for the default browser in the end-to-end tests: the tests register it as the
// shell's handler of http addresses, so that an address the program asks the shell to
// open arrives here. It appends its first argument, one UTF-8 line, to the file named by
// VPN_E2E_LINK_LOG (which it inherits from the program) and exits.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  wchar_t log[MAX_PATH] = {};
  if (argc < 2 || !GetEnvironmentVariableW(L"VPN_E2E_LINK_LOG", log, MAX_PATH)) return 2;
  const int n = WideCharToMultiByte(CP_UTF8, 0, argv[1], -1, nullptr, 0, nullptr, nullptr);
  std::string line(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, argv[1], -1, line.data(), n, nullptr, nullptr);
  line += '\n';
  HANDLE f = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(f);
  return 0;
}
