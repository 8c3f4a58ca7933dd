#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "skin/SkinData.h"
#include "skin/SkinDraw.h"

// Pictures are written as rows of letters: each lower-case letter is a colour of its
// own, M is the key colour, G the key colour with green 1, '.' the grey of an untouched
// canvas. Every drawing is read back and compared row by row.
namespace {

uint32_t Colour(char c) {
  if (c == '.') return 0x808080;
  if (c == 'M') return 0xFF00FF;
  if (c == 'G') return 0xFF01FF;
  return (static_cast<uint32_t>(c) * 0x0A0705u) & 0xFFFFFF;
}

std::string Letters(const uint32_t* px, int w) {
  std::string row;
  for (int x = 0; x < w; ++x) {
    char found = '?';
    for (char c : std::string(".MGabcdefghijklmnopqrstuvwxyz"))
      if (Colour(c) == (px[x] & 0xFFFFFF)) found = c;
    row += found;
  }
  return row;
}

TBitmapHandle Bitmap(const std::vector<std::string>& rows) {
  TSkinPicture p;
  p.Width = static_cast<int>(rows[0].size());
  p.Height = static_cast<int>(rows.size());
  for (const std::string& r : rows)
    for (char c : r) p.Pixels.push_back(Colour(c));
  return TBitmapHandle(CreateSkinBitmap(p));
}

// Any bitmap read back through a 32-bit copy.
std::vector<std::string> Rows(HGDIOBJ bmp) {
  BITMAP bm{};
  GetObjectW(bmp, sizeof(bm), &bm);
  BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0},
                {}};
  std::vector<uint32_t> px(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
  HDC dc = GetDC(nullptr);
  GetDIBits(dc, static_cast<HBITMAP>(bmp), 0, bm.bmHeight, px.data(), &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  std::vector<std::string> rows;
  for (int y = 0; y < bm.bmHeight; ++y) rows.push_back(Letters(&px[y * bm.bmWidth], bm.bmWidth));
  return rows;
}

// A grey bitmap of the screen's own format in a memory DC, the way a window's
// off-screen copy is made.
struct Canvas {
  TMemoryDC dc{CreateCompatibleDC(nullptr)};
  TBitmapHandle bmp;
  TSelectObject selected;
  Canvas(int w, int h) {
    {
      TWindowDC screen(nullptr);
      bmp.Reset(CreateCompatibleBitmap(screen.Get(), w, h));
    }
    selected.Select(dc.Get(), bmp.Get());
    const RECT r{0, 0, w, h};
    TBrushHandle grey(CreateSolidBrush(RGB(0x80, 0x80, 0x80)));
    FillRect(dc.Get(), &r, grey.Get());
  }
  std::vector<std::string> Rows() {
    selected.Restore();
    std::vector<std::string> rows = ::Rows(bmp.Get());
    selected.Select(dc.Get(), bmp.Get());
    return rows;
  }
};

HBITMAP H(const TBitmapHandle& o) {
  return o.Get();
}

}  // namespace

TEST(SkinDraw, FrameOfAStripStretchedWithTheKeyColourLeftUnpainted) {
  const TBitmapHandle strip = Bitmap({"abcdef", "ghMjkl"});  // three frames of 2 x 2
  Canvas c(8, 6);
  DrawFrame(c.dc.Get(), {2, 1, 6, 5}, H(strip), true, 3, 2);
  DrawFrame(c.dc.Get(), {6, 1, 2, 5}, H(strip), false, 3, 1);  // inverted: nothing
  EXPECT_EQ(c.Rows(), (std::vector<std::string>{"........", "..ccdd..", "..ccdd..", "....jj..",
                                                "....jj..", "........"}));
  DrawFrame(c.dc.Get(), {0, 1, 6, 3}, H(strip), false, 3, 9);  // a stray frame: the last
  DrawFrame(c.dc.Get(), {0, 4, 6, 6}, H(strip), false, 1, 1);  // one frame: the whole strip
  EXPECT_EQ(c.Rows(), (std::vector<std::string>{"........", "eeefff..", "kkklll..", "....jj..",
                                                "abcdef..", "ghMjkl.."}));

  // The same transparent drawing straight onto a window on screen.
  TWindowHandle wnd(CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 50, 50, 8,
                                    6, nullptr, nullptr, nullptr, nullptr));
  UpdateWindow(wnd.Get());
  TWindowDC wdc(wnd.Get());
  BitBlt(wdc.Get(), 0, 0, 8, 6, c.dc.Get(), 0, 0, SRCCOPY);
  DrawFrame(wdc.Get(), {4, 0, 8, 4}, H(strip), true, 3, 2);
  BitBlt(c.dc.Get(), 0, 0, 8, 6, wdc.Get(), 0, 0, SRCCOPY);
  EXPECT_EQ(c.Rows(), (std::vector<std::string>{"....ccdd", "eeefccdd", "kkkllljj", "....jjjj",
                                                "abcdef..", "ghMjkl.."}));
}

