#include "tests/e2e/skin/skin_expect.h"

#include <algorithm>

#include "skins/DefaultSkin.h"

using namespace vpn::skin;

namespace skinexpect {

const TSkinModel& ProgramSkin() {
  static const TSkinModel* model = [] {
    auto* m = new TSkinModel();
    // The stream as the main window's layout stores it: length, then the packed skin.
    m->PackedSkin.assign(DefaultSkinStream + 4, DefaultSkinStream + DefaultSkinStreamSize);
    m->LoadSkinStore();
    return m;
  }();
  return *model;
}

namespace {

StripSize Strip(const TDataSkinObject& e) {
  return {e.Bitmap.Width, e.Bitmap.Height, e.FrameCount};
}

int FrameOf(const TDataSkinObject& e, bool active) {
  return BorderFrameOf(active, e.FrameCount);
}

}  // namespace

FrameSizes Frame() {
  const TSkinModel& s = ProgramSkin();
  return FrameSizesOf(Strip(*s.LeftBorder), Strip(*s.RightBorder), Strip(*s.TopBorder),
                      Strip(*s.BottomBorder), bkFramed);
}

SysButtonWindow ProgramWindow(bool active) {
  SysButtonWindow w;
  w.sysMenu = true;
  w.minBox = true;
  w.active = active;
  return w;
}

RECT Button(int action, int windowWidth) {
  for (const auto& e : ProgramSkin().SysButtonElements) {
    if (e->Action != action || e->Visibility == 100) continue;
    if (!SysButtonShown(e->Action, e->Visibility, e->Visibility1, ProgramWindow())) continue;
    int w = GetSystemMetrics(SM_CXSMICON), h = GetSystemMetrics(SM_CYSMICON);
    if (!e->Bitmap.Empty()) {
      w = e->Bitmap.Width / std::max(1, e->FrameCount);
      h = e->Bitmap.Height;
    }
    const int x = e->Align == 1 ? windowWidth - e->Xcoord : e->Xcoord;
    return RECT{x, e->Ycoord, x + w, e->Ycoord + h};
  }
  return RECT{};
}

POINT Centre(const RECT& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

int FreeTitleColumn(int windowWidth) {
  // Between the end of the caption's room (its clip before the title's right end) and
  // the leftmost right-aligned button.
  int buttons = windowWidth;
  for (const auto& e : ProgramSkin().SysButtonElements)
    if (e->Align == 1 && e->Visibility != 100 &&
        SysButtonShown(e->Action, e->Visibility, e->Visibility1, ProgramWindow()))
      buttons = std::min(buttons, windowWidth - e->Xcoord);
  const int captionEnd = windowWidth - Frame().Right - ProgramSkin().Title->RightWidth;
  return (captionEnd + buttons) / 2;
}

uint32_t Rgb(TColor c) {
  const uint32_t v = static_cast<uint32_t>(c);
  return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

namespace {

// Pixels of frame `frame` of a strip, in the rectangle (x0, y0, x1, y1) of the frame.
std::set<uint32_t> Pixels(const TDataSkinObject& e, bool stacked, bool active, int x0, int y0,
                          int x1, int y1) {
  const TPixelRect f =
      FrameRect(e.Bitmap.Width, e.Bitmap.Height, e.FrameCount, FrameOf(e, active), stacked);
  std::set<uint32_t> out;
  for (int y = std::max(0, y0); y < std::min(f.Height(), y1); ++y)
    for (int x = std::max(0, x0); x < std::min(f.Width(), x1); ++x)
      out.insert(e.Bitmap.At(f.Left + x, f.Top + y));
  return out;
}

}  // namespace

std::set<uint32_t> TitleRow(int y, bool active) {
  const TDataSkinObject& t = *ProgramSkin().TopBorder;
  const int w = t.Bitmap.Width;
  return Pixels(t, true, active, t.LeftWidth, y, w - t.RightWidth, y + 1);
}

std::set<uint32_t> LeftColumn(int x, bool active) {
  const TDataSkinObject& e = *ProgramSkin().LeftBorder;
  const int h = e.Bitmap.Height;
  return Pixels(e, false, active, x, e.TopHeight, x + 1, h - e.BottomHeight);
}

std::set<uint32_t> RightColumn(int x, bool active) {
  const TDataSkinObject& e = *ProgramSkin().RightBorder;
  const int h = e.Bitmap.Height;
  return Pixels(e, false, active, x, e.TopHeight, x + 1, h - e.BottomHeight);
}

std::set<uint32_t> BottomRow(int y, bool active) {
  const TDataSkinObject& e = *ProgramSkin().BottomBorder;
  return Pixels(e, true, active, e.LeftWidth, y, e.Bitmap.Width - e.RightWidth, y + 1);
}

}  // namespace skinexpect
