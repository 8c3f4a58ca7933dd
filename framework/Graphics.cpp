#include "framework/Graphics.h"

#include <map>
#include <stdexcept>
#include <utility>

#include "framework/Gbk.h"

COLORREF ColorToRGB(TColor color) {
  if (color & clSystemColor) return GetSysColor(color & 0xFF);
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

TColor StringToColor(const std::string& text) {
  static const std::map<std::string, TColor> names = {
      {"clBlack", clBlack},     {"clWhite", clWhite},   {"clRed", clRed},
      {"clBlue", clBlue},       {"clGreen", clGreen},   {"clMoneyGreen", clMoneyGreen},
      {"clBtnFace", clBtnFace}, {"clWindow", clWindow}, {"clWindowText", clWindowText},
      {"clBtnText", clBtnText}, {"clNone", clNone},     {"clDefault", clDefault}};
  auto it = names.find(text);
  if (it != names.end()) return it->second;
  try {
    if (!text.empty() && text[0] == '$')
      return static_cast<TColor>(std::stoul(text.substr(1), nullptr, 16));
    return static_cast<TColor>(std::stol(text));
  } catch (const std::logic_error&) {
    throw Exception("Not a colour: " + text);
  }
}

HBRUSH ColorBrush(TColor color) {
  if (color & clSystemColor) return GetSysColorBrush(color & 0xFF);
  static std::map<TColor, TBrushHandle> brushes;
  auto& b = brushes[color];
  if (!b) b.Reset(CreateSolidBrush(ColorToRGB(color)));
  return b.Get();
}

TFont::TFont() : FName("MS Sans Serif") {}

void TFont::SetName(const std::string& name) {
  if (name == FName) return;
  FName = name;
  Changed();
}
void TFont::SetHeight(int height) {
  if (height == FHeight) return;
  FHeight = height;
  Changed();
}
void TFont::SetStyle(unsigned style) {
  if (style == FStyle) return;
  FStyle = style;
  Changed();
}
void TFont::SetCharset(BYTE charset) {
  if (charset == FCharset) return;
  FCharset = charset;
  Changed();
}
void TFont::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  if (OnChange) OnChange(this);
}

void TFont::Assign(const TFont& other) {
  if (SameAs(other)) return;
  FName = other.FName;
  FHeight = other.FHeight;
  FStyle = other.FStyle;
  FCharset = other.FCharset;
  FColor = other.FColor;
  Changed();
}

bool TFont::SameAs(const TFont& other) const {
  return FName == other.FName && FHeight == other.FHeight && FStyle == other.FStyle &&
         FCharset == other.FCharset && FColor == other.FColor;
}

void TFont::Changed() {
  FHandle.Reset();
  if (OnChange) OnChange(this);
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTW lf{};
    lf.lfHeight = -(FHeight < 0 ? -FHeight : FHeight);
    lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (FStyle & fsItalic) ? TRUE : FALSE;
    lf.lfUnderline = (FStyle & fsUnderline) ? TRUE : FALSE;
    lf.lfStrikeOut = (FStyle & fsStrikeOut) ? TRUE : FALSE;
    lf.lfCharSet = FCharset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    std::wstring face = GbkToWide(FName);
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    FHandle.Reset(CreateFontIndirectW(&lf));
  }
  return FHandle.Get();
}

TCursor StringToCursor(const std::string& text) {
  static const std::map<std::string, TCursor> names = {
      {"crDefault", crDefault},   {"crArrow", crArrow},         {"crCross", crCross},
      {"crIBeam", crIBeam},       {"crHourGlass", crHourGlass}, {"crNo", crNo},
      {"crAppStart", crAppStart}, {"crHelp", crHelp},           {"crHandPoint", crHandPoint}};
  auto it = names.find(text);
  if (it == names.end()) throw Exception("Not a cursor: " + text);
  return it->second;
}

HCURSOR CursorHandle(TCursor cursor) {
  const wchar_t* id = nullptr;
  switch (cursor) {
    case crDefault:
    case crArrow:
      id = IDC_ARROW;
      break;
    case crCross:
      id = IDC_CROSS;
      break;
    case crIBeam:
      id = IDC_IBEAM;
      break;
    case crHourGlass:
      id = IDC_WAIT;
      break;
    case crNo:
      id = IDC_NO;
      break;
    case crAppStart:
      id = IDC_APPSTARTING;
      break;
    case crHelp:
      id = IDC_HELP;
      break;
    case crHandPoint:
      id = IDC_HAND;
      break;
  }
  return LoadCursorW(nullptr, id ? id : IDC_ARROW);
}

void TIcon::SetHandle(HICON icon) {
  if (icon == FHandle.Get()) return;
  if (std::exchange(FLent, false)) FHandle.Release();
  FHandle.Reset(icon);
  Changed();
}

HICON TIcon::ReleaseHandle() {
  FLent = false;
  HICON h = FHandle.Release();
  if (h) Changed();
  return h;
}

bool TIcon::LoadFromResource(const wchar_t* name, int size, HINSTANCE module) {
  HICON icon = static_cast<HICON>(LoadImageW(module ? module : GetModuleHandleW(nullptr), name,
                                             IMAGE_ICON, size, size, size ? 0 : LR_DEFAULTSIZE));
  if (!icon) return false;
  SetHandle(icon);
  return true;
}

void TIcon::Assign(const TIcon& other) {
  SetHandle(other.Empty() ? nullptr : CopyIcon(other.Handle()));
}

namespace {
SIZE IconSize(HICON icon) {
  SIZE s{0, 0};
  ICONINFO info{};
  if (icon && GetIconInfo(icon, &info)) {
    // The information comes with copies of the icon's bitmaps, ours to delete.
    const TBitmapHandle mask(info.hbmMask), colour(info.hbmColor);
    BITMAP bm{};
    if (GetObjectW(info.hbmMask, sizeof bm, &bm)) {
      s.cx = bm.bmWidth;
      s.cy = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    }
  }
  return s;
}
}  // namespace

int TIcon::Width() const {
  return IconSize(FHandle.Get()).cx;
}
int TIcon::Height() const {
  return IconSize(FHandle.Get()).cy;
}

void TIcon::Changed() {
  if (OnChange) OnChange(this);
}

TImageList::TImageList(TComponent* AOwner, int width, int height)
    : TComponent(AOwner), FWidth(width), FHeight(height) {}

HIMAGELIST TImageList::Handle() {
  if (!FHandle) FHandle.Reset(ImageList_Create(FWidth, FHeight, ILC_COLOR32 | ILC_MASK, 4, 4));
  return FHandle.Get();
}

int TImageList::Count() const {
  return FHandle ? ImageList_GetImageCount(FHandle.Get()) : 0;
}

int TImageList::AddIcon(const TIcon& icon) {
  if (icon.Empty()) return -1;
  int index = ImageList_ReplaceIcon(Handle(), -1, icon.Handle());
  if (index >= 0 && OnChange) OnChange(this);
  return index;
}

bool TImageList::GetIcon(int index, TIcon& icon) const {
  if (!FHandle || index < 0 || index >= Count()) return false;
  HICON h = ImageList_GetIcon(FHandle.Get(), index, ILD_NORMAL);
  if (!h) return false;
  icon.SetHandle(h);
  return true;
}

void TImageList::Clear() {
  if (FHandle && ImageList_GetImageCount(FHandle.Get()) > 0) {
    ImageList_Remove(FHandle.Get(), -1);
    if (OnChange) OnChange(this);
  }
}
