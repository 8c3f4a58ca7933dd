// skinpreview: draws the main pieces of a packed skin (an active and an inactive window
// frame with their caption buttons, push buttons, check and radio boxes in their
// states, and a few other controls) onto one PNG, to look at a skin without Windows.
//
//   skinpreview SKIN OUT.png
//
// The drawing follows the skin's rules for frame strips, nine-slice scaling with fixed
// margins and magenta transparency, with nearest-pixel stretching.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "core/skin/SkinModel.h"
#include "core/skin/SkinPixels.h"

namespace {

constexpr uint32_t kKey = 0xFF00FF;

struct Image {
  int w, h;
  std::vector<uint32_t> px;
  Image(int w_, int h_, uint32_t fill) : w(w_), h(h_), px(static_cast<size_t>(w_) * h_, fill) {}
  void Put(int x, int y, uint32_t c) {
    if (x >= 0 && y >= 0 && x < w && y < h) px[static_cast<size_t>(y) * w + x] = c;
  }
  void Fill(int x0, int y0, int x1, int y1, uint32_t c) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) Put(x, y, c);
  }
};

using Rect = vpn::skin::TPixelRect;

Rect FrameOf(const TSkinPicture& p, int n, int k, bool vertical) {
  return vpn::skin::FrameRect(p.Width, p.Height, n, k, vertical);
}

// Source piece s stretched onto target piece d (nearest pixel), key pixels skipped when
// transparent.
void Stretch(Image& img, const TSkinPicture& p, Rect s, Rect d, bool transparent) {
  if (!s.HasArea() || !d.HasArea()) return;
  for (int y = d.Top; y < d.Bottom; ++y)
    for (int x = d.Left; x < d.Right; ++x) {
      const int sx = s.Left + (x - d.Left) * s.Width() / d.Width();
      const int sy = s.Top + (y - d.Top) * s.Height() / d.Height();
      const uint32_t c = p.At(sx, sy);
      if (!(transparent && c == kKey)) img.Put(x, y, c);
    }
}

// An off-screen piece copied onto the image at (x, y), like the program's drawings.
void Blit(Image& img, const Image& piece, int x0, int y0, bool transparent) {
  for (int y = 0; y < piece.h; ++y)
    for (int x = 0; x < piece.w; ++x) {
      const uint32_t c = piece.px[static_cast<size_t>(y) * piece.w + x];
      if (!(transparent && c == kKey)) img.Put(x0 + x, y0 + y, c);
    }
}

void NineSlice(Image& img, const TSkinPicture& p, Rect d, int n, int k, bool vertical, int l, int t,
               int r, int b, bool tileCentre, bool transparent) {
  if (p.Empty() || !d.HasArea()) return;
  const vpn::skin::TSlicePlan plan =
      vpn::skin::NineSlicePlan(FrameOf(p, n, k, vertical), d.Width(), d.Height(), {l, t, r, b});
  Image piece(d.Width(), d.Height(), kKey);
  for (const vpn::skin::TSlicePiece& pc : plan) {
    if (pc.Part != vpn::skin::spCentre || !tileCentre) {
      Stretch(piece, p, pc.Source, pc.Target, false);
      continue;
    }
    const Rect& s = pc.Source;
    const int cols = vpn::skin::TileSteps(pc.Target.Left, pc.Target.Right, s.Width());
    const int rows = vpn::skin::TileSteps(pc.Target.Top, pc.Target.Bottom, s.Height());
    for (int i = 0; i < cols; ++i)
      for (int j = 0; j < rows; ++j) {
        const int x = pc.Target.Left + i * s.Width(), y = pc.Target.Top + j * s.Height();
        Stretch(piece, p, s, {x, y, x + s.Width(), y + s.Height()}, false);
      }
  }
  Blit(img, piece, d.Left, d.Top, transparent);
}

