#include "skin/widgets/SkinStatusBar.h"

#include <commctrl.h>

#include <vector>

#include "core/skin/SkinWidgets.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"

using namespace vpn::skin;

bool TSkinStatusBar::BeforeMessage(TMessage& m) {
  if (TSkinControl::BeforeMessage(m)) return true;
  return PaintWholly(m);
}

void TSkinStatusBar::DrawPanel(HDC DC, const RECT& Panel, int Frame, const std::wstring& Text) {
  TDataSkinObject* e = FSkinData->StatusBarEdges.get();
  if (e && !e->Bitmap.Empty()) {
    DrawNineSlice(DC, Panel, SkinBitmapOf(e->Bitmap), false, e->Tile == 1, false, 3, Frame,
                  ElementMargins(*e));
  } else if (Frame != 3) {
    // No picture: a thin three-dimensional line around the panel.
    const COLORREF dark = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF topLeft = Frame == 1 ? dark : light, bottomRight = Frame == 1 ? light : dark;
    const COLORREF old = SetBkColor(DC, topLeft);
    RECT line{Panel.left, Panel.top, Panel.right, Panel.top + 1};
    ExtTextOutW(DC, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
    line = {Panel.left, Panel.top, Panel.left + 1, Panel.bottom};
    ExtTextOutW(DC, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
    SetBkColor(DC, bottomRight);
    line = {Panel.left, Panel.bottom - 1, Panel.right, Panel.bottom};
    ExtTextOutW(DC, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
    line = {Panel.right - 1, Panel.top, Panel.right, Panel.bottom};
    ExtTextOutW(DC, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
    SetBkColor(DC, old);
  }
  RECT text{Panel.left + 2, Panel.top, Panel.right - 2, Panel.bottom};
  const TColor colour = e ? e->NormalColour2 : FSkinData->Colours.ButtonText;
  DrawSkinCaption(DC, text, Text.empty() ? std::wstring(L" ") : Text, DT_LEFT, true,
                  TSkinData::ColorToRGB(colour));
}

void TSkinStatusBar::DrawControl(HDC DC, const RECT& Rect) {
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  HDC off = FCanvas ? FCanvas->Prepare(w, h) : nullptr;
  if (!off) return;
  const RECT all{0, 0, w, h};
  FillBackground(off, all);
  TSelectObject font(off, reinterpret_cast<HFONT>(SendMessageW(FWindow, WM_GETFONT, 0, 0)));

  const int parts = static_cast<int>(SendMessageW(FWindow, SB_GETPARTS, 0, 0));
  const bool simple = SendMessageW(FWindow, SB_ISSIMPLE, 0, 0) != 0 || parts <= 0;
  // Panel texts are read into one buffer that lives as long as the control.
  auto textOf = [&](int index, int& type) -> const std::wstring& {
    const LRESULT info = SendMessageW(FWindow, SB_GETTEXTLENGTHW, static_cast<WPARAM>(index), 0);
    type = HIWORD(info);
    FText.assign(static_cast<size_t>(LOWORD(info)) + 1, L'\0');
    SendMessageW(FWindow, SB_GETTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(FText.data()));
    FText.resize(wcslen(FText.c_str()));
    return FText;
  };
  if (simple) {
    int type = 0;
    const std::wstring& t = textOf(simple && parts <= 0 ? 0 : SB_SIMPLEID, type);
    DrawPanel(off, all, StatusFrameOf(pbLowered), t);
  } else {
    for (int i = 0; i < parts; ++i) {
      RECT p{};
      if (!SendMessageW(FWindow, SB_GETRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&p)))
        continue;
      if (i == parts - 1) p.right = w;
      int type = 0;
      const std::wstring& t = textOf(i, type);
      const TPanelBevelKind bevel = (type & SBT_NOBORDERS) ? pbNone
                                    : (type & SBT_POPOUT)  ? pbRaised
                                                           : pbLowered;
      DrawPanel(off, p, StatusFrameOf(bevel), t);
    }
  }
  TDataSkinObject* extra = FSkinData->ExtraImages.get();
  if ((GetWindowLongPtrW(FWindow, GWL_STYLE) & SBARS_SIZEGRIP) && extra && !extra->Bitmap.Empty() &&
      extra->FrameCount >= 5) {
    const int fw = extra->Bitmap.Width / extra->FrameCount, fh = extra->Bitmap.Height;
    const RECT grip{w - 1 - fw, h - 1 - fh, w - 1, h - 1};
    DrawFrame(off, grip, SkinBitmapOf(extra->Bitmap), true, extra->FrameCount, 5);
  }
  BitBlt(DC, Rect.left, Rect.top, w, h, off, 0, 0, SRCCOPY);
}

bool TSkinSizer::BeforeMessage(TMessage& m) {
  if (TSkinControl::BeforeMessage(m)) return true;
  if (m.Msg == WM_PAINT) {
    ValidateRect(FWindow, nullptr);
    m.Result = 0;
    return true;
  }
  if (m.Msg == WM_ERASEBKGND) {
    m.Result = 1;
    return true;
  }
  return false;
}
