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

TMenuBtn::TMenuBtn(TSkinForm& AForm, int AIndex)
    : TNCObject(AForm.Buttons()), FForm(AForm), FIndex(AIndex) {}

void TMenuBtn::Paint() {
  FForm.PaintMenuButton(this);
}

void TMenuBtn::SetItem(const std::wstring& ACaption, bool AEnabled, HMENU ASubMenu, UINT ACommand) {
  FCaption = ACaption;
  FEnabled = AEnabled;
  FSubMenu = ASubMenu;
  FCommand = ACommand;
}

bool TSkinMenuBar::BuildFromHandle() {
  HMENU menu = GetMenu(FForm->Window());
  if (!menu || !IsMenu(menu)) return false;
  FMenuHandle = menu;
  FButtons.clear();
  ReadItems();
  SetMenu(FForm->Window(), nullptr);
  return true;
}

bool TSkinMenuBar::Owns(const TNCObject* Object) const {
  return Object && std::any_of(FButtons.begin(), FButtons.end(),
                               [&](const auto& b) { return b.get() == Object; });
}

void TSkinMenuBar::ReadItems() {
  if (!FMenuHandle || !IsMenu(FMenuHandle)) return;
  const int count = std::max(0, GetMenuItemCount(FMenuHandle));
  if (count != Count()) {
    // Buttons go and come: the frame must not keep one under the mouse.
    if (Owns(FForm->Buttons().Hot())) FForm->Buttons().ForgetHot();
    FButtons.clear();
    for (int i = 0; i < count; ++i) FButtons.push_back(std::make_unique<TMenuBtn>(*FForm, i));
  }
  for (int i = 0; i < count; ++i) {
    TMenuBtn& b = *FButtons[static_cast<size_t>(i)];
    wchar_t text[81] = {};
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
    mi.dwTypeData = text;
    mi.cch = 80;
    if (!GetMenuItemInfoW(FMenuHandle, static_cast<UINT>(i), TRUE, &mi)) {
      b.SetItem({}, b.Enabled(), b.SubMenu(), b.Command());
      b.SetVisible(false);
      continue;
    }
    b.SetItem(text, !(mi.fState & (MFS_GRAYED | MFS_DISABLED)), mi.hSubMenu, mi.wID);
    b.SetVisible(true);
  }
}

int TSkinMenuBar::PaintBackground(HDC Dc, int Width, int Height) {
  const RECT all{0, 0, Width, Height};
  TDataSkinObject* e = FSkinData->MenuBarImage.get();
  if (!e || e->Bitmap.Empty()) {
    TBrushHandle brush(CreateSolidBrush(TSkinData::ColorToRGB(FSkinData->Colours.Menubar)));
    FillRect(Dc, &all, brush.Get());
    return 6;
  }
  // Two frames stacked: the active window's bar, the inactive one's.
  HBITMAP strip = SkinBitmapOf(e->Bitmap);
  const int frame = FForm->Active() ? 1 : 2;
  if (e->Tile == 1)
    DrawNineSlice(Dc, all, strip, true, false, false, 2, frame, ElementMargins(*e));
  else
    DrawThreeSlice(Dc, all, strip, true, false, 2, frame, ElementMargins(*e));
  const int start = FRightToLeft ? e->RightWidth + 8 : e->LeftWidth + 4;
  return Width < start ? 12 : start;
}

