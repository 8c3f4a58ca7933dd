/* The barest window program: C, no run-time library, no other library than the
   system's own; the second yardstick of the program's start-up time, beside the
   minimal window program. */
#include <windows.h>

static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

void __stdcall BareEntry(void) {
  HINSTANCE inst = GetModuleHandleW(NULL);
  WNDCLASSW wc;
  MSG m;
  HWND w;
  wc.style = 0;
  wc.lpfnWndProc = Proc;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = 0;
  wc.hInstance = inst;
  wc.hIcon = NULL;
  wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszMenuName = NULL;
  wc.lpszClassName = L"BareWindow";
  RegisterClassW(&wc);
  w = CreateWindowExW(0, wc.lpszClassName, L"Bare", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                      CW_USEDEFAULT, CW_USEDEFAULT, 359, 273, NULL, NULL, inst, NULL);
  ShowWindow(w, SW_SHOWNORMAL);
  UpdateWindow(w);
  while (GetMessageW(&m, NULL, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  ExitProcess(0);
}
