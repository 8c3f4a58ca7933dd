#include "skin/widgets/SkinTab.h"

// (the common controls' header needs the base declarations first)
#include <commctrl.h>

#include "framework/Gbk.h"
#include "framework/TabCtrls.h"
#include "skin/SkinChildControls.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"
#include "skin/SkinForm.h"

using namespace vpn::skin;

namespace {

RECT ToRect(const TPixelRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}

}  // namespace

void TSkinTab::Attach(TControl* AControl, TSkinData* ASkinData, bool ARecolour,
                      TSkinCanvas* ACanvas) {
  TSkinControl::Attach(AControl, ASkinData, ARecolour, ACanvas);
  if (!FAttached) return;
  PreparePictures();
  FindScroller();
}

void TSkinTab::AttachHandle(HWND AWindow, TSkinData* ASkinData, TSkinCanvas* ACanvas) {
  TSkinControl::AttachHandle(AWindow, ASkinData, ACanvas);
  if (!FAttached) return;
  ReadState();
  PreparePictures();
  FindScroller();
  InvalidateRect(FWindow, nullptr, TRUE);
}

void TSkinTab::SkinChanged() {
  TSkinControl::SkinChanged();
  PreparePictures();
}

void TSkinTab::PreparePictures() {
  const LONG_PTR style = FWindow ? GetWindowLongPtrW(FWindow, GWL_STYLE) : 0;
  FTabSide = TabSideOf((style & TCS_BOTTOM) != 0, (style & TCS_VERTICAL) != 0);
  FTabPicture.Reset();
  FBorderPicture.Reset();
  FRowBitmap.Reset();
  FRowSize = {};
  if (!FSkinData || !FSkinData->Tabs || FSkinData->Tabs->Bitmap.Empty()) return;
  const TTabTransforms t = TabTransformsOf(FTabSide);
  // Copies: the skin's own bitmaps are shared by every control of the skin.
  FTabPicture.Reset(CreateSkinBitmap(FSkinData->Tabs->Bitmap));
  if (t.FlipPictures && FTabPicture) FlipBitmap(FTabPicture.Get());
  if (FSkinData->Tabs->Bitmap2.Empty()) return;
  FBorderPicture.Reset(CreateSkinBitmap(FSkinData->Tabs->Bitmap2));
  if (!FBorderPicture) return;
  if (t.FlipPictures) FlipBitmap(FBorderPicture.Get());
  if (t.Border == qtLeft) RotateLeft(FBorderPicture);
  if (t.Border == qtRight) RotateRight(FBorderPicture);
}

void TSkinTab::FindScroller() {
  if (!FWindow) return;
  HWND found = FindWindowExW(FWindow, nullptr, UPDOWN_CLASSW, nullptr);
  if (found == FScrollerWindow) return;
  FScrollerWindow = found;
  FScroller = nullptr;
  if (found)
    if (TSkinForm* form = OwnerForm())
      FScroller = form->Controls().SkinInnerWindow(found, skUpDown);
}

bool TSkinTab::ScrollerShown() const {
  return FScrollerWindow && IsWindow(FScrollerWindow) &&
         (GetWindowLongPtrW(FScrollerWindow, GWL_STYLE) & WS_VISIBLE);
}

void TSkinTab::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_SIZE:
    case WM_SETFONT:
    case TCM_INSERTITEMA:
    case TCM_INSERTITEMW:
    case TCM_DELETEITEM:
    case TCM_DELETEALLITEMS:
    case TCM_SETITEMSIZE:
      // The control makes its scroll arrows when the row first overflows.
      FindScroller();
      break;
    case WM_STYLECHANGED:
      PreparePictures();
      break;
  }
  TSkinControl::AfterMessage(m);
}

