// Loaded into the program under test by a thread hook (WH_CALLWNDPROC): writes every text
// the program gives the first panel of a status bar ("TStatusBar" windows, SB_SETTEXTW),
// in order, one UTF-8 line each, to e2e_status_hook.log beside this DLL. The status bar
// can change several times while the program's thread is busy, which no reader from
// outside could see.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <cwchar>
#include <string>

namespace {

wchar_t g_log[MAX_PATH];

void Append(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string line(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, line.data(), n, nullptr, nullptr);
  line += '\n';
  HANDLE f = CreateFileW(g_log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(f);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK StatusHookProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    wchar_t cls[32] = {};
    if (m->message == SB_SETTEXTW && LOBYTE(LOWORD(m->wParam)) == 0 && m->lParam &&
        GetClassNameW(m->hwnd, cls, 32) && std::wcscmp(cls, L"TStatusBar") == 0)
      Append(reinterpret_cast<const wchar_t*>(m->lParam));
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    DWORD n = GetModuleFileNameW(self, g_log, MAX_PATH);
    if (n > 4 && n < MAX_PATH) std::wcscpy(g_log + n - 4, L".log");
  }
  return TRUE;
}
