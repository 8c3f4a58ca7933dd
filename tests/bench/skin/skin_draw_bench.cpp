// Prints the median time of the drawings a skinned window frame repaints with, on the
// default skin at the size of the main window (client 351 x 239), next to a plain copy
// of the same area, so later changes can be compared as ratios in one run:
//   build/win64/wine-run build/win64/bin/skin_draw_bench.exe [ROUNDS=300] [FRAME.bmp]
// With a file name it also writes the drawn frame, the pixels outside its region cyan.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <vector>

#include "core/skin/SkinModel.h"
#include "core/skin/SkinPicture.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"
#include "skins/DefaultSkin.h"

namespace {

int Rounds = 300;

double MedianMicros(const std::function<void()>& work) {
  LARGE_INTEGER freq, a, b;
  QueryPerformanceFrequency(&freq);
  work();  // first use: caches and scratch surfaces
  std::vector<double> times;
  for (int i = 0; i < Rounds; ++i) {
    QueryPerformanceCounter(&a);
    work();
    QueryPerformanceCounter(&b);
    times.push_back(1e6 * static_cast<double>(b.QuadPart - a.QuadPart) / freq.QuadPart);
  }
  std::nth_element(times.begin(), times.begin() + Rounds / 2, times.end());
  return times[Rounds / 2];
}

void Report(const char* what, double us, double base) {
  std::printf("%-52s %9.1f us  %6.1fx\n", what, us, us / base);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) Rounds = std::max(1, std::atoi(argv[1]));
  TSkinModel skin;
  skin.PackedSkin.assign(DefaultSkinStream + 4, DefaultSkinStream + DefaultSkinStreamSize);
  if (!skin.LoadSkinStore()) {
    std::fprintf(stderr, "skin_draw_bench: the default skin does not load\n");
    return 1;
  }
  auto width = [](TDataSkinObject& e, bool vertical) {
    const int n = std::max(1, e.FrameCount);
    return vertical ? e.Bitmap.Height / n : e.Bitmap.Width / n;
  };
  const int bl = width(*skin.LeftBorder, false), br = width(*skin.RightBorder, false);
  const int th = width(*skin.TopBorder, true), bb = width(*skin.BottomBorder, true);
  const int w = 351 + bl + br, h = 239 + th + bb;
  HBITMAP top = SkinBitmapOf(skin.TopBorder->Bitmap), left = SkinBitmapOf(skin.LeftBorder->Bitmap);
  HBITMAP right = SkinBitmapOf(skin.RightBorder->Bitmap);
  HBITMAP bottom = SkinBitmapOf(skin.BottomBorder->Bitmap);
  const RECT topM = ElementMargins(*skin.TopBorder), leftM = ElementMargins(*skin.LeftBorder);
  const RECT rightM = ElementMargins(*skin.RightBorder);
  const RECT bottomM = ElementMargins(*skin.BottomBorder);

  // The window's off-screen copy: a bitmap of the screen's format in a memory DC.
  HDC screen = GetDC(nullptr);
  TMemoryDC dc(CreateCompatibleDC(screen)), from(CreateCompatibleDC(screen));
  TBitmapHandle canvas(CreateCompatibleBitmap(screen, w, h));
  TBitmapHandle plain(CreateCompatibleBitmap(screen, w, h));
  ReleaseDC(nullptr, screen);
  TSelectObject selCanvas(dc.Get(), canvas.Get()), selPlain(from.Get(), plain.Get());

  std::printf("default skin, window %d x %d (borders %d, %d, title %d, bottom %d), %d rounds\n", w,
              h, bl, br, th, bb, Rounds);
  std::printf("%-52s %12s  %7s\n", "", "median", "ratio");
  const int tw = w - bl - br;
  const double copy =
      MedianMicros([&] { BitBlt(dc.Get(), bl, 0, tw, th, from.Get(), 0, 0, SRCCOPY); });
  Report("plain copy of the title area (the unit)", copy, copy);
  Report("title piece rendered to a new bitmap", MedianMicros([&] {
           TBitmapHandle b = RenderNineSlice(tw, th, top, topM, true, false, 2, 1);
         }),
         copy);
  Report("title piece drawn off screen and copied", MedianMicros([&] {
           DrawNineSlice(dc.Get(), {bl, 0, w - br, th}, top, true, false, false, 2, 1, topM);
         }),
         copy);
  Report("title piece, centre tiled", MedianMicros([&] {
           DrawNineSlice(dc.Get(), {bl, 0, w - br, th}, top, true, true, false, 2, 1, topM);
         }),
         copy);
  auto frame = [&] {
    DrawNineSlice(dc.Get(), {0, 0, bl, h}, left, false, false, false, 2, 1, leftM);
    DrawNineSlice(dc.Get(), {w - br, 0, w, h}, right, false, false, false, 2, 1, rightM);
    DrawNineSlice(dc.Get(), {bl, h - bb, w - br, h}, bottom, true, false, false, 2, 1, bottomM);
    DrawNineSlice(dc.Get(), {bl, 0, w - br, th}, top, true, false, false, 2, 1, topM);
  };
  Report("all four border pieces", MedianMicros(frame), copy);
  Report("caption background, three-slice 130 x 18", MedianMicros([&] {
           DrawThreeSlice(dc.Get(), {40, 6, 170, 24}, SkinBitmapOf(skin.Title->Bitmap), true, true,
                          2, 1, {9, 0, 9, 0});
         }),
         copy);

  // Regions: of the rendered title piece, and of a whole frame-sized picture (borders
  // drawn round a client area) as the window region would be made from it.
  TBitmapHandle title = RenderNineSlice(tw, th, top, topM, true, false, 2, 1);
  TBitmapHandle whole(CreateCompatibleBitmap(dc.Get(), w, h));
  {
    TMemoryDC wdc(CreateCompatibleDC(dc.Get()));
    TSelectObject sel(wdc.Get(), whole.Get());
    PatBlt(wdc.Get(), 0, 0, w, h, WHITENESS);
    std::swap(dc, wdc);
    frame();
    std::swap(dc, wdc);
  }
  Report("region of the title piece",
         MedianMicros([&] { TRegionHandle r = RegionFromBitmap(title.Get(), bl, 0); }), copy);
  Report("region of the whole frame-sized picture",
         MedianMicros([&] { TRegionHandle r = RegionFromBitmap(whole.Get(), 0, 0); }), copy);
  if (argc > 2) {
    TRegionHandle region = RegionFromBitmap(whole.Get(), 0, 0);
    TSkinPicture pic;
    pic.Width = w;
    pic.Height = h;
    pic.Pixels.resize(static_cast<size_t>(w) * h);
    BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    GetDIBits(dc.Get(), whole.Get(), 0, h, pic.Pixels.data(), &bi, DIB_RGB_COLORS);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (!PtInRegion(region.Get(), x, y)) pic.Pixels[y * w + x] = 0x00FFFF;
    const std::vector<uint8_t> file = vpn::skin::EncodeBmp24(pic);
    std::ofstream(argv[2], std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
  }
  return 0;
}
