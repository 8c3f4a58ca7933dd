// Skinned frame benchmark (not a test). In one process, the program's main window with
// its skin: the median time of a full frame paint (WM_NCPAINT), of the same paint when
// the border pieces must be drawn anew (after a size or skin change), and of building
// the window region; then the same window with the skin switched off: the median time
// of the system's own non-client paint. Prints the figures and their ratios.
//
//   bench_skin_frame.exe [ROUNDS]
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

using bench::Median;
using bench::PumpUntil;

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  bench::SkinnedMainWindow m = bench::ShowSkinnedMainWindow();
  if (!m.form) return 1;
  TFrmMain* form = m.form.get();
  TSkinForm* f = m.frame;
  HWND w = form->Handle();
  PumpUntil([] { return false; }, 300);
  RECT r{};
  GetWindowRect(w, &r);

  const double skinned = Median(rounds, [&] { SendMessageW(w, WM_NCPAINT, 1, 0); });
  const double fresh = Median(rounds, [&] {
    f->ReloadElements();  // drops the drawn pieces
    SendMessageW(w, WM_NCPAINT, 1, 0);
  });
  const double region = Median(rounds, [&] {
    f->UpdateRegion(true);  // builds the region again although the size is the same
  });

  form->SkinData1->SetActive(false);
  PumpUntil([&] { return SendMessageW(w, SM_QUERYSKINNED, 0, 0) == 0; }, 3000);
  PumpUntil([] { return false; }, 300);
  if (SendMessageW(w, SM_QUERYSKINNED, 0, 0) != 0) {
    fprintf(stderr, "the skin did not come off\n");
    return 1;
  }
  const double plain = Median(rounds, [&] { SendMessageW(w, WM_NCPAINT, 1, 0); });

  printf("main window %ldx%ld, median of %d rounds under Wine:\n", r.right - r.left,
         r.bottom - r.top, rounds);
  printf("  skinned frame paint (WM_NCPAINT)          %8.1f us\n", skinned);
  printf("  skinned frame paint, pieces drawn anew    %8.1f us\n", fresh);
  printf("  window region built                       %8.1f us\n", region);
  printf("  system's non-client paint, skin off       %8.1f us\n", plain);
  printf("  ratio skinned / system                    %8.2f\n", skinned / plain);
  printf("  ratio pieces drawn anew / system          %8.2f\n", fresh / plain);
  printf("  ratio region / system paint               %8.2f\n", region / plain);
  m.form.reset();
  return 0;
}
