// The program's main window made, shown and skinned, for the benchmarks that measure it.
#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>

#include "app/Unit_FrmMain.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "tests/bench/skin/bench_clock.h"

namespace bench {

// The window and its skinned frame, or no window (and a line on stderr) when the skin
// did not take it within 5 s.
struct SkinnedMainWindow {
  std::unique_ptr<TFrmMain> form;
  TSkinForm* frame = nullptr;
};

inline SkinnedMainWindow ShowSkinnedMainWindow() {
  SkinnedMainWindow m;
  m.form = std::make_unique<TFrmMain>(Application);
  m.form->AfterConstruction();
  m.form->Show();
  HWND w = m.form->Handle();
  PumpUntil(
      [&] { return (m.frame = SkinManager->FindSkinForm(w)) && m.frame->State() == sfsSkinned; },
      5000);
  if (!m.frame) {
    std::fprintf(stderr, "the main window was not skinned\n");
    m.form.reset();
  }
  return m;
}

}  // namespace bench