// Frame k of a vertical strip of n frames, three-sliced with fixed ends l and r.
void ThreeSlice(Image& img, const TSkinPicture& p, Rect d, int n, int k, int l, int r) {
  if (p.Empty() || !d.HasArea()) return;
  const vpn::skin::TThreeSlicePlan plan =
      vpn::skin::ThreeSlicePlan(FrameOf(p, n, k, true), d.Width(), d.Height(), l, r);
  Image piece(d.Width(), d.Height(), kKey);
  Stretch(piece, p, plan.LeftSource, plan.LeftTarget, false);
  for (int i = 0; i < plan.MiddleCount; ++i)
    Stretch(piece, p, plan.MiddleSource, plan.MiddleTarget(i), false);
  Stretch(piece, p, plan.RightSource, plan.RightTarget, false);
  Blit(img, piece, d.Left, d.Top, true);
}

void Element(Image& img, const TDataSkinObject* e, Rect d, int k, bool vertical = false) {
  if (!e) return;
  NineSlice(img, e->Bitmap, d, e->FrameCount, k, vertical, e->LeftWidth, e->TopHeight,
            e->RightWidth, e->BottomHeight, e->Tile == 1, true);
}

void Glyph(Image& img, const TSkinPicture& p, int n, int k, int x, int y) {
  if (p.Empty()) return;
  const Rect f = FrameOf(p, n, k, false);
  Stretch(img, p, f, {x, y, x + f.Width(), y + f.Height()}, true);
}

uint32_t Rgb(TColor c) {  // 0x00BBGGRR (system colours shown as mid grey) to 0xRRGGBB
  if (vpn::skin::IsSystemColour(c)) return 0xC0C0C0;
  const uint32_t u = static_cast<uint32_t>(c);
  return ((u & 0xFF) << 16) | (u & 0xFF00) | ((u >> 16) & 0xFF);
}

// A window of the skin: frame, caption chip, icon, caption buttons, face.
void Window(Image& img, TSkinModel& s, int x0, int y0, int w, int h, bool active, int hotAction,
            bool maxBox) {
  const int bl = s.LeftBorder->Bitmap.Width / std::max(1, s.LeftBorder->FrameCount);
  const int br = s.RightBorder->Bitmap.Width / std::max(1, s.RightBorder->FrameCount);
  const int th = s.TopBorder->Bitmap.Height / std::max(1, s.TopBorder->FrameCount);
  const int bb = s.BottomBorder->Bitmap.Height / std::max(1, s.BottomBorder->FrameCount);
  const int k = active ? 1 : 2;
  img.Fill(x0 + bl, y0 + th, x0 + w - br, y0 + h - bb, Rgb(s.Colours.ButtonFace));
  auto border = [&](TDataSkinBorder& e, Rect d, bool vertical) {
    NineSlice(img, e.Bitmap, d, e.FrameCount, std::min(k, e.FrameCount), vertical, e.LeftWidth,
              e.TopHeight, e.RightWidth, e.BottomHeight, e.Tile != 1, true);
  };
  border(*s.LeftBorder, {x0, y0, x0 + bl, y0 + h}, false);
  border(*s.RightBorder, {x0 + w - br, y0, x0 + w, y0 + h}, false);
  border(*s.BottomBorder, {x0 + bl, y0 + h - bb, x0 + w - br, y0 + h}, true);
  border(*s.TopBorder, {x0 + bl, y0, x0 + w - br, y0 + th}, true);
  // Caption chip (three-slice, stretched to a text height of 18) and a stand-in for
  // the caption text.
  const TDataSkinTitle& t = *s.Title;
  if (!t.Bitmap.Empty()) {
    const int tx = x0 + bl + t.LeftWidth, ty = y0 + (th - 18) / 2, tw = 130;
    ThreeSlice(img, t.Bitmap, {tx, ty, tx + tw, ty + 18}, 2, k, t.TXTBackleft, t.TXTBackRight);
    img.Fill(tx + 12, ty + 8, tx + tw - 16, ty + 10,
             Rgb(active ? s.Colours.TitleTextActive : s.Colours.TitleTextNoActive));
  }
  for (auto& b : s.SysButtonElements) {
    const bool shown = (b->Visibility == 0 || b->Visibility == 2 || (b->Visibility == 8)) &&
                       (b->Visibility1 == 0 || (b->Visibility1 == 6 && maxBox) ||
                        (b->Visibility1 == 7 && !maxBox)) &&
                       !(b->Action == 1 && !maxBox);
    if (!shown) continue;
    if (b->Action == 3 || b->Action == 11) {  // the window icon
      img.Fill(x0 + b->Xcoord + 2, y0 + b->Ycoord + 2, x0 + b->Xcoord + 14, y0 + b->Ycoord + 14,
               0xFFFFFF);
      img.Fill(x0 + b->Xcoord + 4, y0 + b->Ycoord + 4, x0 + b->Xcoord + 12, y0 + b->Ycoord + 12,
               0x2563EB);
      continue;
    }
    if (b->Bitmap.Empty()) continue;
    const int bw = b->Bitmap.Width / b->FrameCount;
    const int x = b->Align == 1 ? x0 + w - b->Xcoord : x0 + b->Xcoord;
    int frame = active ? 1 : (b->FrameCount >= 4 ? 4 : 1);
    if (active && b->Action == hotAction) frame = 3;
    Stretch(img, b->Bitmap, FrameOf(b->Bitmap, b->FrameCount, frame, false),
            {x, y0 + b->Ycoord, x + bw, y0 + b->Ycoord + b->Bitmap.Height}, true);
  }
}

