#include "skin/SkinMenus.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <unordered_map>

#include "framework/Gbk.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"
#include "skin/SkinManager.h"

TSkinPopupFrame* PendingPopup = nullptr;

namespace {

// Width of the popup window's border band that the MenuBackground picture paints.
constexpr int kBand = 3;

std::unordered_map<HWND, TSkinPopupFrame*>& Frames() {
  static std::unordered_map<HWND, TSkinPopupFrame*> frames;
  return frames;
}

// Windows let go of while another subclass sat on top of the frame's: their calls still
// pass through here to the procedure the frame replaced.
std::unordered_map<HWND, WNDPROC>& PassThrough() {
  static std::unordered_map<HWND, WNDPROC> procs;
  return procs;
}

LRESULT CALLBACK PopupFrameProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = Frames().find(wnd);
  if (it != Frames().end()) return it->second->WndProc(msg, wParam, lParam);
  auto p = PassThrough().find(wnd);
  if (p == PassThrough().end()) return DefWindowProcW(wnd, msg, wParam, lParam);
  const WNDPROC old = p->second;
  if (msg == WM_NCDESTROY) PassThrough().erase(p);
  return CallWindowProcW(old, wnd, msg, wParam, lParam);
}

}  // namespace

// The system's menu font, made once; the default item's caption is bold.
HFONT SkinMenuFont(bool Bold) {
  static TGdiObject normal, bold;
  TGdiObject& f = Bold ? bold : normal;
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
  return static_cast<HFONT>(f.Get());
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
  HDC src = CreateCompatibleDC(Dc);
  HGDIOBJ oldBmp = SelectObject(src, check);
  HBRUSH ink = GetSysColorBrush(COLOR_BTNTEXT);
  HGDIOBJ oldBrush = SelectObject(Dc, ink);
  const COLORREF oldText = SetTextColor(Dc, RGB(0, 0, 0));
  const COLORREF oldBack = SetBkColor(Dc, RGB(255, 255, 255));
  // Where the source is white the destination stays; where it is black, the brush.
  BitBlt(Dc, x, y, bm.bmWidth, bm.bmHeight, src, 0, 0, 0x00B8074A);
  SetTextColor(Dc, oldText);
  SetBkColor(Dc, oldBack);
  SelectObject(Dc, oldBrush);
  SelectObject(src, oldBmp);
  DeleteDC(src);
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
  TGdiObject bits(CreateBitmap(8, 8, 1, 1, pattern));
  TGdiObject brush(CreatePatternBrush(static_cast<HBITMAP>(bits.Get())));
  const COLORREF oldText = SetTextColor(Dc, GetSysColor(COLOR_BTNFACE));
  const COLORREF oldBack = SetBkColor(Dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  FillRect(Dc, &Column, static_cast<HBRUSH>(brush.Get()));
  SetTextColor(Dc, oldText);
  SetBkColor(Dc, oldBack);
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

  HGDIOBJ oldFont = SelectObject(Dc, MenuFont(Item->Default()));
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
  SelectObject(Dc, oldFont);
}

// The separator: the bottom rows of the MenuItem picture's second frame, its fixed ends
// kept and its middle stretched across the item.
void PaintSeparator(HDC Dc, const RECT& Rect, TDataSkinObject& Element) {
  HBITMAP strip = SkinBitmapOf(Element.Bitmap);
  BITMAP bm{};
  if (!strip || !GetObjectW(strip, sizeof bm, &bm)) return;
  const int fw = bm.bmWidth / 5, h = std::min<int>(Rect.bottom - Rect.top, bm.bmHeight);
  if (fw <= 0 || h <= 0) return;
  HDC screen = GetDC(nullptr);
  TGdiObject piece(CreateCompatibleBitmap(screen, fw, h));
  ReleaseDC(nullptr, screen);
  HDC src = CreateCompatibleDC(Dc), dst = CreateCompatibleDC(Dc);
  HGDIOBJ o1 = SelectObject(src, strip), o2 = SelectObject(dst, piece.Get());
  BitBlt(dst, 0, 0, fw, h, src, fw, bm.bmHeight - h, SRCCOPY);
  SelectObject(src, o1);
  SelectObject(dst, o2);
  DeleteDC(src);
  DeleteDC(dst);
  const RECT at{Rect.left, Rect.top, Rect.right, Rect.top + h};
  DrawNineSlice(Dc, at, static_cast<HBITMAP>(piece.Get()), false, false, true, 1, 1,
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
  if (Window) return;
  Window = AWindow;
  SkinData = ASkinData;
  Frames()[Window] = this;
  OldWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PopupFrameProc)));
}

