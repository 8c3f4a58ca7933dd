#include "skin/SkinMenuBar.h"

#include <algorithm>

#include "skin/SkinData.h"
#include "skin/SkinDraw.h"
#include "skin/SkinMenus.h"

namespace {

constexpr UINT kCaptionFormat = DT_EXPANDTABS | DT_SINGLELINE;

// The accelerator of a caption: the character after a single "&".
wchar_t AcceleratorOf(const std::wstring& Caption) {
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != L'&') continue;
    if (Caption[i + 1] != L'&') return Caption[i + 1];
    ++i;  // "&&" is a plain ampersand
  }
  return 0;
}

wchar_t Upper(wchar_t c) {
  return static_cast<wchar_t>(
      reinterpret_cast<uintptr_t>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<uintptr_t>(c)))));
}

}  // namespace

void TMenuBtn::Paint() {
  Form->PaintMenuButton(this);
}

bool TSkinMenuBar::BuildFromHandle() {
  HMENU menu = GetMenu(Form->Window);
  if (!menu || !IsMenu(menu)) return false;
  MenuHandle = menu;
  Buttons.clear();
  ReadItems();
  SetMenu(Form->Window, nullptr);
  return true;
}

bool TSkinMenuBar::Owns(const TNCObject* Object) const {
  return Object && std::any_of(Buttons.begin(), Buttons.end(),
                               [&](const auto& b) { return b.get() == Object; });
}

void TSkinMenuBar::ReadItems() {
  if (!MenuHandle || !IsMenu(MenuHandle)) return;
  const int count = std::max(0, GetMenuItemCount(MenuHandle));
  if (count != Count()) {
    // Buttons go and come: the frame must not keep one under the mouse.
    if (Owns(Form->HotObject)) Form->HotObject = nullptr;
    Buttons.clear();
    for (int i = 0; i < count; ++i) {
      auto b = std::make_unique<TMenuBtn>(Form, this);
      b->Index = i;
      Buttons.push_back(std::move(b));
    }
  }
  for (int i = 0; i < count; ++i) {
    TMenuBtn& b = *Buttons[static_cast<size_t>(i)];
    wchar_t text[81] = {};
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
    mi.dwTypeData = text;
    mi.cch = 80;
    if (!GetMenuItemInfoW(MenuHandle, static_cast<UINT>(i), TRUE, &mi)) {
      b.Caption.clear();
      b.Visible = false;
      continue;
    }
    b.SubMenu = mi.hSubMenu;
    b.Enabled = !(mi.fState & (MFS_GRAYED | MFS_DISABLED));
    b.Command = mi.wID;
    b.Caption = text;
    b.Visible = true;
  }
}

void TSkinMenuBar::Paint(HDC Dc, const RECT& Rect) {
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  if (w <= 0 || h <= 0) return;
  ReadItems();
  if (!Background || BackgroundSize.cx != w || BackgroundSize.cy != h) {
    Background = NewSurface(w, h);
    FScratch = NewSurface(w, h);
    BackgroundSize = Background && FScratch ? SIZE{w, h} : SIZE{};
  }
  if (!BackgroundSize.cx) return;
  TMemoryDC back(CreateCompatibleDC(Dc)), mem(CreateCompatibleDC(Dc));
  if (!back || !mem) return;
  TSelectObject backSel(back.Get(), Background.Get()), memSel(mem.Get(), FScratch.Get());
  const RECT all{0, 0, w, h};
  int start = 6;
  TDataSkinObject* e = SkinData->MenuBarImage.get();
  if (e && !e->Bitmap.Empty()) {
    // Two frames stacked: the active window's bar, the inactive one's.
    HBITMAP strip = SkinBitmapOf(e->Bitmap);
    const int frame = Form->Active ? 1 : 2;
    if (e->Tile == 1)
      DrawNineSlice(back.Get(), all, strip, true, false, false, 2, frame, ElementMargins(*e));
    else
      DrawThreeSlice(back.Get(), all, strip, true, false, 2, frame, ElementMargins(*e));
    start = RightToLeft ? e->RightWidth + 8 : e->LeftWidth + 4;
    if (w < start) start = 12;
  } else {
    TBrushHandle brush(CreateSolidBrush(TSkinData::ColorToRGB(SkinData->Colours.Menubar)));
    FillRect(back.Get(), &all, brush.Get());
  }
  BarRect = Rect;
  BitBlt(mem.Get(), 0, 0, w, h, back.Get(), 0, 0, SRCCOPY);

  TSelectObject font(mem.Get(), SkinMenuFont(false));
  SetBkMode(mem.Get(), TRANSPARENT);
  int x = RightToLeft ? w - start : start;
  for (const auto& b : Buttons) {
    if (!b->Visible) continue;
    RECT measured{0, 0, 0, 0};
    DrawTextW(mem.Get(), b->Caption.c_str(), -1, &measured,
              DT_CALCRECT | DT_NOCLIP | kCaptionFormat);
    const int tw = measured.right - measured.left;
    const int bw = tw ? tw + 10 : 0;
    const RECT r = RightToLeft ? RECT{x - bw, 0, x, h - 1} : RECT{x, 0, x + bw, h - 1};
    x += RightToLeft ? -bw : bw;
    b->Bounds =
        RECT{r.left + Rect.left, r.top + Rect.top, r.right + Rect.left, r.bottom + Rect.top};
    DrawButton(mem.Get(), *b, r);
  }
  Form->PaintMenuBarButtons(mem.Get());
  BitBlt(Dc, Rect.left, Rect.top, w, h, mem.Get(), 0, 0, SRCCOPY);
}