void Controls(Image& img, TSkinModel& s, int x0, int y0) {
  const TDataSkinButton& bt = *s.Buttons;
  for (int k = 1; k <= 5; ++k)
    Element(img, &bt, {x0 + (k - 1) * 72, y0, x0 + (k - 1) * 72 + 64, y0 + 27}, k);
  for (int k = 1; k <= bt.CheckButtonFrame; ++k)
    Glyph(img, bt.CheckBitmap, bt.CheckButtonFrame, k, x0 + (k - 1) * 24, y0 + 40);
  for (int k = 1; k <= bt.RadioButtonFrame; ++k)
    Glyph(img, bt.RadioBitmap, bt.RadioButtonFrame, k, x0 + 110 + (k - 1) * 24, y0 + 40);
  // Progress: empty bar, then the filled part.
  if (s.Progress) {
    const Rect bar{x0, y0 + 66, x0 + 200, y0 + 78};
    Element(img, s.Progress.get(), bar, 1);
    Element(img, s.Progress.get(), {bar.Left, bar.Top, bar.Left + 124, bar.Bottom}, 2);
  }
  // Combo boxes: normal and hot.
  for (int i = 0; i < 2; ++i) {
    const int st = i ? 4 : 1, cx = x0 + 220 + i * 150;
    const Rect box{cx, y0 + 62, cx + 137, y0 + 85};
    img.Fill(box.Left, box.Top, box.Right, box.Bottom, 0xFFFFFF);
    Element(img, s.SunkEdge.get(), box, st);
    if (s.ComboButton) {
      const int bw = 19;
      Element(img, s.ComboButton.get(), {box.Right - bw - 2, box.Top, box.Right, box.Bottom}, st);
      if (s.ExtraImages) {
        const TSkinPicture& g = s.ExtraImages->Bitmap;
        const int gw = g.Width / 5;
        Glyph(img, g, 5, st, box.Right - bw - 2 + (bw + 2 - gw) / 2 - 1,
              box.Top + (box.Height() - g.Height) / 2);
      }
    }
  }
  // A horizontal scroll bar with its arrows and thumb, and a vertical one.
  if (s.Scrollbar && s.HorzScroll && s.HorzScrollThumb) {
    const Rect r{x0, y0 + 100, x0 + 200, y0 + 116};
    img.Fill(r.Left, r.Top, r.Right, r.Bottom, Rgb(s.Colours.Scrollbar));
    Element(img, s.HorzScroll.get(), {r.Left + 16, r.Top, r.Right - 16, r.Bottom}, 1);
    NineSlice(img, s.Scrollbar->Bitmap, {r.Left, r.Top, r.Left + 16, r.Bottom}, 23, 1, false, 0, 0,
              0, 0, false, true);
    NineSlice(img, s.Scrollbar->Bitmap, {r.Right - 16, r.Top, r.Right, r.Bottom}, 23, 7, false, 0,
              0, 0, 0, false, true);
    Element(img, s.HorzScrollThumb.get(), {r.Left + 50, r.Top, r.Left + 110, r.Bottom}, 1);
  }
  if (s.Scrollbar && s.VertScroll && s.VertScrollThumb) {
    const Rect r{x0 + 530, y0 + 40, x0 + 546, y0 + 190};
    img.Fill(r.Left, r.Top, r.Right, r.Bottom, Rgb(s.Colours.Scrollbar));
    Element(img, s.VertScroll.get(), {r.Left, r.Top + 16, r.Right, r.Bottom - 16}, 1);
    NineSlice(img, s.Scrollbar->Bitmap, {r.Left, r.Top, r.Right, r.Top + 16}, 23, 9, false, 0, 0, 0,
              0, false, true);
    NineSlice(img, s.Scrollbar->Bitmap, {r.Left, r.Bottom - 16, r.Right, r.Bottom}, 23, 14, false,
              0, 0, 0, 0, false, true);
    Element(img, s.VertScrollThumb.get(), {r.Left, r.Top + 40, r.Right, r.Top + 80}, 2);
  }
  // Tabs on a sheet.
  if (s.Tabs) {
    const Rect sheet{x0 + 220, y0 + 120, x0 + 510, y0 + 190};
    img.Fill(sheet.Left, sheet.Top, sheet.Right, sheet.Bottom, 0xFFFFFF);
    if (!s.Tabs->Bitmap2.Empty())
      NineSlice(img, s.Tabs->Bitmap2, sheet, 1, 1, false, 4, 5, 4, 4, false, false);
    for (int i = 0; i < 3; ++i)
      Element(
          img, s.Tabs.get(),
          {sheet.Left + 2 + i * 74, sheet.Top - 22, sheet.Left + 2 + i * 74 + 72, sheet.Top + 1},
          i == 0 ? 2 : 1);
  }
  // Up-down buttons beside a track bar thumb, and a status bar.
  if (s.UpDownVert) {
    const TSkinPicture& g = s.UpDownVert->Bitmap2;
    for (int half = 0; half < 2; ++half) {
      const Rect r{x0, y0 + 130 + half * 12, x0 + 16, y0 + 142 + half * 12};
      NineSlice(img, s.UpDownVert->Bitmap, r, 8, 1 + 4 * half, false, 0, 0, 0, 0, false, true);
      const int gw = g.Width / 8;
      Glyph(img, g, 8, 1 + 4 * half, r.Left + (16 - gw) / 2, r.Top + (12 - g.Height) / 2);
    }
  }
  if (s.TrackbarThumbHorz) {
    img.Fill(x0 + 30, y0 + 141, x0 + 190, y0 + 143, 0xCBD5E1);
    Glyph(img, s.TrackbarThumbHorz->Bitmap, 5, 2, x0 + 90, y0 + 136);
  }
  if (s.StatusBarEdges) {
    Element(img, s.StatusBarEdges.get(), {x0, y0 + 170, x0 + 120, y0 + 190}, 1);
    Element(img, s.StatusBarEdges.get(), {x0 + 120, y0 + 170, x0 + 200, y0 + 190}, 3);
  }
}