TEST(SkinDraw, NineSliceRenderedTiledStretchedTransparentAndEdgesOnly) {
  // Frame 2 of a vertical strip; margins of one pixel; a 3 x 2 centre.
  const TBitmapHandle strip = Bitmap({"qqqqq", "qqqqq", "qqqqq", "qqqqq",  //
                                      "Mtttb", "lxyzr", "lfghr", "cnnnd"});
  const RECT one{1, 1, 1, 1};
  // Tiled: the centre repeats from its top-left; what runs over is covered by the right
  // and bottom pieces.
  const TBitmapHandle tiled = RenderNineSlice(9, 5, H(strip), one, true, true, 2, 2);
  EXPECT_EQ(Rows(tiled.Get()), (std::vector<std::string>{"Mtttttttb", "lxyzxyzxr", "lfghfghfr",
                                                         "lxyzxyzxr", "cnnnnnnnd"}));
  // Margins wider than the target lose their fixed ends: the frame is stretched across.
  const TBitmapHandle narrow = RenderNineSlice(10, 4, H(strip), {6, 1, 6, 1}, true, false, 2, 2);
  EXPECT_EQ(Rows(narrow.Get()),
            (std::vector<std::string>{"MMttttttbb", "llxxyyzzrr", "llffgghhrr", "ccnnnnnndd"}));
  EXPECT_FALSE(RenderNineSlice(0, 4, H(strip), one, true, false, 2, 2));

  // Stretched centre drawn transparently: the key-colour corner keeps the canvas.
  Canvas c(10, 7);
  DrawNineSlice(c.dc.Get(), {1, 0, 9, 6}, H(strip), true, false, true, 2, 2, one);
  DrawNineSlice(c.dc.Get(), {9, 6, 1, 0}, H(strip), true, false, false, 2, 1, one);
  EXPECT_EQ(c.Rows(),
            (std::vector<std::string>{"..ttttttb.", ".lxxyyzzr.", ".lxxyyzzr.", ".lffgghhr.",
                                      ".lffgghhr.", ".cnnnnnnd.", ".........."}));
  // Edges alone leave the middle as it was.
  Canvas e(6, 5);
  DrawNineSliceEdges(e.dc.Get(), {0, 1, 5, 5}, H(strip), true, 2, 2, one);
  EXPECT_EQ(e.Rows(), (std::vector<std::string>{"......", "Mtttb.", "l...r.", "l...r.", "cnnnd."}));
}

TEST(SkinDraw, ThreeSliceRepeatsItsMiddleAndTilesRunPastTheirRectangle) {
  const TBitmapHandle strip = Bitmap({"qqqqq", "axyzb", "axyzb"});  // frame 2 of 3, rows of 1
  Canvas c(12, 3);
  DrawThreeSlice(c.dc.Get(), {1, 1, 11, 3}, H(strip), true, false, 3, 2, {1, 0, 1, 0});
  EXPECT_EQ(c.Rows(), (std::vector<std::string>{"............", ".axyzxyzxyb.", ".axyzxyzxyb."}));

  const TBitmapHandle piece = Bitmap({"Mabc", "Mdef"});
  Canvas t(8, 6);
  TileRect(t.dc.Get(), {1, 1, 6, 4}, H(piece), {1, 0, 3, 2});
  TileRect(t.dc.Get(), {1, 1, 6, 4}, H(piece), {1, 0, 1, 2});  // no area: nothing
  EXPECT_EQ(t.Rows(), (std::vector<std::string>{"........", ".ababab.", ".dedede.", ".ababab.",
                                                ".dedede.", "........"}));
  // A bitmap drawn transparently from its top-left, cut to its own size, with a key of
  // the caller's and with magenta.
  const uint32_t a = Colour('a');
  DrawTransparent(t.dc.Get(), {5, 0, 8, 6}, H(piece), RGB(a >> 16, (a >> 8) & 0xFF, a & 0xFF));
  DrawTransparent(t.dc.Get(), {0, 4, 4, 6}, H(piece));
  EXPECT_EQ(t.Rows(), (std::vector<std::string>{".....M.b", ".ababMde", ".dedede.", ".ababab.",
                                                ".abcede.", ".def...."}));
}

