#include "app/BannerPicture.h"

#include <algorithm>

#include "core/skin/SkinFrame.h"
#include "framework/Gbk.h"
#include "framework/Handles.h"
#include "skin/SkinData.h"

namespace {

// The rows of the active title bar: the picture's middle column, the corners left out,
// stretched over the band with its colours blended.
bool DrawTitleRows(HDC DC, const RECT& Rect, TSkinData& Skin) {
  TDataSkinBorder* top = Skin.TopBorder.get();
  if (!top || top->Bitmap.Empty()) return false;
  HBITMAP strip = SkinBitmapOf(top->Bitmap);
  BITMAP info{};
  if (!strip || !GetObjectW(strip, sizeof info, &info) || info.bmWidth <= 0) return false;
  const int frames = std::max(1, top->FrameCount);
  const int height = std::abs(info.bmHeight) / frames;
  if (height <= 0) return false;
  const int frame = vpn::skin::BorderFrameOf(true, frames) - 1;
  TMemoryDC source(CreateCompatibleDC(DC));
  if (!source) return false;
  TSelectObject selected(source.Get(), strip);
  const int old = SetStretchBltMode(DC, HALFTONE);
  SetBrushOrgEx(DC, 0, 0, nullptr);
  StretchBlt(DC, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top, source.Get(),
             info.bmWidth / 2, frame * height, 1, height, SRCCOPY);
  SetStretchBltMode(DC, old);
  return true;
}

}  // namespace

void DrawBannerPicture(HDC DC, const RECT& Rect, TSkinData* Skin, const std::string& Name) {
  const bool skinned = Skin && !Skin->SkinNotLoaded;
  COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  COLORREF shade = GetSysColor(COLOR_BTNSHADOW);
  if (skinned && DrawTitleRows(DC, Rect, *Skin)) {
    const TColor title = Skin->Title && Skin->Title->ActiveText != vpn::skin::clNone
                             ? Skin->Title->ActiveText
                             : Skin->Colours.TitleTextActive;
    text = TSkinData::ColorToRGB(title);
    shade = TSkinData::ColorToRGB(Skin->Colours.ButtonDkShadow);
  } else {
    const COLORREF face =
        skinned ? TSkinData::ColorToRGB(Skin->Colours.ButtonFace) : GetSysColor(COLOR_BTNFACE);
    TBrushHandle brush(CreateSolidBrush(face));
    FillRect(DC, &Rect, brush.Get());
    if (skinned) text = TSkinData::ColorToRGB(Skin->Colours.WindowText);
  }

  // The name, large and bold, in the title's colour with a soft shadow below it.
  const int size = std::max(12, static_cast<int>(Rect.bottom - Rect.top) * 3 / 10);
  TFontHandle font(CreateFontW(-size, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, L"\x9ED1\x4F53"));  // 黑体
  TSelectObject selected(DC, font.Get());
  const std::wstring name = GbkToWide(Name);
  const int mode = SetBkMode(DC, TRANSPARENT);
  RECT shadow = Rect;
  OffsetRect(&shadow, 1, 2);
  SetTextColor(DC, shade);
  DrawTextW(DC, name.c_str(), static_cast<int>(name.size()), &shadow,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  RECT place = Rect;
  SetTextColor(DC, text);
  DrawTextW(DC, name.c_str(), static_cast<int>(name.size()), &place,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetBkMode(DC, mode);
}
