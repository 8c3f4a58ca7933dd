#include "skin/widgets/SkinListView.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "skin/SkinChildControls.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"

// ---------------------------------------------------------------- TSkinListView

void TSkinListView::Attach(TControl* AControl, TSkinData* ASkinData, bool AOperate,
                           TSkinCanvas* ACanvas) {
  TSkinScrollBar::Attach(AControl, ASkinData, AOperate, ACanvas);
  if (FAttached) SkinHeader();
}

void TSkinListView::AttachHandle(HWND AWindow, TSkinData* ASkinData, TSkinCanvas* ACanvas) {
  TSkinScrollBar::AttachHandle(AWindow, ASkinData, ACanvas);
  if (FAttached) SkinHeader();
}

void TSkinListView::AfterMessage(TMessage& m) {
  TSkinScrollBar::AfterMessage(m);
  // A list view switched to the report view makes its header then.
  if (m.Msg == LVM_SETVIEW || (m.Msg == WM_STYLECHANGED && static_cast<int>(m.WParam) == GWL_STYLE))
    SkinHeader();
}

void TSkinListView::SkinHeader() {
  if (FHeader || !FWindow || !IsWindow(FWindow)) return;
  HWND header = reinterpret_cast<HWND>(SendMessageW(FWindow, LVM_GETHEADER, 0, 0));
  if (!header || SendMessageW(header, SM_QUERYSKINNED, 0, 0) == 1) return;
  auto* made = new TSkinHeader(Owner());
  made->AttachHandle(header, FSkinData, FCanvas);
  if (!made->Attached()) {
    delete made;
    return;
  }
  if (TSkinForm* f = OwnerForm()) f->Controls().Add(made);
  FHeader = made;
  InvalidateRect(header, nullptr, TRUE);
}

// ---------------------------------------------------------------- TSkinHeader

int TSkinHeader::ItemAt(POINT Client) const {
  HDHITTESTINFO hit{};
  hit.pt = Client;
  const LRESULT item = SendMessageW(FWindow, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  return (hit.flags & HHT_ONHEADER) ? static_cast<int>(item) : -1;
}

bool TSkinHeader::BeforeMessage(TMessage& m) {
  if (TSkinControl::BeforeMessage(m)) return true;
  TDataSkinObject* e = FSkinData ? FSkinData->Headerbar.get() : nullptr;
  if (!e || e->Bitmap.Empty()) return false;
  return PaintWholly(m);
}

void TSkinHeader::AfterMessage(TMessage& m) {
  const POINT at{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
  int pressed = FPressed, hot = FHot;
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
      pressed = ItemAt(at);
      break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      pressed = -1;
      break;
    case WM_MOUSEMOVE: {
      hot = ItemAt(at);
      TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, FWindow, 0};
      TrackMouseEvent(&t);
      break;
    }
    case WM_MOUSELEAVE:
      hot = -1;
      break;
    case WM_PAINT:
      return;  // painted before
    default:
      TSkinControl::AfterMessage(m);
      return;
  }
  if (pressed != FPressed || hot != FHot) {
    FPressed = pressed;
    FHot = hot;
    RepaintNow();
  }
}

void TSkinHeader::DrawControl(HDC DC, const RECT& Rect) {
  TDataSkinObject* e = FSkinData->Headerbar.get();
  if (!e || e->Bitmap.Empty()) return;
  RECT client{};
  GetClientRect(FWindow, &client);
  const int w = client.right, h = client.bottom;
  HDC off = FCanvas ? FCanvas->Prepare(w, h) : nullptr;
  if (!off || w <= 0 || h <= 0) return;
  const RECT all{0, 0, w, h};
  FillBackground(off, all);
  HBITMAP strip = SkinBitmapOf(e->Bitmap);
  const int frames = std::max(1, e->FrameCount);
  const RECT margins = ElementMargins(*e);
  auto frameOf = [&](int item) {
    const int f = item == FPressed ? 2 : item == FHot ? 3 : 1;
    return std::min(f, frames);
  };
  TSelectObject font(off, reinterpret_cast<HGDIOBJ>(SendMessageW(FWindow, WM_GETFONT, 0, 0)));
  const int count = static_cast<int>(SendMessageW(FWindow, HDM_GETITEMCOUNT, 0, 0));
  int right = 0;
  for (int i = 0; i < count; ++i) {
    RECT item{};
    if (!SendMessageW(FWindow, HDM_GETITEMRECT, static_cast<WPARAM>(i),
                      reinterpret_cast<LPARAM>(&item)))
      continue;
    right = std::max<int>(right, item.right);
    const int frame = frameOf(i);
    DrawNineSlice(off, item, strip, false, e->Tile == 1, e->Trans == 1, frames, frame, margins);
    wchar_t text[260] = {};
    HDITEMW hd{};
    hd.mask = HDI_TEXT | HDI_FORMAT;
    hd.pszText = text;
    hd.cchTextMax = 260;
    SendMessageW(FWindow, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&hd));
    const int align = hd.fmt & HDF_JUSTIFYMASK;
    const UINT format = align == HDF_CENTER ? DT_CENTER : align == HDF_RIGHT ? DT_RIGHT : DT_LEFT;
    const TColor colour = frame == 2   ? e->PressedColour2
                          : frame == 3 ? e->MouseOverColour2
                                       : e->NormalColour2;
    RECT box{item.left + 4, item.top, item.right - 4, item.bottom};
    DrawSkinCaption(off, box, text, format, IsWindowEnabled(FWindow) != FALSE,
                    TSkinData::ColorToRGB(colour));
  }
  // The bar beyond the last column.
  if (right < w) {
    const RECT rest{right, 0, w, h};
    DrawNineSlice(off, rest, strip, false, e->Tile == 1, e->Trans == 1, frames, 1, margins);
  }
  BitBlt(DC, Rect.left, Rect.top, w, h, off, 0, 0, SRCCOPY);
}
