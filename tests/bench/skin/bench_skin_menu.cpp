// Skinned menu benchmark (not a test). In one process, the program's main window with
// its skin: the median time from asking for the tray menu until its window has painted
// its items, then the same with the skin switched off. Prints both and their ratio.
//
//   bench_skin_menu.exe [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "app/Unit_FrmMain.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "tests/bench/skin/bench_clock.h"
#include "tests/bench/skin/bench_main_window.h"

namespace {

using bench::Now;
using bench::PumpUntil;

// When the menu window's first paint has returned: the menu is on the screen.
double gShown = 0;
LRESULT CALLBACK AfterCall(int code, WPARAM wParam, LPARAM lParam) {
  const auto* c = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && c->message == WM_PAINT && gShown == 0) {
    wchar_t cls[16] = {};
    GetClassNameW(c->hwnd, cls, 16);
    if (lstrcmpW(cls, L"#32768") == 0) {
      gShown = Now();
      EndMenu();
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

double MedianOpen(int rounds, TPopupMenu* menu) {
  std::vector<double> t;
  for (int i = 0; i < rounds; ++i) {
    gShown = 0;
    const double start = Now();
    menu->Popup(400, 300);
    if (gShown > 0) t.push_back(gShown - start);
    PumpUntil([] { return false; }, 10);
  }
  return t.empty() ? 0 : bench::Median(std::move(t));
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  bench::SkinnedMainWindow m = bench::ShowSkinnedMainWindow();
  if (!m.form) return 1;
  TFrmMain* form = m.form.get();
  HWND w = form->Handle();
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterCall, nullptr, GetCurrentThreadId());
  const double skinned = MedianOpen(rounds, form->PopupMenu1);

  form->SkinData1->SetActive(false);
  PumpUntil([&] { return SendMessageW(w, SM_QUERYSKINNED, 0, 0) == 0; }, 3000);
  if (SendMessageW(w, SM_QUERYSKINNED, 0, 0) != 0) {
    fprintf(stderr, "the skin did not come off\n");
    return 1;
  }
  const double plain = MedianOpen(rounds, form->PopupMenu1);
  UnhookWindowsHookEx(hook);
  if (skinned == 0 || plain == 0) {
    fprintf(stderr, "the tray menu never showed\n");
    return 1;
  }
  // The same columns as the controls benchmark, so that the two read side by side.
  printf("main window tray menu, median of %d openings (asked until painted) under Wine:\n",
         rounds);
  printf("  tray menu     skinned %8.1f us   own %8.1f us   ratio %5.2f\n", skinned, plain,
         skinned / plain);
  m.form.reset();
  return 0;
}