void TSkinMenuBar::Paint(HDC Dc, const RECT& Rect) {
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  if (w <= 0 || h <= 0) return;
  ReadItems();
  if (!FBackground || FBackgroundSize.cx != w || FBackgroundSize.cy != h) {
    FBackground = NewSurface(w, h);
    FScratch = NewSurface(w, h);
    FBackgroundSize = FBackground && FScratch ? SIZE{w, h} : SIZE{};
  }
  if (!FBackgroundSize.cx) return;
  TMemoryDC back(CreateCompatibleDC(Dc)), mem(CreateCompatibleDC(Dc));
  if (!back || !mem) return;
  TSelectObject backSel(back.Get(), FBackground.Get()), memSel(mem.Get(), FScratch.Get());
  const int start = PaintBackground(back.Get(), w, h);
  FBarRect = Rect;
  BitBlt(mem.Get(), 0, 0, w, h, back.Get(), 0, 0, SRCCOPY);

  TSelectObject font(mem.Get(), SkinMenuFont(false));
  SetBkMode(mem.Get(), TRANSPARENT);
  int x = FRightToLeft ? w - start : start;
  for (const auto& b : FButtons) {
    if (!b->Visible()) continue;
    RECT measured{0, 0, 0, 0};
    DrawTextW(mem.Get(), b->Caption().c_str(), -1, &measured,
              DT_CALCRECT | DT_NOCLIP | kCaptionFormat);
    const int tw = measured.right - measured.left;
    const int bw = tw ? tw + 10 : 0;
    const RECT r = FRightToLeft ? RECT{x - bw, 0, x, h - 1} : RECT{x, 0, x + bw, h - 1};
    x += FRightToLeft ? -bw : bw;
    b->SetBounds(
        RECT{r.left + Rect.left, r.top + Rect.top, r.right + Rect.left, r.bottom + Rect.top});
    DrawButton(mem.Get(), *b, r);
  }
  FForm->PaintMenuBarButtons(mem.Get());
  BitBlt(Dc, Rect.left, Rect.top, w, h, mem.Get(), 0, 0, SRCCOPY);
}

void TSkinMenuBar::DrawButton(HDC Dc, const TMenuBtn& Button, const RECT& At) const {
  RECT r = At;
  if (Button.Enabled() &&
      (Button.State() == vpn::skin::nsPressed || Button.State() == vpn::skin::nsHot)) {
    TBrushHandle frame(CreateSolidBrush(TSkinData::ColorToRGB(FSkinData->Colours.ButtonHilight)));
    FrameRect(Dc, &r, frame.Get());
  }
  SetTextColor(Dc, TSkinData::ColorToRGB(Button.Enabled() ? FSkinData->Colours.MenuBarText
                                                          : FSkinData->Colours.ButtonShadow));
  DrawTextW(Dc, Button.Caption().c_str(), -1, &r, kCaptionFormat | DT_CENTER | DT_VCENTER);
}

void TSkinMenuBar::PaintButton(HDC Dc, const TMenuBtn& Button) {
  if (!FBackground || !FBackgroundSize.cx) return;
  const RECT& b = Button.Bounds();
  const int w = b.right - b.left, h = b.bottom - b.top;
  if (w <= 0 || h <= 0) return;
  // The button is drawn off screen on its piece of the bar, then copied.
  TBitmapHandle piece = NewSurface(w, h);
  TMemoryDC back(CreateCompatibleDC(Dc)), mem(CreateCompatibleDC(Dc));
  if (!piece || !back || !mem) return;
  TSelectObject backSel(back.Get(), FBackground.Get()), memSel(mem.Get(), piece.Get());
  BitBlt(mem.Get(), 0, 0, w, h, back.Get(), b.left - FBarRect.left, b.top - FBarRect.top, SRCCOPY);
  TSelectObject font(mem.Get(), SkinMenuFont(false));
  SetBkMode(mem.Get(), TRANSPARENT);
  DrawButton(mem.Get(), Button, RECT{0, 0, w, h});
  BitBlt(Dc, b.left, b.top, w, h, mem.Get(), 0, 0, SRCCOPY);
}

TMenuBtn* TSkinMenuBar::ButtonAt(POINT Frame) const {
  for (const auto& b : FButtons)
    if (b->Visible() && !b->Caption().empty() && PtInRect(&b->Bounds(), Frame)) return b.get();
  return nullptr;
}

TMenuBtn* TSkinMenuBar::AcceleratorButton(wchar_t Key) const {
  if (!Key) return nullptr;
  const wchar_t key = Upper(Key);
  for (const auto& b : FButtons) {
    const wchar_t a = AcceleratorOf(b->Caption());
    if (b->Visible() && b->Enabled() && a && Upper(a) == key) return b.get();
  }
  return nullptr;
}

int TSkinMenuBar::NextOpening(int Index, int Step) const {
  const int n = Count();
  if (n == 0) return -1;
  for (int k = 1; k < n; ++k) {
    const int i = ((Index + Step * k) % n + n) % n;
    if (FButtons[static_cast<size_t>(i)]->Visible() && FButtons[static_cast<size_t>(i)]->Opens())
      return i;
  }
  return Index;
}
