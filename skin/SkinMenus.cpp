#include "skin/SkinMenus.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "framework/Controls.h"
#include "framework/Gbk.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"
#include "skin/SkinManager.h"

TSkinPopupFrame* PendingPopup = nullptr;

namespace {

// Width of the popup window's border band that the MenuBackground picture paints.
constexpr int kBand = 3;

}  // namespace

// The system's menu font, made once; the default item's caption is bold.
HFONT SkinMenuFont(bool Bold) {
  static TFontHandle normal, bold;
  TFontHandle& f = Bold ? bold : normal;
  if (!f) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    LOGFONTW lf{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
      lf = ncm.lfMenuFont;
    else
      GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    if (Bold) lf.lfWeight = FW_BOLD;
    f.Reset(CreateFontIndirectW(&lf));
  }
  return f.Get();
}

namespace {

HFONT MenuFont(bool Bold) {
  return SkinMenuFont(Bold);
}

bool HasPicture(const std::unique_ptr<TDataSkinObject>& Element) {
  return Element && !Element->Bitmap.Empty();
}

// The caption as the system shows it; a lone "&" or nothing is measured as a blank.
std::wstring CaptionText(const TMenuItem* Item) {
  const std::string& c = Item->Caption();
  if (c.empty() || c == "&") return L" ";
  return GbkToWide(c);
}

int ColumnWidth(HIMAGELIST Images) {
  int w = 16, h = 16;
  if (Images) ImageList_GetIconSize(Images, &w, &h);
  return std::max(w, 16);
}

bool HasImage(const TMenuItem* Item, HIMAGELIST Images) {
  return Images && Item->Tag() >= 0 && Item->Tag() < ImageList_GetImageCount(Images);
}

// The system's check mark, drawn in the button-text colour where its bitmap is black.
void DrawCheckMark(HDC Dc, const RECT& Column) {
  static HBITMAP check = LoadBitmapW(nullptr, MAKEINTRESOURCEW(32760));  // OBM_CHECK
  BITMAP bm{};
  if (!check || !GetObjectW(check, sizeof bm, &bm)) {
    RECT r = Column;
    DrawFrameControl(Dc, &r, DFC_MENU, DFCS_MENUCHECK);
    return;
  }
  const int x = Column.left + (Column.right - Column.left - bm.bmWidth) / 2 + 1;
  const int y = Column.top + (Column.bottom - Column.top - bm.bmHeight) / 2 + 1;
  TMemoryDC src(CreateCompatibleDC(Dc));
  TSelectObject picture(src.Get(), check);
  TSavedDC saved(Dc);
  TSelectObject ink(Dc, GetSysColorBrush(COLOR_BTNTEXT));
  SetTextColor(Dc, RGB(0, 0, 0));
  SetBkColor(Dc, RGB(255, 255, 255));
  // Where the source is white the destination stays; where it is black, the brush.
  BitBlt(Dc, x, y, bm.bmWidth, bm.bmHeight, src.Get(), 0, 0, 0x00B8074A);
}

// The dot of a checked radio item, in the colour of the check mark.
void DrawRadioMark(HDC Dc, const RECT& Column) {
  const int d = 6;
  const int x = Column.left + (Column.right - Column.left - d) / 2 + 1;
  const int y = Column.top + (Column.bottom - Column.top - d) / 2 + 1;
  HGDIOBJ oldBrush = SelectObject(Dc, GetSysColorBrush(COLOR_BTNTEXT));
  HGDIOBJ oldPen = SelectObject(Dc, GetStockObject(NULL_PEN));
  // A null pen leaves the right and bottom edges out: one pixel more each way.
  Ellipse(Dc, x, y, x + d + 1, y + d + 1);
  SelectObject(Dc, oldPen);
  SelectObject(Dc, oldBrush);
}

// A checked item with an image: the image sits on a sunken checker of face and light.
void DrawCheckedBox(HDC Dc, const RECT& Column) {
  const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  TBitmapHandle bits(CreateBitmap(8, 8, 1, 1, pattern));
  TBrushHandle brush(CreatePatternBrush(bits.Get()));
  {
    TSavedDC saved(Dc);
    SetTextColor(Dc, GetSysColor(COLOR_BTNFACE));
    SetBkColor(Dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    FillRect(Dc, &Column, brush.Get());
  }
  RECT r = Column;
  DrawEdge(Dc, &r, BDR_SUNKENOUTER, BF_RECT);
}

COLORREF TextColour(TSkinData* Skin, const TMenuItem* Item, bool Selected) {
  const TSkinColours& c = Skin->Colours;
  if (Item->Enabled()) return TSkinData::ColorToRGB(Selected ? c.HilightText : c.MenuText);
  if (c.ButtonShadow == c.MenuText) return GetSysColor(COLOR_BTNSHADOW);
  return TSkinData::ColorToRGB(c.ButtonShadow);
}

// Icon column, caption and shortcut of one item, on a surface of the item's size. A
// right-to-left item is the same layout mirrored: column at the right, the caption
// right-aligned before it, the shortcut at the left.
void PaintContent(HDC Dc, int Width, int Height, TMenuItem* Item, bool Selected, TSkinData* Skin,
                  HIMAGELIST Images, bool RightToLeft) {
  auto place = [&](RECT r) {
    return RightToLeft ? RECT{Width - r.right, r.top, Width - r.left, r.bottom} : r;
  };
  const int left = 1 + (HasPicture(Skin->MenuItem) ? Skin->MenuItem->LeftWidth : 0);
  const int col = ColumnWidth(Images);
  const RECT column = place(RECT{left, 1, left + col, Height - 1});
  const RECT text{left + col + 3, 0, Width - 1, Height};
  if (Item->IsLine()) {
    if (!HasPicture(Skin->MenuItem)) {
      RECT line{3, text.top + 4, Width - 3, text.top + 6};
      DrawEdge(Dc, &line, EDGE_ETCHED, BF_TOP);
    }
    return;
  }
  if (HasImage(Item, Images)) {
    const int index = static_cast<int>(Item->Tag());
    if (Item->Checked()) DrawCheckedBox(Dc, column);
    const int y = column.top + (column.bottom - column.top - col) / 2;
    if (Item->Enabled()) {
      ImageList_Draw(Images, index, Dc, column.left, y, ILD_TRANSPARENT);
    } else if (HICON icon = ImageList_GetIcon(Images, index, ILD_TRANSPARENT)) {
      DrawStateW(Dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, column.left, y, 0, 0,
                 DST_ICON | DSS_DISABLED);
      DestroyIcon(icon);
    }
  } else if (Item->Checked()) {
    if (Item->RadioItem())
      DrawRadioMark(Dc, column);
    else
      DrawCheckMark(Dc, column);
  }

  TSelectObject font(Dc, MenuFont(Item->Default()));
  SetBkMode(Dc, TRANSPARENT);
  SetTextColor(Dc, TextColour(Skin, Item, Selected));
  const std::wstring caption = CaptionText(Item);
  RECT measured = text;
  DrawTextW(Dc, caption.c_str(), -1, &measured,
            DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE);
  const int th = measured.bottom - measured.top;
  RECT at = place(RECT{text.left, (Height - th) / 2, text.right, (Height - th) / 2 + th});
  DrawTextW(Dc, caption.c_str(), -1, &at,
            DT_EXPANDTABS | DT_SINGLELINE | (RightToLeft ? DT_RIGHT : DT_LEFT));
  if (!Item->ShortCutText().empty()) {
    const std::wstring keys = GbkToWide(Item->ShortCutText());
    RECT k = place(RECT{measured.right, at.top, Width - 11, at.bottom});
    DrawTextW(Dc, keys.c_str(), -1, &k,
              DT_EXPANDTABS | DT_SINGLELINE | (RightToLeft ? DT_LEFT : DT_RIGHT));
  }
}

// The separator: the bottom rows of the MenuItem picture's second frame, its fixed ends
// kept and its middle stretched across the item.
void PaintSeparator(HDC Dc, const RECT& Rect, TDataSkinObject& Element) {
  HBITMAP strip = SkinBitmapOf(Element.Bitmap);
  BITMAP bm{};
  if (!strip || !GetObjectW(strip, sizeof bm, &bm)) return;
  const int fw = bm.bmWidth / 5, h = std::min<int>(Rect.bottom - Rect.top, bm.bmHeight);
  if (fw <= 0 || h <= 0) return;
  TBitmapHandle piece;
  {
    TWindowDC screen(nullptr);
    piece.Reset(CreateCompatibleBitmap(screen.Get(), fw, h));
  }
  {
    TMemoryDC src(CreateCompatibleDC(Dc)), dst(CreateCompatibleDC(Dc));
    TSelectObject from(src.Get(), strip), to(dst.Get(), piece.Get());
    if (!from || !to) return;
    BitBlt(dst.Get(), 0, 0, fw, h, src.Get(), fw, bm.bmHeight - h, SRCCOPY);
  }
  const RECT at{Rect.left, Rect.top, Rect.right, Rect.top + h};
  DrawNineSlice(Dc, at, piece.Get(), false, false, true, 1, 1,
                RECT{Element.LeftWidth, 0, Element.RightWidth, 0});
}

TMenuItem* AsItem(TObject* Sender) {
  return dynamic_cast<TMenuItem*>(Sender);
}

template <typename F>
void ForEachItem(TMenuItem* Root, const F& f) {
  for (int i = 0; i < Root->Count(); ++i) {
    TMenuItem* item = Root->Items(i);
    f(item);
    ForEachItem(item, f);
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The popup window's frame

TSkinPopupFrame::~TSkinPopupFrame() {
  Detach();
}

void TSkinPopupFrame::Attach(HWND AWindow, TSkinData* ASkinData) {
  if (FWindow) return;
  if (!FHook.Attach(AWindow, this,
                    [this](TMessage& m) { m.Result = WndProc(m.Msg, m.WParam, m.LParam); }))
    return;
  FWindow = AWindow;
  FSkinData = ASkinData;
}

void TSkinPopupFrame::Detach() {
  if (PendingPopup == this) PendingPopup = nullptr;
  if (!FWindow) return;
  FHook.Remove();
  FWindow = nullptr;
  FBackground.Reset();
  FBackgroundSize = {};
}

POINT TSkinPopupFrame::ClientOffset() const {
  RECT w{};
  POINT origin{0, 0};
  GetWindowRect(FWindow, &w);
  ClientToScreen(FWindow, &origin);
  return {origin.x - w.left, origin.y - w.top};
}

bool TSkinPopupFrame::CanPaint() const {
  return FSkinData && !FSkinData->SkinNotLoaded && HasPicture(FSkinData->MenuBackground);
}

bool TSkinPopupFrame::RenderBackground() {
  RECT w{};
  GetWindowRect(FWindow, &w);
  const SIZE size{w.right - w.left, w.bottom - w.top};
  if (FMenuHandle == nullptr) PendingPopup = this;
  if (FBackground && size.cx == FBackgroundSize.cx && size.cy == FBackgroundSize.cy) return true;
  TDataSkinObject& e = *FSkinData->MenuBackground;
  FBackground = RenderNineSlice(size.cx, size.cy, SkinBitmapOf(e.Bitmap), ElementMargins(e), false,
                                e.Tile == 1, 1, 1);
  FBackgroundSize = FBackground ? size : SIZE{};
  return static_cast<bool>(FBackground);
}

// The outer band of the background picture: the menu's border.
void TSkinPopupFrame::PaintBand(HDC Dc) {
  TMemoryDC src(CreateCompatibleDC(Dc));
  TSelectObject background(src.Get(), FBackground.Get());
  if (!background) return;
  const int w = FBackgroundSize.cx, h = FBackgroundSize.cy;
  BitBlt(Dc, 0, 0, w, kBand, src.Get(), 0, 0, SRCCOPY);
  BitBlt(Dc, 0, h - kBand, w, kBand, src.Get(), 0, h - kBand, SRCCOPY);
  BitBlt(Dc, 0, 0, kBand, h, src.Get(), 0, 0, SRCCOPY);
  BitBlt(Dc, w - kBand, 0, kBand, h, src.Get(), w - kBand, 0, SRCCOPY);
  ++FBorderPaints;
}

void TSkinPopupFrame::Release() {
  Detach();
  if (FDepth > 0)
    FReleased = true;
  else
    delete this;
}

LRESULT TSkinPopupFrame::WndProc(UINT Msg, WPARAM wParam, LPARAM lParam) {
  ++FDepth;
  LRESULT r = 0;
  bool done = false;
  GuardedCall([&] {
    r = Handle(Msg, wParam, lParam);
    done = true;
  });
  // Nothing may travel through the menu's own code: the failure was reported, and the
  // system does the message.
  if (!done) r = FHook.CallNext(Msg, wParam, lParam);
  if (--FDepth == 0 && FReleased) delete this;
  return r;
}

LRESULT TSkinPopupFrame::Handle(UINT Msg, WPARAM wParam, LPARAM lParam) {
  const HWND wnd = FWindow;
  if (Msg == SM_QUERYSKINNED) return 1;
  if (!SkinManager || !SkinManager->Enabled()) return FHook.CallNext(Msg, wParam, lParam);
  switch (Msg) {
    case WM_DESTROY:
      Detach();
      return FHook.CallNext(Msg, wParam, lParam);
    case WM_NCPAINT: {
      if (!CanPaint() || !RenderBackground()) break;
      const POINT client = ClientOffset();
      // A menu window without a frame of its own draws its border in its client area;
      // that happens with the items, below.
      if (client.x < kBand && client.y < kBand) break;
      TWindowDC dc(wnd, true);
      PaintBand(dc.Get());
      return 0;
    }
    case WM_PAINT: {
      const POINT client = ClientOffset();
      if (client.x >= kBand || client.y >= kBand || !CanPaint()) break;
      // The border lies inside the client area here: the system paints the items and
      // its own border, then the skin's border band goes over it.
      const LRESULT r = FHook.CallNext(Msg, wParam, lParam);
      if (FWindow && RenderBackground()) {
        TWindowDC dc(wnd, true);
        PaintBand(dc.Get());
      }
      return r;
    }
    case WM_PRINT: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (!dc || !CanPaint() || !RenderBackground()) break;
      {
        TMemoryDC src(CreateCompatibleDC(dc));
        TSelectObject background(src.Get(), FBackground.Get());
        BitBlt(dc, 0, 0, FBackgroundSize.cx, FBackgroundSize.cy, src.Get(), 0, 0, SRCCOPY);
      }
      ++FBorderPaints;
      TSavedDC saved(dc);
      SetBkMode(dc, TRANSPARENT);
      IntersectClipRect(dc, kBand, kBand, FBackgroundSize.cx - kBand, FBackgroundSize.cy - kBand);
      return FHook.CallNext(Msg, wParam, lParam);
    }
    default:
      break;
  }
  return FHook.CallNext(Msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------
// Owner-drawn items

void PaintMenuItem(HDC Dc, const RECT& Rect, TMenuItem* Item, HMENU Menu, bool Selected,
                   TSkinData* Skin, HIMAGELIST Images, bool RightToLeft) {
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  if (w <= 0 || h <= 0) return;
  TBitmapHandle surface(CreateCompatibleBitmap(Dc, w, h));
  TMemoryDC memory(CreateCompatibleDC(Dc));
  TSelectObject onSurface(memory.Get(), surface.Get());
  if (!onSurface) return;
  const HDC mem = memory.Get();
  const RECT all{0, 0, w, h};
  const bool pictured = HasPicture(Skin->MenuItem);
  if (pictured) {
    // The item stands on the menu's own background, where the popup frame drew it.
    TSkinPopupFrame* frame = SkinManager ? SkinManager->PopupFrameOf(Menu) : nullptr;
    if (frame && frame->Background()) {
      const POINT at = frame->ClientOffset();
      TMemoryDC src(CreateCompatibleDC(Dc));
      TSelectObject background(src.Get(), frame->Background());
      BitBlt(mem, 0, 0, w, h, src.Get(), Rect.left + at.x, Rect.top + at.y, SRCCOPY);
    } else {
      TBrushHandle brush(CreateSolidBrush(TSkinData::ColorToRGB(Skin->Colours.Menu)));
      FillRect(mem, &all, brush.Get());
    }
    if (!Item->IsLine()) {
      TDataSkinObject& e = *Skin->MenuItem;
      DrawNineSlice(mem, all, SkinBitmapOf(e.Bitmap), false, e.Tile == 1, e.Trans == 1, 5,
                    Selected ? 4 : 1, ElementMargins(e));
      PaintContent(mem, w, h, Item, Selected, Skin, Images, RightToLeft);
    }
  } else {
    const TColor fill = Selected ? Skin->Colours.Hilight : Skin->Colours.Menu;
    TBrushHandle brush(CreateSolidBrush(TSkinData::ColorToRGB(fill)));
    FillRect(mem, &all, brush.Get());
    PaintContent(mem, w, h, Item, Selected, Skin, Images, RightToLeft);
  }
  BitBlt(Dc, Rect.left, Rect.top, w, h, mem, 0, 0, SRCCOPY);
  if (pictured && Item->IsLine()) PaintSeparator(Dc, Rect, *Skin->MenuItem);
}

void TSkinItemMeasure::operator()(TObject* Sender, HDC Dc, int& Width, int& Height) const {
  TMenuItem* item = AsItem(Sender);
  if (!item || !FSkinData) return;
  const int left = HasPicture(FSkinData->MenuItem) ? FSkinData->MenuItem->LeftWidth : 0;
  if (item->IsLine()) {
    Width = left + 12;
    Height = 8;
    return;
  }
  TSelectObject font(Dc, MenuFont(item->Default()));
  const std::wstring caption = CaptionText(item);
  RECT r{0, 0, 0, 0};
  DrawTextW(Dc, caption.c_str(), -1, &r, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE);
  int textWidth = r.right;
  const int textHeight = r.bottom;
  if (!item->ShortCutText().empty()) {
    const std::wstring keys = GbkToWide(item->ShortCutText());
    RECT k{0, 0, 0, 0};
    DrawTextW(Dc, keys.c_str(), -1, &k, DT_CALCRECT | DT_NOCLIP | DT_SINGLELINE);
    textWidth += 20 + k.right;
  }
  // Border of the picture, icon column, the gap before the text, the text and the room
  // the shortcut keeps from the right edge.
  Width = left + 1 + ColumnWidth(FImages) + 3 + textWidth + 12;
  Height = std::max(textHeight + 6, ColumnWidth(FImages) + 4);
}

void TSkinItemPainter::operator()(TObject* Sender, HDC Dc, const RECT& Rect, UINT State) const {
  TMenuItem* item = AsItem(Sender);
  if (!item || !FSkinData || FSkinData->SkinNotLoaded) return;
  HMENU menu = item->Parent() ? item->Parent()->Handle() : nullptr;
  // The popup window painted last and still unaware of its menu shows this one.
  if (PendingPopup && !PendingPopup->MenuHandle()) {
    PendingPopup->SetMenuHandle(menu);
    PendingPopup = nullptr;
  }
  PaintMenuItem(Dc, Rect, item, menu, (State & ODS_SELECTED) != 0, FSkinData, FImages,
                MenuItemRightOrder(menu, item->Command(), false));
}

void SkinPopupMenu(TPopupMenu* Menu, TSkinData* SkinData, HIMAGELIST Images) {
  if (!Menu) return;
  ForEachItem(Menu->Items(), [&](TMenuItem* item) {
    const bool own =
        item->OnAdvancedDrawItem && !item->OnAdvancedDrawItem.target<TSkinItemPainter>();
    if (own) return;
    item->OnMeasureItem = TSkinItemMeasure(SkinData, Images);
    item->OnAdvancedDrawItem = TSkinItemPainter(SkinData, Images);
  });
  Menu->SetOwnerDraw(true);
}

void UnskinPopupMenu(TPopupMenu* Menu) {
  if (!Menu) return;
  Menu->SetOwnerDraw(false);
  ForEachItem(Menu->Items(), [](TMenuItem* item) {
    // Only the skin's own handlers go; a program's own drawing stays.
    if (item->OnAdvancedDrawItem.target<TSkinItemPainter>()) item->OnAdvancedDrawItem = nullptr;
    if (item->OnMeasureItem.target<TSkinItemMeasure>()) item->OnMeasureItem = nullptr;
  });
}

void SkinFormPopupMenus(TComponent* Form, TSkinData* SkinData, bool On) {
  if (!Form) return;
  for (int i = 0; i < Form->ComponentCount(); ++i) {
    auto* menu = dynamic_cast<TPopupMenu*>(Form->Components(i));
    if (!menu) continue;
    if (!On) {
      UnskinPopupMenu(menu);
    } else if (SkinData && menu->Tag() % 100 != SkinData->DisableTag()) {
      SkinPopupMenu(menu, SkinData);
    }
  }
}

bool MenuItemRightOrder(HMENU Menu, UINT Item, bool ByPosition) {
  if (!Menu) return false;
  MENUITEMINFOW mi{};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_FTYPE;
  return GetMenuItemInfoW(Menu, Item, ByPosition, &mi) && (mi.fType & MFT_RIGHTORDER);
}