void TSkinTab::DrawControl(HDC DC, const RECT&) {
  if (!FSkinData || !FSkinData->Tabs || !FTabPicture) return;
  RECT client{};
  GetClientRect(FWindow, &client);
  const int w = client.right, h = client.bottom;
  if (w <= 0 || h <= 0) return;
  RECT display = client;
  SendMessageW(FWindow, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const TPixelRect sheet =
      TabSheetRectOf({display.left, display.top, display.right, display.bottom}, FTabSide);
  const TPixelRect row = TabRowRectOf(w, h, sheet, FTabSide);
  const TRowSize size = TabRowBitmapSizeOf(row, FTabSide);

  TSavedDC saved(DC);
  IntersectClipRect(DC, 0, 0, w, h);
  if (ScrollerShown()) {
    // The arrows are the scroller's to paint.
    RECT s{};
    GetWindowRect(FScrollerWindow, &s);
    MapWindowPoints(nullptr, FWindow, reinterpret_cast<POINT*>(&s), 2);
    ExcludeClipRect(DC, s.left, s.top, s.right, s.bottom);
  }
  if (size.Width > 0 && size.Height > 0) {
    if (!FRowBitmap || FRowSize.cx != size.Width || FRowSize.cy != size.Height) {
      TWindowDC screen(nullptr);
      FRowBitmap.Reset(CreateCompatibleBitmap(screen.Get(), size.Width, size.Height));
      FRowSize = {size.Width, size.Height};
    }
    TMemoryDC mem(CreateCompatibleDC(DC));
    if (FRowBitmap && mem) {
      {
        TSelectObject in(mem.Get(), FRowBitmap.Get());
        DrawRow(mem.Get(), sheet, w, h);
      }
      // Tabs on a side: the row, drawn lying on its back, is turned into place. The
      // turn makes a new bitmap; the next paint draws into a fresh one again.
      const TQuarterTurn turn = TabTransformsOf(FTabSide).Row;
      if (turn != qtNone) {
        if (turn == qtLeft)
          RotateLeft(FRowBitmap);
        else
          RotateRight(FRowBitmap);
        FRowSize = {};
      }
      if (FRowBitmap) {
        TSelectObject in(mem.Get(), FRowBitmap.Get());
        BitBlt(DC, row.Left, row.Top, row.Width(), row.Height(), mem.Get(), 0, 0, SRCCOPY);
      }
    }
  }
  if (FBorderPicture)
    DrawNineSliceEdges(DC, ToRect(sheet), FBorderPicture.Get(), false, 1, 1,
                       RECT{TabBorderMargins.Left, TabBorderMargins.Top, TabBorderMargins.Right,
                            TabBorderMargins.Bottom});
}

void TSkinTab::DrawRow(HDC Row, const TPixelRect& Sheet, int Width, int Height) {
  const RECT all{0, 0, FRowSize.cx, FRowSize.cy};
  FillBackground(Row, all);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(FWindow, WM_GETFONT, 0, 0));
  TSelectObject useFont(Row, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  const int count = static_cast<int>(SendMessageW(FWindow, TCM_GETITEMCOUNT, 0, 0));
  const int focus = static_cast<int>(SendMessageW(FWindow, TCM_GETCURFOCUS, 0, 0));
  const auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(FWindow, TCM_GETIMAGELIST, 0, 0));
  for (int i = 0; i < count; ++i) {
    RECT item{};
    if (!SendMessageW(FWindow, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
    const TPixelRect in = TabItemInRowOf({item.left, item.top, item.right, item.bottom}, FTabSide,
                                         Width, Height, Sheet);
    // Tabs scrolled out of the row are not drawn.
    if (in.Right <= 0 || in.Left >= FRowSize.cx || in.Bottom <= 0 || in.Top >= FRowSize.cy)
      continue;
    DrawTab(Row, i, ToRect(in), TabFrameOf(i, focus), images);
  }
}

void TSkinTab::DrawTab(HDC Row, int Index, const RECT& Tab, int Frame, HIMAGELIST Images) {
  const TDataSkinBorder& e = *FSkinData->Tabs;
  DrawNineSlice(Row, Tab, FTabPicture.Get(), false, e.Tile == 1, e.Trans == 1, e.FrameCount, Frame,
                ElementMargins(e));

  wchar_t text[81] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.pszText = text;
  item.cchTextMax = 80;
  item.iImage = -1;
  if (!SendMessageW(FWindow, TCM_GETITEMW, Index, reinterpret_cast<LPARAM>(&item))) return;
  int iw = 0, ih = 0;
  if (Images && item.iImage >= 0) ImageList_GetIconSize(Images, &iw, &ih);
  RECT measured = Tab;
  const UINT format = DT_CENTER | DT_SINGLELINE | DT_EXPANDTABS;
  DrawTextW(Row, text, -1, &measured, format | DT_CALCRECT);
  const TTabContent c =
      TabContentOf({Tab.left, Tab.top, Tab.right, Tab.bottom}, iw, ih,
                   measured.right - measured.left, measured.bottom - measured.top);
  if (c.Icon.HasArea())
    ImageList_Draw(Images, item.iImage, Row, c.Icon.Left, c.Icon.Top, ILD_TRANSPARENT);
  const COLORREF colour = !FEnabled    ? GetSysColor(COLOR_BTNSHADOW)
                          : Frame == 2 ? TSkinData::ColorToRGB(e.MouseOverColour2)
                                       : TSkinData::ColorToRGB(e.NormalColour2);
  const int mode = SetBkMode(Row, TRANSPARENT);
  const COLORREF old = SetTextColor(Row, colour);
  RECT at = ToRect(c.Text);
  DrawTextW(Row, text, -1, &at, DT_LEFT | DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP);
  SetTextColor(Row, old);
  SetBkMode(Row, mode);
}

// ---------------------------------------------------------------- TSkinTab31

void TSkinTab31::Attach(TControl* AControl, TSkinData* ASkinData, bool ARecolour,
                        TSkinCanvas* ACanvas) {
  TSkinControl::Attach(AControl, ASkinData, ARecolour, ACanvas);
  if (FAttached) PreparePicture();
}

void TSkinTab31::SkinChanged() {
  TSkinControl::SkinChanged();
  PreparePicture();
}

void TSkinTab31::PreparePicture() {
  FTabPicture.Reset();
  if (!FSkinData || !FSkinData->Tabs || FSkinData->Tabs->Bitmap.Empty()) return;
  FTabPicture.Reset(CreateSkinBitmap(FSkinData->Tabs->Bitmap));
  if (FTabPicture) FlipBitmap(FTabPicture.Get());
}

bool TSkinTab31::BeforeMessage(TMessage& m) {
  if (TSkinControl::BeforeMessage(m)) return true;
  if (!FTabPicture || !dynamic_cast<TTabSet*>(FControl)) return false;
  return PaintWholly(m);
}

void TSkinTab31::DrawControl(HDC DC, const RECT& Rect) {
  auto* tabs = dynamic_cast<TTabSet*>(FControl);
  if (!tabs || !FTabPicture) return;
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  HDC off = FCanvas ? FCanvas->Prepare(w, h) : nullptr;
  if (!off) return;
  const RECT all{0, 0, w, h};
  FillBackground(off, all);
  const TDataSkinBorder& e = *FSkinData->Tabs;
  TSelectObject font(off, tabs->Font()->Handle());
  const int mode = SetBkMode(off, TRANSPARENT);
  for (int i = 0; i < static_cast<int>(tabs->Tabs().size()); ++i) {
    const RECT r = tabs->ItemRect(i);
    const int frame = TabFrameOf(i, tabs->TabIndex());
    DrawNineSlice(off, r, FTabPicture.Get(), false, e.Tile == 1, e.Trans == 1, e.FrameCount, frame,
                  ElementMargins(e));
    const COLORREF colour = !FEnabled    ? GetSysColor(COLOR_BTNSHADOW)
                            : frame == 2 ? TSkinData::ColorToRGB(e.MouseOverColour2)
                                         : TSkinData::ColorToRGB(e.NormalColour2);
    SetTextColor(off, colour);
    const std::wstring text = GbkToWide(tabs->Tabs()[static_cast<size_t>(i)]);
    RECT at = r;
    DrawTextW(off, text.c_str(), static_cast<int>(text.size()), &at,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  SetBkMode(off, mode);
  BitBlt(DC, Rect.left, Rect.top, w, h, off, 0, 0, SRCCOPY);
}