void TSkinPopupFrame::Detach() {
  if (PendingPopup == this) PendingPopup = nullptr;
  if (!Window) return;
  // Another subclass on top of this one keeps its place, and the chain still reaches
  // the old procedure through this one.
  if (IsWindow(Window)) {
    if (GetWindowLongPtrW(Window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(PopupFrameProc))
      SetWindowLongPtrW(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OldWndProc));
    else
      PassThrough()[Window] = OldWndProc;
  }
  Frames().erase(Window);
  Window = nullptr;
  Background.Reset();
  BackgroundSize = {};
}

POINT TSkinPopupFrame::ClientOffset() const {
  RECT w{};
  POINT origin{0, 0};
  GetWindowRect(Window, &w);
  ClientToScreen(Window, &origin);
  return {origin.x - w.left, origin.y - w.top};
}

bool TSkinPopupFrame::CanPaint() const {
  return SkinData && !SkinData->SkinNotLoaded && HasPicture(SkinData->MenuBackground);
}

bool TSkinPopupFrame::RenderBackground() {
  RECT w{};
  GetWindowRect(Window, &w);
  const SIZE size{w.right - w.left, w.bottom - w.top};
  if (MenuHandle == nullptr) PendingPopup = this;
  if (Background && size.cx == BackgroundSize.cx && size.cy == BackgroundSize.cy) return true;
  TDataSkinObject& e = *SkinData->MenuBackground;
  Background = RenderNineSlice(size.cx, size.cy, SkinBitmapOf(e.Bitmap), ElementMargins(e), false,
                               e.Tile == 1, 1, 1);
  BackgroundSize = Background ? size : SIZE{};
  return static_cast<bool>(Background);
}

// The outer band of the background picture: the menu's border.
void TSkinPopupFrame::PaintBand(HDC Dc) {
  HDC src = CreateCompatibleDC(Dc);
  HGDIOBJ old = SelectObject(src, Background.Get());
  const int w = BackgroundSize.cx, h = BackgroundSize.cy;
  BitBlt(Dc, 0, 0, w, kBand, src, 0, 0, SRCCOPY);
  BitBlt(Dc, 0, h - kBand, w, kBand, src, 0, h - kBand, SRCCOPY);
  BitBlt(Dc, 0, 0, kBand, h, src, 0, 0, SRCCOPY);
  BitBlt(Dc, w - kBand, 0, kBand, h, src, w - kBand, 0, SRCCOPY);
  SelectObject(src, old);
  DeleteDC(src);
  ++BorderPaints;
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
  const HWND wnd = Window;
  LRESULT r = 0;
  try {
    r = Handle(Msg, wParam, lParam);
  } catch (...) {
    // Nothing may travel through the menu's own code: the system does the message.
    r = CallWindowProcW(OldWndProc, wnd, Msg, wParam, lParam);
  }
  if (--FDepth == 0 && FReleased) delete this;
  return r;
}

