// Skinned controls benchmark (not a test). In one process, the program's main window with
// its skin: the median time to paint Button1 (invalidate and update), CheckBox1 and the
// status bar; then the same window with the skin switched off: the same paints by the
// controls themselves. Prints the figures and their ratios.
//
//   bench_skin_controls.exe [ROUNDS]
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

namespace {

using bench::PumpUntil;

// Median in microseconds of `rounds` complete repaints of a window.
double PaintMedian(int rounds, HWND w) {
  return bench::Median(rounds, [&] {
    InvalidateRect(w, nullptr, TRUE);
    UpdateWindow(w);
  });
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  auto form = std::make_unique<TFrmMain>(Application);
  form->AfterConstruction();
  form->Show();
  HWND w = form->Handle();
  HWND button = form->Button1->Handle(), check = form->CheckBox1->Handle(),
       bar = form->StatusBar1->Handle();
  PumpUntil([&] { return SendMessageW(button, SM_QUERYSKINNED, 0, 0) == 1; }, 5000);
  if (SendMessageW(button, SM_QUERYSKINNED, 0, 0) != 1) {
    fprintf(stderr, "the main window's controls were not skinned\n");
    return 1;
  }
  PumpUntil([] { return false; }, 300);
  const double skinnedButton = PaintMedian(rounds, button);
  const double skinnedCheck = PaintMedian(rounds, check);
  const double skinnedBar = PaintMedian(rounds, bar);

  form->SkinData1->SetActive(false);
  PumpUntil([&] { return SendMessageW(w, SM_QUERYSKINNED, 0, 0) == 0; }, 3000);
  PumpUntil([] { return false; }, 300);
  if (SendMessageW(button, SM_QUERYSKINNED, 0, 0) != 0) {
    fprintf(stderr, "the skin did not come off\n");
    return 1;
  }
  const double plainButton = PaintMedian(rounds, button);
  const double plainCheck = PaintMedian(rounds, check);
  const double plainBar = PaintMedian(rounds, bar);

  printf("main window controls, median of %d repaints under Wine:\n", rounds);
  printf("  push button   skinned %8.1f us   own %8.1f us   ratio %5.2f\n", skinnedButton,
         plainButton, skinnedButton / plainButton);
  printf("  check box     skinned %8.1f us   own %8.1f us   ratio %5.2f\n", skinnedCheck,
         plainCheck, skinnedCheck / plainCheck);
  printf("  status bar    skinned %8.1f us   own %8.1f us   ratio %5.2f\n", skinnedBar, plainBar,
         skinnedBar / plainBar);
  form.reset();
  return 0;
}