void TSkinMenuBar::DrawButton(HDC Dc, const TMenuBtn& Button, const RECT& At) const {
  RECT r = At;
  if (Button.Enabled &&
      (Button.State == vpn::skin::nsPressed || Button.State == vpn::skin::nsHot)) {
    TBrushHandle frame(CreateSolidBrush(TSkinData::ColorToRGB(SkinData->Colours.ButtonHilight)));
    FrameRect(Dc, &r, frame.Get());
  }
  SetTextColor(Dc, TSkinData::ColorToRGB(Button.Enabled ? SkinData->Colours.MenuBarText
                                                        : SkinData->Colours.ButtonShadow));
  DrawTextW(Dc, Button.Caption.c_str(), -1, &r, kCaptionFormat | DT_CENTER | DT_VCENTER);
}

void TSkinMenuBar::PaintButton(HDC Dc, const TMenuBtn& Button) {
  if (!Background || !BackgroundSize.cx) return;
  const RECT& b = Button.Bounds;
  const int w = b.right - b.left, h = b.bottom - b.top;
  if (w <= 0 || h <= 0) return;
  // The button is drawn off screen on its piece of the bar, then copied.
  TBitmapHandle piece = NewSurface(w, h);
  TMemoryDC back(CreateCompatibleDC(Dc)), mem(CreateCompatibleDC(Dc));
  if (!piece || !back || !mem) return;
  TSelectObject backSel(back.Get(), Background.Get()), memSel(mem.Get(), piece.Get());
  BitBlt(mem.Get(), 0, 0, w, h, back.Get(), b.left - BarRect.left, b.top - BarRect.top, SRCCOPY);
  TSelectObject font(mem.Get(), SkinMenuFont(false));
  SetBkMode(mem.Get(), TRANSPARENT);
  DrawButton(mem.Get(), Button, RECT{0, 0, w, h});
  BitBlt(Dc, b.left, b.top, w, h, mem.Get(), 0, 0, SRCCOPY);
}

TMenuBtn* TSkinMenuBar::ButtonAt(POINT Frame) const {
  for (const auto& b : Buttons)
    if (b->Visible && !b->Caption.empty() && PtInRect(&b->Bounds, Frame)) return b.get();
  return nullptr;
}

TMenuBtn* TSkinMenuBar::AcceleratorButton(wchar_t Key) const {
  if (!Key) return nullptr;
  const wchar_t key = Upper(Key);
  for (const auto& b : Buttons) {
    const wchar_t a = AcceleratorOf(b->Caption);
    if (b->Visible && b->Enabled && a && Upper(a) == key) return b.get();
  }
  return nullptr;
}

int TSkinMenuBar::NextOpening(int Index, int Step) const {
  const int n = Count();
  if (n == 0) return -1;
  for (int k = 1; k < n; ++k) {
    const int i = ((Index + Step * k) % n + n) % n;
    if (Buttons[static_cast<size_t>(i)]->Visible && Buttons[static_cast<size_t>(i)]->Opens())
      return i;
  }
  return Index;
}
