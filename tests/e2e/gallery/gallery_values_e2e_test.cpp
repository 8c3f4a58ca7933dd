// The gallery's combo boxes, up-downs, progress and track bars under the value test skin
// (one flat colour per frame), driven from outside through the gallery's menu and read
// back from the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "skin/SkinManager.h"
#include "tests/e2e/kit/e2e_kit.h"
#include "tools/skingallery/GalleryIds.h"

namespace {

using namespace gallery;

constexpr uint32_t Rgb(int r, int g, int b) {
  return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}
// The value test skin's colours (tests/unit/skin/testskin/make_valueskin.py), index =
// frame - 1.
constexpr uint32_t kCombo[] = {Rgb(230, 120, 20), Rgb(20, 120, 230), Rgb(140, 140, 100),
                               Rgb(230, 20, 120)};
constexpr uint32_t kComboBand = Rgb(40, 20, 0);
constexpr uint32_t kSunk[] = {Rgb(0, 60, 120), Rgb(120, 0, 60), Rgb(60, 60, 60), Rgb(0, 120, 60)};
constexpr uint32_t kUpDownFirst = Rgb(200, 0, 0), kUpDownSecond = Rgb(200, 0, 200);
constexpr uint32_t kBarEmpty = Rgb(220, 230, 240), kBarFill = Rgb(40, 180, 90);
constexpr uint32_t kThumbH = Rgb(250, 100, 0), kThumbV = Rgb(0, 100, 250);

uint32_t Pixel(HWND w, int x, int y) {
  const e2e::Image shot = e2e::CaptureScreen(w);
  return x < shot.width && y < shot.height ? shot.At(x, y) : 0xFF000000;
}
bool Shows(HWND w, int x, int y, uint32_t colour) {
  return e2e::WaitUntil([&] { return Pixel(w, x, y) == colour; }, 3000);
}
// The mean column of the pixels of one colour (-1 when there is none): where a thumb is.
int ColumnOf(HWND w, uint32_t colour) {
  const e2e::Image shot = e2e::CaptureScreen(w);
  long sum = 0, count = 0;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x)
      if (shot.At(x, y) == colour) sum += x, ++count;
  return count ? static_cast<int>(sum / count) : -1;
}

class GalleryValues : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring skin = e2e::BinDir() + L"\\testskins\\testskin-v.skin";
    ASSERT_TRUE(e2e::FileExists(skin)) << "test skin testskin-v.skin missing";
    e2e::StartOptions o;
    o.exe = e2e::BinDir() + L"\\skingallery.exe";
    o.args = L"\"" + skin + L"\"";
    o.clean_settings = false;
    o.main_class = kWindowClass;
    app_ = e2e::Program::Start(o);
    w_ = app_.WaitForWindow(kWindowClass, kWindowCaption);
    ASSERT_NE(w_, nullptr);
    ASSERT_TRUE(e2e::WaitUntil([&] { return SendMessageW(w_, SM_QUERYSKINNED, 0, 0) == 1; }, 5000));
  }
  void TearDown() override { app_.Stop(10000); }
  HWND Item(int id) { return GetDlgItem(w_, id); }
  void Command(int id) {
    PostMessageW(w_, WM_COMMAND, id, 0);
    DWORD_PTR r = 0;
    SendMessageTimeoutW(w_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &r);
  }
  e2e::Program app_;
  HWND w_ = nullptr;
};

}  // namespace

TEST_F(GalleryValues, ValueControlsShowTheSkinAndFollowTheirValues) {
  // Both combo boxes: the frame ring and the button from the skin; the right-to-left box
  // has its button on the left, mirrored (the band on the button's right side).
  HWND combo = Item(gcCombo), left = Item(gcComboLeft);
  const SIZE c = e2e::ClientSize(combo);
  const int s = GetSystemMetrics(SM_CXHSCROLL);
  EXPECT_TRUE(Shows(combo, c.cx - s - 2, 2, kComboBand));
  const uint32_t ring = Pixel(combo, 1, c.cy / 2);
  EXPECT_TRUE(ring == kSunk[0] || ring == kSunk[3]) << std::hex << ring;
  EXPECT_TRUE(Shows(left, s + 1, 2, kComboBand));
  const uint32_t button = Pixel(left, 2, 2);
  EXPECT_TRUE(button == kCombo[0] || button == kCombo[3]) << std::hex << button;

  // The up-downs: each half from its own frames.
  EXPECT_TRUE(Shows(Item(gcSpinEditUpDown), 3, 3, kUpDownFirst));
  EXPECT_TRUE(Shows(Item(gcUpDownHorz), 3, 3, kUpDownFirst));
  EXPECT_EQ(Pixel(Item(gcUpDownHorz), 37, 3), kUpDownSecond);

  // Progress bars fill to their position; at the start only the empty bar shows.
  HWND bar = Item(gcProgress);
  const SIZE b = e2e::ClientSize(bar);
  Command(cmPositionMiddle);
  EXPECT_TRUE(Shows(bar, b.cx / 4, b.cy / 2, kBarFill));
  EXPECT_EQ(Pixel(bar, b.cx * 3 / 4, b.cy / 2), kBarEmpty);
  Command(cmPositionStart);
  EXPECT_TRUE(Shows(bar, b.cx / 4, b.cy / 2, kBarEmpty));
  EXPECT_TRUE(Shows(Item(gcProgressSmooth), 8, b.cy / 2, kBarEmpty));

  // Track bars: the skin's thumb of each orientation, moving with the position.
  HWND track = Item(gcTrackHorz);
  EXPECT_TRUE(e2e::WaitUntil([&] { return ColumnOf(track, kThumbH) >= 0; }, 3000));
  const int atStart = ColumnOf(track, kThumbH);
  Command(cmPositionEnd);
  EXPECT_TRUE(e2e::WaitUntil([&] { return ColumnOf(track, kThumbH) > atStart + 100; }, 3000));
  EXPECT_GE(ColumnOf(Item(gcTrackVert), kThumbV), 0);
  EXPECT_TRUE(Shows(bar, b.cx - 8, b.cy / 2, kBarFill));
  e2e::SaveScreenshot(e2e::ArtifactPath(L"gallery-valueskin.bmp"), w_);
}