void Menu(Image& img, TSkinModel& s, int x0, int y0) {
  if (!s.MenuBackground || !s.MenuItem) return;
  const Rect r{x0, y0, x0 + 140, y0 + 96};
  Element(img, s.MenuBackground.get(), r, 1);
  Element(img, s.MenuItem.get(), {r.Left + 3, r.Top + 4, r.Right - 3, r.Top + 24}, 1);
  Element(img, s.MenuItem.get(), {r.Left + 3, r.Top + 24, r.Right - 3, r.Top + 44}, 4);
  // Separator: the bottom rows of the second frame.
  const TSkinPicture& p = s.MenuItem->Bitmap;
  const Rect f = FrameOf(p, 5, 2, false);
  Stretch(img, p, {f.Left, f.Bottom - 9, f.Right, f.Bottom},
          {r.Left + 3, r.Top + 46, r.Right - 3, r.Top + 55}, true);
  Element(img, s.MenuItem.get(), {r.Left + 3, r.Top + 56, r.Right - 3, r.Top + 76}, 1);
  for (int y : {12, 32, 64}) img.Fill(r.Left + 16, r.Top + y, r.Left + 90, r.Top + y + 3, 0x64748B);
}

uint32_t Crc(const uint8_t* p, size_t n, uint32_t c = 0) {
  c = ~c;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

void WritePng(const Image& img, const std::string& path) {
  std::vector<uint8_t> raw;
  for (int y = 0; y < img.h; ++y) {
    raw.push_back(0);
    for (int x = 0; x < img.w; ++x) {
      const uint32_t c = img.px[static_cast<size_t>(y) * img.w + x];
      raw.push_back(static_cast<uint8_t>(c >> 16));
      raw.push_back(static_cast<uint8_t>(c >> 8));
      raw.push_back(static_cast<uint8_t>(c));
    }
  }
  // zlib stream of stored blocks.
  std::vector<uint8_t> z = {0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t i = 0; i < raw.size() || i == 0; i += 65535) {
    const size_t n = std::min<size_t>(65535, raw.size() - i);
    z.push_back(i + n >= raw.size() ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n));
    z.push_back(static_cast<uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<long>(i), raw.begin() + static_cast<long>(i + n));
    if (i + n >= raw.size()) break;
  }
  const uint32_t adler = (b << 16) | a;
  for (int s = 24; s >= 0; s -= 8) z.push_back(static_cast<uint8_t>(adler >> s));

  std::ofstream out(path, std::ios::binary);
  out.write("\x89PNG\r\n\x1a\n", 8);
  auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
    const uint32_t n = static_cast<uint32_t>(data.size());
    const uint8_t len[4] = {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                            static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
    out.write(reinterpret_cast<const char*>(len), 4);
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.write(reinterpret_cast<const char*>(body.data()),
              static_cast<std::streamsize>(body.size()));
    const uint32_t c = Crc(body.data(), body.size());
    const uint8_t cb[4] = {static_cast<uint8_t>(c >> 24), static_cast<uint8_t>(c >> 16),
                           static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)};
    out.write(reinterpret_cast<const char*>(cb), 4);
  };
  std::vector<uint8_t> ihdr(13, 0);
  for (int i = 0; i < 4; ++i) {
    ihdr[i] = static_cast<uint8_t>(img.w >> (24 - 8 * i));
    ihdr[4 + i] = static_cast<uint8_t>(img.h >> (24 - 8 * i));
  }
  ihdr[8] = 8;  // bit depth
  ihdr[9] = 2;  // RGB
  chunk("IHDR", ihdr);
  chunk("IDAT", z);
  chunk("IEND", {});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: skinpreview SKIN OUT.png\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  TSkinModel skin;
  skin.PackedSkin.assign(std::istreambuf_iterator<char>(in), {});
  if (!skin.LoadSkinStore()) {
    std::cerr << "skinpreview: not a skin\n";
    return 1;
  }
  const int ww = 359, wh = 273;
  Image img(2 * ww + 60, wh + 280, 0x94A3B8);
  Window(img, skin, 20, 20, ww, wh, true, 0, false);
  Window(img, skin, 40 + ww, 20, ww, wh, false, -99, true);
  img.Fill(0, wh + 40, img.w, img.h, Rgb(skin.Colours.ButtonFace));
  Controls(img, skin, 20, wh + 60);
  Menu(img, skin, 590, wh + 60);
  WritePng(img, argv[2]);
  return 0;
}
