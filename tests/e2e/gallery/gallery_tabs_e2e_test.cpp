// The gallery's tab controls in the control test skin, read back from the screen: the
// tabs on each side drawn from the skin's tab pictures, turned the way their side asks;
// the crowded row's scroll arrows left uncovered while it scrolls; and a skin without tab
// pictures, or without a sheet border, leaving those to the control.
#include <gtest/gtest.h>
#include <windows.h>
// (the common controls' header needs the base declarations first)
#include <commctrl.h>

#include <string>

#include "skin/SkinManager.h"
#include "tests/e2e/kit/e2e_kit.h"
#include "tools/skingallery/GalleryIds.h"

namespace {

using namespace gallery;

constexpr uint32_t Rgb(int r, int g, int b) {
  return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}
// The control test skin's tabs: per frame the outer edge, the picture's left side and
// the body; its sheet border's four edges.
struct TabColours {
  uint32_t edge, side, body;
};
constexpr TabColours kNormalTab{Rgb(200, 40, 40), Rgb(40, 40, 200), Rgb(240, 200, 80)};
constexpr TabColours kFocusTab{Rgb(40, 160, 40), Rgb(160, 40, 160), Rgb(230, 160, 60)};
constexpr uint32_t kBorderTop = Rgb(0, 200, 200), kBorderLeft = Rgb(200, 100, 0),
                   kBorderRight = Rgb(100, 0, 200), kBorderBottom = Rgb(0, 100, 0);

// Where the pixels of one colour lie in a picture.
struct Spot {
  int count = 0;
  double x = 0, y = 0;  // mean position
};
Spot Find(const e2e::Image& img, uint32_t colour) {
  Spot s;
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x)
      if (img.At(x, y) == colour) {
        ++s.count;
        s.x += x;
        s.y += y;
      }
  if (s.count) {
    s.x /= s.count;
    s.y /= s.count;
  }
  return s;
}
// Pixels of colour `a` with a pixel of colour `b` right below them. (Asked of the one
// focused tab: between two tabs of the same frame one tab's side meets the next one's
// body whichever way they were turned.)
int Above(const e2e::Image& img, uint32_t a, uint32_t b) {
  int n = 0;
  for (int y = 0; y + 1 < img.height; ++y)
    for (int x = 0; x < img.width; ++x) n += img.At(x, y) == a && img.At(x, y + 1) == b;
  return n;
}

class GalleryTabs : public ::testing::Test {
 protected:
  HWND Start(const std::wstring& args) {
    e2e::StartOptions o;
    o.exe = e2e::BinDir() + L"\\skingallery.exe";
    o.args = args;
    o.clean_settings = false;
    o.main_class = kWindowClass;
    app_ = e2e::Program::Start(o);
    HWND w = app_.WaitForWindow(kWindowClass, kWindowCaption);
    if (w) SetForegroundWindow(w);
    return w;
  }
  HWND StartWithTestSkin() {
    const std::wstring skin = e2e::BinDir() + L"\\testskins\\testskin-c.skin";
    HWND w = Start(L"\"" + skin + L"\"");
    // Skinned once the crowded row shows the skin's focused tab and the others: the
    // row is painted in more than one step, and a capture between them sees half a row.
    const auto painted = [&] {
      const e2e::Image img = e2e::CaptureScreen(Tab(w, gcTabTop));
      return Find(img, kFocusTab.body).count > 20 && Find(img, kNormalTab.body).count > 50;
    };
    if (w && !e2e::WaitUntil(painted, 8000)) ADD_FAILURE() << "the tabs never showed the skin";
    return w;
  }
  static HWND Tab(HWND w, int id) { return GetDlgItem(w, id); }
  void TearDown() override {
    if (app_.Running()) app_.Stop(10000);
  }
  e2e::Program app_;
};

