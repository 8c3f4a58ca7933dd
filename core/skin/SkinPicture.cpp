#include "core/skin/SkinPicture.h"

#include <algorithm>

#include "core/skin/SkinPixels.h"

TSkinPicture TSkinPicture::Crop(int x, int y, int w, int h) const {
  TSkinPicture out;
  const int x0 = std::clamp(x, 0, Width), y0 = std::clamp(y, 0, Height);
  const int x1 = std::clamp(x + std::max(w, 0), 0, Width);
  const int y1 = std::clamp(y + std::max(h, 0), 0, Height);
  if (x1 <= x0 || y1 <= y0) return out;
  out.Width = x1 - x0;
  out.Height = y1 - y0;
  out.Pixels.reserve(static_cast<size_t>(out.Width) * out.Height);
  for (int row = y0; row < y1; ++row)
    for (int col = x0; col < x1; ++col) out.Pixels.push_back(At(col, row));
  return out;
}

void TSkinPicture::Mirror() {
  vpn::skin::MirrorPixels(*this);
}

namespace vpn::skin {

namespace {

uint32_t U16(const uint8_t* p) {
  return p[0] | (p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Spreads a masked channel over 0..255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0, bits = 0;
  explicit Channel(uint32_t m = 0) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (bits < 32 - shift && ((m >> (shift + bits)) & 1)) ++bits;
  }
  uint32_t Get(uint32_t v) const {
    if (!mask) return 0;
    const uint32_t c = (v & mask) >> shift;
    if (bits >= 8) return (c >> (bits - 8)) & 0xFF;
    const uint32_t max = (1u << bits) - 1;
    return max ? (c * 255 + max / 2) / max : 0;
  }
};

}  // namespace

std::optional<TSkinPicture> DecodeBmp(std::span<const uint8_t> f) {
  const size_t n = f.size();
  if (n < 14 + 12 || f[0] != 'B' || f[1] != 'M') return std::nullopt;
  const uint32_t dataOffset = U32(&f[10]);
  const uint32_t headerSize = U32(&f[14]);
  if (headerSize > n - 14) return std::nullopt;
  int64_t width, height;
  uint32_t bpp, compression = 0, paletteUsed = 0;
  size_t paletteEntrySize = 4;
  if (headerSize == 12) {
    width = U16(&f[18]);
    height = static_cast<int16_t>(U16(&f[20]));
    bpp = U16(&f[24]);
    paletteEntrySize = 3;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
             headerSize == 124) {
    width = static_cast<int32_t>(U32(&f[18]));
    height = static_cast<int32_t>(U32(&f[22]));
    bpp = U16(&f[28]);
    compression = U32(&f[30]);
    paletteUsed = U32(&f[46]);
  } else {
    return std::nullopt;
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide ||
      width * height > MaxPixels)
    return std::nullopt;

  // Bit-field masks: after a 40-byte header as three extra words, else in the header.
  Channel red, green, blue;
  size_t paletteAt = 14 + headerSize;
  if (compression == 3 && (bpp == 16 || bpp == 32)) {
    const size_t masksAt = 14 + 40;
    if (masksAt + 12 > n) return std::nullopt;
    red = Channel(U32(&f[masksAt]));
    green = Channel(U32(&f[masksAt + 4]));
    blue = Channel(U32(&f[masksAt + 8]));
    if (headerSize == 40) paletteAt += 12;
  } else if (compression == 0) {
    if (bpp == 16) {
      red = Channel(0x7C00), green = Channel(0x03E0), blue = Channel(0x001F);
    } else if (bpp == 32) {
      red = Channel(0xFF0000), green = Channel(0xFF00), blue = Channel(0xFF);
    }
  } else {
    return std::nullopt;  // run-length and embedded JPEG/PNG pictures are not read
  }
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return std::nullopt;

  std::vector<uint32_t> palette;
  if (bpp <= 8) {
    const uint32_t maxColours = 1u << bpp;
    uint32_t count = (paletteUsed == 0 || paletteUsed > maxColours) ? maxColours : paletteUsed;
    for (uint32_t i = 0; i < count; ++i) {
      const size_t at = paletteAt + i * paletteEntrySize;
      if (at + 3 > n) break;  // a short palette: the missing entries stay black
      palette.push_back((f[at + 2] << 16) | (f[at + 1] << 8) | f[at]);
    }
    palette.resize(maxColours, 0);
  }

  const uint64_t stride = ((static_cast<uint64_t>(width) * bpp + 31) / 32) * 4;
  if (dataOffset > n || stride * static_cast<uint64_t>(height) > n - dataOffset)
    return std::nullopt;

  TSkinPicture pic;
  pic.Width = static_cast<int>(width);
  pic.Height = static_cast<int>(height);
  pic.Pixels.resize(static_cast<size_t>(width * height));
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t* row =
        &f[dataOffset + stride * static_cast<uint64_t>(topDown ? y : height - 1 - y)];
    uint32_t* out = &pic.Pixels[static_cast<size_t>(y * width)];
    for (int64_t x = 0; x < width; ++x) {
      uint32_t v;
      switch (bpp) {
        case 1:
          v = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
          break;
        case 4:
          v = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
          break;
        case 8:
          v = palette[row[x]];
          break;
        case 16: {
          const uint32_t w = U16(&row[x * 2]);
          v = (red.Get(w) << 16) | (green.Get(w) << 8) | blue.Get(w);
          break;
        }
        case 24:
          v = (row[x * 3 + 2] << 16) | (row[x * 3 + 1] << 8) | row[x * 3];
          break;
        default: {
          const uint32_t w = U32(&row[x * 4]);
          v = (red.Get(w) << 16) | (green.Get(w) << 8) | blue.Get(w);
          break;
        }
      }
      out[x] = v;
    }
  }
  return pic;
}

std::vector<uint8_t> EncodeBmp24(const TSkinPicture& p) {
  const uint32_t stride = (static_cast<uint32_t>(p.Width) * 3 + 3) & ~3u;
  const uint32_t dataSize = stride * static_cast<uint32_t>(p.Height);
  std::vector<uint8_t> f(54 + dataSize, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, static_cast<uint32_t>(f.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(p.Width));
  put32(22, static_cast<uint32_t>(p.Height));
  f[26] = 1;
  f[28] = 24;
  put32(34, dataSize);
  for (int y = 0; y < p.Height; ++y) {
    uint8_t* row = &f[54 + stride * static_cast<uint32_t>(p.Height - 1 - y)];
    for (int x = 0; x < p.Width; ++x) {
      const uint32_t v = p.At(x, y);
      row[x * 3] = static_cast<uint8_t>(v);
      row[x * 3 + 1] = static_cast<uint8_t>(v >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(v >> 16);
    }
  }
  return f;
}

}  // namespace vpn::skin