LRESULT TSkinPopupFrame::Handle(UINT Msg, WPARAM wParam, LPARAM lParam) {
  const WNDPROC old = OldWndProc;
  const HWND wnd = Window;
  if (Msg == SM_QUERYSKINNED) return 1;
  if (!SkinManager || !SkinManager->Enabled) return CallWindowProcW(old, wnd, Msg, wParam, lParam);
  switch (Msg) {
    case WM_DESTROY:
      Detach();
      return CallWindowProcW(old, wnd, Msg, wParam, lParam);
    case WM_NCPAINT: {
      if (!CanPaint() || !RenderBackground()) break;
      const POINT client = ClientOffset();
      // A menu window without a frame of its own draws its border in its client area;
      // that happens with the items, below.
      if (client.x < kBand && client.y < kBand) break;
      HDC dc = GetWindowDC(wnd);
      PaintBand(dc);
      ReleaseDC(wnd, dc);
      return 0;
    }
    case WM_PAINT: {
      const POINT client = ClientOffset();
      if (client.x >= kBand || client.y >= kBand || !CanPaint()) break;
      // The border lies inside the client area here: the system paints the items and
      // its own border, then the skin's border band goes over it.
      const LRESULT r = CallWindowProcW(old, wnd, Msg, wParam, lParam);
      if (Window && RenderBackground()) {
        HDC dc = GetWindowDC(wnd);
        PaintBand(dc);
        ReleaseDC(wnd, dc);
      }
      return r;
    }
    case WM_PRINT: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      if (!dc || !CanPaint() || !RenderBackground()) break;
      HDC src = CreateCompatibleDC(dc);
      HGDIOBJ o = SelectObject(src, Background.Get());
      BitBlt(dc, 0, 0, BackgroundSize.cx, BackgroundSize.cy, src, 0, 0, SRCCOPY);
      SelectObject(src, o);
      DeleteDC(src);
      ++BorderPaints;
      const int saved = SaveDC(dc);
      SetBkMode(dc, TRANSPARENT);
      IntersectClipRect(dc, kBand, kBand, BackgroundSize.cx - kBand, BackgroundSize.cy - kBand);
      const LRESULT r = CallWindowProcW(old, wnd, Msg, wParam, lParam);
      RestoreDC(dc, saved);
      return r;
    }
    default:
      break;
  }
  return CallWindowProcW(old, wnd, Msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------
// Owner-drawn items

void PaintMenuItem(HDC Dc, const RECT& Rect, TMenuItem* Item, HMENU Menu, bool Selected,
                   TSkinData* Skin, HIMAGELIST Images, bool RightToLeft) {
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  if (w <= 0 || h <= 0) return;
  TGdiObject surface(CreateCompatibleBitmap(Dc, w, h));
  HDC mem = CreateCompatibleDC(Dc);
  HGDIOBJ oldBmp = SelectObject(mem, surface.Get());
  const RECT all{0, 0, w, h};
  const bool pictured = HasPicture(Skin->MenuItem);
  if (pictured) {
    // The item stands on the menu's own background, where the popup frame drew it.
    TSkinPopupFrame* frame = SkinManager ? SkinManager->PopupFrameOf(Menu) : nullptr;
    if (frame && frame->Background) {
      const POINT at = frame->ClientOffset();
      HDC src = CreateCompatibleDC(Dc);
      HGDIOBJ o = SelectObject(src, frame->Background.Get());
      BitBlt(mem, 0, 0, w, h, src, Rect.left + at.x, Rect.top + at.y, SRCCOPY);
      SelectObject(src, o);
      DeleteDC(src);
    } else {
      TGdiObject brush(CreateSolidBrush(TSkinData::ColorToRGB(Skin->Colours.Menu)));
      FillRect(mem, &all, static_cast<HBRUSH>(brush.Get()));
    }
    if (!Item->IsLine()) {
      TDataSkinObject& e = *Skin->MenuItem;
      DrawNineSlice(mem, all, SkinBitmapOf(e.Bitmap), false, e.Tile == 1, e.Trans == 1, 5,
                    Selected ? 4 : 1, ElementMargins(e));
      PaintContent(mem, w, h, Item, Selected, Skin, Images, RightToLeft);
    }
  } else {
    const TColor fill = Selected ? Skin->Colours.Hilight : Skin->Colours.Menu;
    TGdiObject brush(CreateSolidBrush(TSkinData::ColorToRGB(fill)));
    FillRect(mem, &all, static_cast<HBRUSH>(brush.Get()));
    PaintContent(mem, w, h, Item, Selected, Skin, Images, RightToLeft);
  }
  BitBlt(Dc, Rect.left, Rect.top, w, h, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldBmp);
  DeleteDC(mem);
  if (pictured && Item->IsLine()) PaintSeparator(Dc, Rect, *Skin->MenuItem);
}

void TSkinItemMeasure::operator()(TObject* Sender, HDC Dc, int& Width, int& Height) const {
  TMenuItem* item = AsItem(Sender);
  if (!item || !SkinData) return;
  const int left = HasPicture(SkinData->MenuItem) ? SkinData->MenuItem->LeftWidth : 0;
  if (item->IsLine()) {
    Width = left + 12;
    Height = 8;
    return;
  }
  HGDIOBJ old = SelectObject(Dc, MenuFont(item->Default()));
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
  SelectObject(Dc, old);
  // Border of the picture, icon column, the gap before the text, the text and the room
  // the shortcut keeps from the right edge.
  Width = left + 1 + ColumnWidth(Images) + 3 + textWidth + 12;
  Height = std::max(textHeight + 6, ColumnWidth(Images) + 4);
}

void TSkinItemPainter::operator()(TObject* Sender, HDC Dc, const RECT& Rect, UINT State) const {
  TMenuItem* item = AsItem(Sender);
  if (!item || !SkinData || SkinData->SkinNotLoaded) return;
  HMENU menu = item->Parent() ? item->Parent()->Handle() : nullptr;
  // The popup window painted last and still unaware of its menu shows this one.
  if (PendingPopup && !PendingPopup->MenuHandle) {
    PendingPopup->MenuHandle = menu;
    PendingPopup = nullptr;
  }
  PaintMenuItem(Dc, Rect, item, menu, (State & ODS_SELECTED) != 0, SkinData, Images,
                MenuItemRightOrder(menu, item->Command(), false));
}

void SkinPopupMenu(TPopupMenu* Menu, TSkinData* SkinData, HIMAGELIST Images) {
  if (!Menu) return;
  ForEachItem(Menu->Items(), [&](TMenuItem* item) {
    const bool own =
        item->OnAdvancedDrawItem && !item->OnAdvancedDrawItem.target<TSkinItemPainter>();
    if (own) return;
    item->OnMeasureItem = TSkinItemMeasure{SkinData, Images};
    item->OnAdvancedDrawItem = TSkinItemPainter{SkinData, Images};
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
    } else if (SkinData && menu->Tag() % 100 != SkinData->DisableTag) {
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