TEST_F(GalleryTabs, TabsOnEachSideAreDrawnFromTheTabPicturesTurnedIntoPlace) {
  HWND w = StartWithTestSkin();
  ASSERT_NE(w, nullptr);
  for (int id : {gcTabTop, gcTabBottom, gcTabLeft, gcTabRight})
    EXPECT_EQ(SendMessageW(Tab(w, id), SM_QUERYSKINNED, 0, 0), 1) << id;
  e2e::SaveScreenshot(e2e::ArtifactPath(L"gallery-tabs-testskin.bmp"), w);

  struct Case {
    int id;
    const char* side;
  };
  for (const Case c : {Case{gcTabTop, "top"}, Case{gcTabBottom, "bottom"}, Case{gcTabLeft, "left"},
                       Case{gcTabRight, "right"}}) {
    SCOPED_TRACE(c.side);
    const e2e::Image img = e2e::CaptureScreen(Tab(w, c.id));
    const Spot edge = Find(img, kNormalTab.edge), body = Find(img, kNormalTab.body);
    const Spot top = Find(img, kBorderTop), bottom = Find(img, kBorderBottom);
    const Spot left = Find(img, kBorderLeft), right = Find(img, kBorderRight);
    // Every control shows unfocused tabs, the focused one and all four sheet edges.
    ASSERT_GT(body.count, 50);
    EXPECT_GT(Find(img, kFocusTab.body).count, 20);
    for (const Spot& s : {top, bottom, left, right}) EXPECT_GT(s.count, 20);
    const std::string side = c.side;
    if (side == "top") {
      // As the pictures are: the tabs' edge on top, the sheet's top edge facing them.
      EXPECT_LT(edge.y, body.y);
      EXPECT_LT(top.y, bottom.y);
      EXPECT_LT(left.x, right.x);
      EXPECT_GT(Above(img, kFocusTab.edge, kFocusTab.side), 0);
    } else if (side == "bottom") {
      // Upside down: edges at the bottom, left stays left.
      EXPECT_GT(edge.y, body.y);
      EXPECT_GT(top.y, bottom.y);
      EXPECT_LT(left.x, right.x);
      EXPECT_GT(Above(img, kFocusTab.side, kFocusTab.edge), 0);
    } else if (side == "left") {
      // A quarter turn counter-clockwise: the picture's top goes left, its left side
      // down.
      EXPECT_LT(edge.x, body.x);
      EXPECT_LT(top.x, bottom.x);
      EXPECT_GT(left.y, right.y);
      EXPECT_GT(Above(img, kFocusTab.body, kFocusTab.side), 0);
      EXPECT_EQ(Above(img, kFocusTab.side, kFocusTab.body), 0);
    } else {
      // A quarter turn clockwise: the picture's top goes right, its left side up.
      EXPECT_GT(edge.x, body.x);
      EXPECT_GT(top.x, bottom.x);
      EXPECT_LT(left.y, right.y);
      EXPECT_GT(Above(img, kFocusTab.side, kFocusTab.body), 0);
      EXPECT_EQ(Above(img, kFocusTab.body, kFocusTab.side), 0);
    }
  }
}

