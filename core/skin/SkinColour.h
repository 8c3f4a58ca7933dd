// Colours of a skin: 0x00BBGGRR values, or references to a system colour
// (0xFF000000 plus the system colour index) that are resolved when drawn.
#pragma once

#include <cstdint>
#include <string_view>

using TColor = int32_t;

namespace vpn::skin {

constexpr TColor SystemColour(int index) {
  return static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(index));
}
constexpr TColor clScrollBar = SystemColour(0);
constexpr TColor clMenu = SystemColour(4);
constexpr TColor clMenuText = SystemColour(7);
constexpr TColor clWindowText = SystemColour(8);
constexpr TColor clCaptionText = SystemColour(9);
constexpr TColor clHighlight = SystemColour(13);
constexpr TColor clHighlightText = SystemColour(14);
constexpr TColor clBtnFace = SystemColour(15);
constexpr TColor clBtnShadow = SystemColour(16);
constexpr TColor clBtnText = SystemColour(18);
constexpr TColor clInactiveCaptionText = SystemColour(19);
constexpr TColor clBtnHighlight = SystemColour(20);
constexpr TColor clNone = 0x1FFFFFFF;

constexpr TColor RgbColour(uint32_t r, uint32_t g, uint32_t b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr bool IsSystemColour(TColor c) {
  return (static_cast<uint32_t>(c) >> 24) == 0xFF;
}

// A colour written as up to three numbers ("239 239 239", "1,2,3"): the numbers fill
// red, green and blue in that order, each used modulo 256. A lone number gives black;
// an empty text gives def.
TColor ParseColour(std::string_view text, TColor def);

}  // namespace vpn::skin