TEST(SkinDraw, RegionOfTheOpaquePixels) {
  auto matches = [](HRGN rgn, const std::vector<std::string>& rows, int dx, int dy) {
    for (int y = 0; y < static_cast<int>(rows.size()); ++y)
      for (int x = 0; x < static_cast<int>(rows[0].size()); ++x)
        if (PtInRegion(rgn, x + dx, y + dy) != (rows[y][x] == 'a')) return false;
    RECT box;
    return GetRgnBox(rgn, &box) == NULLREGION ||
           (box.left >= dx && box.top >= dy && box.right <= dx + int(rows[0].size()) &&
            box.bottom <= dy + int(rows.size()));
  };
  const std::vector<std::string> pic = {"MGMa", "aaMa", "MMMM", "aaaa"};
  const TRegionHandle rgn = RegionFromBitmap(H(Bitmap(pic)), 10, 20);
  EXPECT_TRUE(matches(rgn.Get(), pic, 10, 20));

  const TRegionHandle none = RegionFromBitmap(H(Bitmap({"MMMG", "GMMM"})), 0, 0);
  RECT box;
  ASSERT_TRUE(none);
  EXPECT_EQ(GetRgnBox(none.Get(), &box), NULLREGION);

  // 3000 runs: more than one batch of rectangles.
  std::vector<std::string> comb(50, std::string(120, 'a'));
  for (std::string& row : comb)
    for (size_t x = 0; x < row.size(); x += 2) row[x] = 'M';
  const TRegionHandle many = RegionFromBitmap(H(Bitmap(comb)), -3, 5);
  EXPECT_TRUE(matches(many.Get(), comb, -3, 5));

  // Another key with a tolerance on each channel, from a 24-bit bitmap.
  TBitmapHandle odd = Bitmap({"a", "a", "a", "a"});
  HDC dc = GetDC(nullptr);
  const BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), 1, -4, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
  const uint32_t px[4] = {0x122030, 0x132030, 0x102130, 0x102031};  // 0x00RRGGBB
  SetDIBits(dc, H(odd), 0, 4, px, &bi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  RotateRight(odd);  // now 4 x 1 and 24-bit, the first pixel on the right
  const TRegionHandle keyed = RegionFromBitmap(H(odd), 0, 0, 1, 0, 2, RGB(0x10, 0x20, 0x30));
  EXPECT_TRUE(matches(keyed.Get(), {"MaaM"}, 0, 0));
}

TEST(SkinDraw, MirrorFlipAndQuarterTurnsOfBitmaps) {
  TBitmapHandle b = Bitmap({"abc", "def"});
  MirrorBitmap(H(b));
  EXPECT_EQ(Rows(b.Get()), (std::vector<std::string>{"cba", "fed"}));
  FlipBitmap(H(b));
  EXPECT_EQ(Rows(b.Get()), (std::vector<std::string>{"fed", "cba"}));
  TBitmapHandle l = Bitmap({"abc", "def"}), r = Bitmap({"abc", "def"});
  RotateLeft(l);
  RotateRight(r);
  EXPECT_EQ(Rows(l.Get()), (std::vector<std::string>{"cf", "be", "ad"}));
  EXPECT_EQ(Rows(r.Get()), (std::vector<std::string>{"da", "eb", "fc"}));
  BITMAP bm{};
  GetObjectW(r.Get(), sizeof(bm), &bm);
  EXPECT_EQ(bm.bmBitsPixel, 24);
}