TEST_F(GalleryTabs, AnOverflowingRowKeepsItsArrowsUncoveredWhileItScrolls) {
  HWND w = StartWithTestSkin();
  ASSERT_NE(w, nullptr);
  HWND tab = Tab(w, gcTabTop);
  HWND arrows = FindWindowExW(tab, nullptr, L"msctls_updown32", nullptr);
  ASSERT_NE(arrows, nullptr);
  ASSERT_TRUE(IsWindowVisible(arrows));

  // Nothing of the row lies on the arrows.
  const auto clean = [&] {
    const e2e::Image img = e2e::CaptureScreen(arrows);
    int row = 0;
    for (const TabColours& t : {kNormalTab, kFocusTab})
      row += Find(img, t.edge).count + Find(img, t.side).count + Find(img, t.body).count;
    return row;
  };
  EXPECT_EQ(clean(), 0);

  // The right arrow, pressed with the mouse, scrolls the first tab (the focused one)
  // out of the row; the skin draws the row again and the arrows stay uncovered.
  RECT r{};
  GetWindowRect(arrows, &r);
  const POINT right{r.right - 4, (r.top + r.bottom) / 2};
  e2e::MouseDown(right);
  e2e::MouseUp(right);
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return Find(e2e::CaptureScreen(tab), kFocusTab.body).count == 0; }, 5000));
  EXPECT_GT(Find(e2e::CaptureScreen(tab), kNormalTab.body).count, 50);
  EXPECT_EQ(clean(), 0);

  // The focus moves to a tab still in view, and a part of the row away from the arrows
  // needs painting again (as when a window that lay over it goes away): each time the
  // skin draws the row again while the arrows keep what they show.
  SendMessageW(tab, TCM_SETCURFOCUS, 3, 0);
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return Find(e2e::CaptureScreen(tab), kFocusTab.body).count > 20; }, 5000));
  EXPECT_EQ(clean(), 0);
  const RECT part{0, 0, 60, 30};
  InvalidateRect(tab, &part, FALSE);
  DWORD_PTR done = 0;
  SendMessageTimeoutW(tab, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &done);
  e2e::WaitStill(tab);
  EXPECT_EQ(clean(), 0);
  e2e::SaveScreenshot(e2e::ArtifactPath(L"gallery-tabs-scrolled.bmp"), w);
}

// Pixels of two pictures of one size that differ, from row `top` down.
int Differ(const e2e::Image& a, const e2e::Image& b, int top = 0) {
  if (a.width != b.width || a.height != b.height) return -1;
  int n = 0;
  for (int y = top; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) n += a.At(x, y) != b.At(x, y);
  return n;
}

TEST_F(GalleryTabs, WhatTheSkinHasNoPicturesForIsLeftToTheControl) {
  // The controls' own look, unskinned.
  HWND w = Start(L"-unskinned");
  ASSERT_NE(w, nullptr);
  e2e::WaitStill(w);
  const e2e::Image ownRight = e2e::CaptureScreen(Tab(w, gcTabRight));
  const e2e::Image ownTop = e2e::CaptureScreen(Tab(w, gcTabTop));
  app_.Stop(10000);

  // A skin with a frame but no tab pictures: the window is skinned, its tab control
  // looks exactly as before.
  w = Start(L"\"" + e2e::BinDir() + L"\\testskins\\testskin-a.skin\"");
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(e2e::WaitUntil([&] { return SendMessageW(w, SM_QUERYSKINNED, 0, 0) == 1; }, 5000));
  e2e::WaitStill(w);
  EXPECT_EQ(Differ(e2e::CaptureScreen(Tab(w, gcTabRight)), ownRight), 0);
  app_.Stop(10000);

  // Tab pictures without a sheet border: the skin draws the row, and from the row's
  // lower edge down the control shows its own sheet.
  w = Start(L"\"" + e2e::BinDir() + L"\\testskins\\testskin-d.skin\"");
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(e2e::WaitUntil(
      [&] { return Find(e2e::CaptureScreen(Tab(w, gcTabTop)), kFocusTab.body).count > 20; }, 5000));
  e2e::WaitStill(w);
  const e2e::Image seen = e2e::CaptureScreen(Tab(w, gcTabTop));
  int rowEnd = 0;
  for (int y = 0; y < seen.height; ++y)
    for (int x = 0; x < seen.width; ++x)
      for (const TabColours& t : {kNormalTab, kFocusTab})
        if (seen.At(x, y) == t.body || seen.At(x, y) == t.side) rowEnd = y + 1;
  EXPECT_GT(rowEnd, 10);
  EXPECT_LT(rowEnd, 40);
  EXPECT_EQ(Find(seen, kBorderTop).count + Find(seen, kBorderBottom).count, 0);
  EXPECT_EQ(Differ(seen, ownTop, rowEnd + 1), 0);
}

}  // namespace
