// The speed-test window's list with more lines than fit, seen from outside the program:
// its scroll bar is drawn from the skin the program carries (the arrows copied from the
// arrow strip, the track from the track picture), and dragging the thumb with the mouse
// or clicking an arrow scrolls the list.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "core/skin/SkinScrollGeometry.h"
#include "skin/SkinManager.h"
#include "tests/e2e/kit/e2e_kit.h"
#include "tests/e2e/skin/skin_expect.h"

namespace {

int Send(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  return static_cast<int>(SendMessageW(w, msg, wp, lp));
}

// Frame Frame of the skin's arrow strip at (x0, y0) of the shot, stretched to Size x
// Size (the key colour shows the bar's colour): the number of pixels whose colour the
// picture does not have at that place. Stretching by a pixel or so may repeat a row or
// column anywhere, so the place is taken as the mapped source pixel and its neighbours.
int ArrowMismatches(const e2e::Image& shot, int x0, int y0, int size, int frame) {
  const TDataSkinObject& e = *skinexpect::ProgramSkin().Scrollbar;
  const int fw = e.Bitmap.Width / e.FrameCount, fh = e.Bitmap.Height;
  const uint32_t back = skinexpect::Rgb(skinexpect::ProgramSkin().Colours.Scrollbar);
  int bad = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx) {
          const int sx = std::clamp(x * fw / size + dx, 0, fw - 1);
          const int sy = std::clamp(y * fh / size + dy, 0, fh - 1);
          uint32_t want = e.Bitmap.At((frame - 1) * fw + sx, sy);
          if (want == vpn::skin::KeyPixel) want = back;
          found = shot.At(x0 + x, y0 + y) == want;
        }
      bad += !found;
    }
  return bad;
}

}  // namespace

TEST(SkinScrollE2E, SpeedTestListScrollsWithTheSkinsBar) {
  e2e::Program app = e2e::Program::Start({});
  HWND main = app.WaitForWindow(L"TFrmMain", L"Morlu连接器");
  ASSERT_NE(main, nullptr);
  e2e::MoveMouse({2, 2});
  e2e::TypeText(e2e::Control(main, L"IPAddrTxt"), L"127.0.0.1");
  e2e::Click(e2e::Control(main, L"Button3"));
  HWND speed = app.WaitForWindow(L"TForm1", nullptr, 10000);
  ASSERT_NE(speed, nullptr);
  HWND list = e2e::Control(speed, L"ListBox1");
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::ListItems(list).size() == 9; }, 15000))
      << "the speed test listed no nine replies";
  ASSERT_EQ(Send(list, SM_QUERYSKINNED), 1);
  // More lines than the list shows: older results kept below the new ones.
  for (int i = 0; i < 30; ++i) {
    const std::wstring line = L"127.0.0.1 earlier run " + std::to_wstring(i);
    Send(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  const int count = Send(list, LB_GETCOUNT);
  ASSERT_EQ(count, 39);
  e2e::Sync(speed);

  // Where the bar lies and what it shows, as the skin works it out.
  RECT wr{}, client{};
  GetWindowRect(list, &wr);
  GetClientRect(list, &client);
  const int s = GetSystemMetrics(SM_CXHSCROLL);
  const vpn::skin::TPixelRect v =
      vpn::skin::ScrollBarsLayoutOf(wr.right - wr.left, wr.bottom - wr.top, client.right,
                                    client.bottom, s, GetSystemMetrics(SM_CXEDGE), false, true,
                                    false)
          .Vert;
  const int page = client.bottom / Send(list, LB_GETITEMHEIGHT);
  auto thumb = [&] {
    return vpn::skin::ThumbGeometryOf({}, v.Bottom - v.Top,
                                      {0, count - 1, page, Send(list, LB_GETTOPINDEX)},
                                      {s, 8, GetSystemMetrics(SM_CXHTHUMB)});
  };
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return ArrowMismatches(e2e::CaptureScreen(list), v.Left, v.Top, s, 9) == 0; }, 3000))
      << ArrowMismatches(e2e::CaptureScreen(list), v.Left, v.Top, s, 9) << " up-arrow pixels";
  const e2e::Image shot = e2e::CaptureScreen(list);
  EXPECT_EQ(ArrowMismatches(shot, v.Left, v.Bottom - s, s, 13), 0) << "down arrow";
  // Between the thumb and the down arrow each column of the track shows a colour of
  // the same column (give or take one) of the track picture's first frame.
  const TDataSkinObject& track = *skinexpect::ProgramSkin().VertScroll;
  const int tw = track.Bitmap.Width / track.FrameCount;
  const int y = v.Bottom - s - track.BottomHeight - 2;
  ASSERT_GT(y, v.Top + s + thumb().ThumbPos + thumb().ThumbSize);
  for (int x = 0; x < v.Right - v.Left; ++x) {
    std::set<uint32_t> column;
    for (int dx = -1; dx <= 1; ++dx)
      for (int ty = 0; ty < track.Bitmap.Height; ++ty)
        column.insert(track.Bitmap.At(std::clamp(x * tw / s + dx, 0, tw - 1), ty));
    EXPECT_TRUE(column.count(shot.At(v.Left + x, y))) << "track column " << x;
  }
  e2e::SaveScreenshot(e2e::ArtifactPath(L"skin-speed-scroll.bmp"), speed);

  // The thumb dragged below the end of the bar: the last line comes into view.
  const vpn::skin::TThumbGeometry g = thumb();
  const POINT grab{wr.left + (v.Left + v.Right) / 2,
                   wr.top + v.Top + s + g.ThumbPos + g.ThumbSize / 2};
  e2e::MoveMouse(grab);
  e2e::MouseDown(grab);
  for (int dy = 10; dy < 200; dy += 10) e2e::MoveMouse({grab.x, grab.y + dy});
  e2e::MouseUp({grab.x, grab.y + 200});
  EXPECT_TRUE(e2e::WaitUntil([&] { return Send(list, LB_GETTOPINDEX) == count - page; }, 3000))
      << Send(list, LB_GETTOPINDEX) << " of " << count << ", " << page << " a page";
  e2e::Sync(speed);
  e2e::SaveScreenshot(e2e::ArtifactPath(L"skin-speed-scrolled.bmp"), speed);

  // The up arrow goes back one line.
  const POINT up{grab.x, wr.top + v.Top + s / 2};
  e2e::MouseDown(up);
  e2e::MouseUp(up);
  EXPECT_TRUE(e2e::WaitUntil([&] { return Send(list, LB_GETTOPINDEX) == count - page - 1; }, 3000))
      << Send(list, LB_GETTOPINDEX);
  app.Stop();
}
