// A picture of the skin: pixels read from a BMP member, and the platform's bitmap made
// from them (the Windows side fills Handle; the portable code never looks at it).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

struct TSkinPicture {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // top-down rows, each pixel 0x00RRGGBB
  std::shared_ptr<void> Handle;  // the platform bitmap of these pixels, or null

  bool Empty() const { return Width <= 0 || Height <= 0; }
  void Clear() {
    Width = Height = 0;
    Pixels.clear();
    Handle.reset();
  }
  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
  // The part (x, y, w, h) of this picture, cut to what the picture holds.
  TSkinPicture Crop(int x, int y, int w, int h) const;
  // Every row reversed, pixel x going to Width - 1 - x.
  void Mirror();
};

namespace vpn::skin {

// Reads a complete BMP file: core and info headers (12, 40, 52, 56, 108 or 124 bytes),
// 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed or with bit fields, bottom-up or
// top-down. Nothing for anything else, for truncated pixel data, or for pictures of
// more than MaxPixels pixels or a side above MaxSide.
constexpr int MaxSide = 16384;
constexpr int64_t MaxPixels = 16 << 20;
std::optional<TSkinPicture> DecodeBmp(std::span<const uint8_t> file);

// A 24-bit bottom-up BMP file of the picture (the packer's tools and tests write these).
std::vector<uint8_t> EncodeBmp24(const TSkinPicture& picture);

}  // namespace vpn::skin
