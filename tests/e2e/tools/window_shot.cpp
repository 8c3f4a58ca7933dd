// Saves a screenshot of a window as a BMP file once it is visible, for scripts:
//   e2e_window_shot.exe CLASS CAPTION|- OUT.bmp [WAIT_MS] [--close]
// Waits up to WAIT_MS (default 30000) for a visible top-level window of that class (and
// caption), lets it settle for a second, saves it, and with --close posts WM_CLOSE to it.
// Exit code 0 on success, 1 when no such window appeared.
#include <cstdio>

#include "tests/e2e/kit/e2e_kit.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    fwprintf(stderr, L"usage: e2e_window_shot CLASS CAPTION|- OUT.bmp [WAIT_MS] [--close]\n");
    return 2;
  }
  const wchar_t* cls = argv[1];
  const wchar_t* caption = wcscmp(argv[2], L"-") == 0 ? nullptr : argv[2];
  DWORD wait_ms = argc > 4 && argv[4][0] != L'-' ? DWORD(_wtoi(argv[4])) : 30000;
  bool close = wcscmp(argv[argc - 1], L"--close") == 0;
  HWND found = nullptr;
  e2e::WaitUntil(
      [&] {
        for (HWND w : e2e::TopWindows(0, cls, caption))
          if (IsWindowVisible(w)) found = w;
        return found != nullptr;
      },
      wait_ms, 50);
  if (!found) {
    fwprintf(stderr, L"no visible %ls window appeared\n", cls);
    return 1;
  }
  Sleep(1000);  // skin and banner finish drawing after the first show
  try {
    e2e::SaveScreenshot(argv[3], found);
  } catch (const std::exception& e) {
    fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  if (close) PostMessageW(found, WM_CLOSE, 0, 0);
  return 0;
}
