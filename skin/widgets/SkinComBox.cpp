#include "skin/widgets/SkinComBox.h"

#include <algorithm>

#include "core/skin/SkinValueGeometry.h"
#include "framework/Graphics.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"

using namespace vpn::skin;

namespace {

RECT ToRect(const TPixelRect& r) {
  return {r.Left, r.Top, r.Right, r.Bottom};
}

// Where the client area starts in the window's own coordinates (the skin paints the
// whole window; mouse messages and child windows speak client coordinates).
POINT ClientOrigin(HWND w) {
  RECT wr{};
  GetWindowRect(w, &wr);
  POINT p{0, 0};
  ClientToScreen(w, &p);
  return {p.x - wr.left, p.y - wr.top};
}

COMBOBOXINFO InfoOf(HWND w) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (!GetComboBoxInfo(w, &info)) info = COMBOBOXINFO{};
  return info;
}

bool Contains(const TPixelRect& r, int x, int y) {
  return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

}  // namespace

TStateFrame TSkinComBox::Frame() const {
  return ComboFrameOf(Pressed(), FFocused, Hot(), FEnabled);
}

void TSkinComBox::SetHot(bool On) {
  if (On == Hot()) return;
  if (On) {
    FButtonState |= bsHot;
    // The system tells the box when the mouse leaves it.
    TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, FWindow, 0};
    TrackMouseEvent(&t);
  } else {
    FButtonState &= ~bsHot;
  }
  RepaintNow();
}

bool TSkinComBox::LeftButtonLook() const {
  TDataSkinBorder* cb = FSkinData ? FSkinData->ComboButton.get() : nullptr;
  TDataSkinObject* edge = FSkinData ? FSkinData->SunkEdge.get() : nullptr;
  return cb && !cb->Bitmap.Empty() && cb->Style != 1 && edge && !edge->Bitmap.Empty() &&
         (GetWindowLongPtrW(FWindow, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
}

bool TSkinComBox::BeforeMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE: {
      // The skin's left button is the box's button, wherever the box keeps its own: a
      // point on it reaches the box as the middle of the box's own button.
      if (!LeftButtonLook()) break;
      const COMBOBOXINFO info = InfoOf(FWindow);
      if (IsRectEmpty(&info.rcButton)) break;
      const int x = static_cast<short>(LOWORD(m.LParam)), y = static_cast<short>(HIWORD(m.LParam));
      const POINT o = ClientOrigin(FWindow);
      RECT wr{};
      GetWindowRect(FWindow, &wr);
      const TComboLayout l = ComboLayoutOf(wr.right - wr.left, wr.bottom - wr.top,
                                           GetSystemMetrics(SM_CXHSCROLL), true);
      const POINT p{x, y};
      if (!Contains(l.Button, x + o.x, y + o.y) || PtInRect(&info.rcButton, p)) break;
      m.LParam = MAKELPARAM((info.rcButton.left + info.rcButton.right) / 2,
                            (info.rcButton.top + info.rcButton.bottom) / 2);
      break;
    }
    default:
      break;
  }
  return TSkinControl::BeforeMessage(m);
}

RECT TSkinComBox::PlaceEdit(const RECT& text) {
  const COMBOBOXINFO info = InfoOf(FWindow);
  if (!info.hwndItem || info.hwndItem == FWindow) return {};
  // The edit keeps the height and top the box gave it and takes the text area's width
  // inside a one-pixel margin. The box puts it back on its own after a size or font
  // change; every paint after that moves it here again.
  const POINT o = ClientOrigin(FWindow);
  RECT r{};
  GetWindowRect(info.hwndItem, &r);
  MapWindowPoints(nullptr, FWindow, reinterpret_cast<POINT*>(&r), 2);
  const RECT want{text.left + 1 - o.x, r.top, text.right - 1 - o.x, r.bottom};
  if (!EqualRect(&r, &want) && want.right > want.left) {
    FEdit = info.hwndItem;
    FEditHome = r;
    SetWindowPos(info.hwndItem, nullptr, want.left, want.top, want.right - want.left,
                 want.bottom - want.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return {want.left + o.x, want.top + o.y, want.right + o.x, want.bottom + o.y};
}

TSkinComBox::~TSkinComBox() {
  PutEditBack();
}

void TSkinComBox::Detach() {
  PutEditBack();
  TSkinControl::Detach();
}

void TSkinComBox::PutEditBack() {
  if (FEdit && IsWindow(FEdit) && FWindow && IsWindow(FWindow) && IsChild(FWindow, FEdit)) {
    SetWindowPos(FEdit, nullptr, FEditHome.left, FEditHome.top, FEditHome.right - FEditHome.left,
                 FEditHome.bottom - FEditHome.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FEdit = nullptr;
}

void TSkinComBox::DrawFace(HDC DC, const RECT& text, bool withItem) {
  // The canvas is shared by every skinned control: its colours and font go back after.
  TSavedDC saved(DC);
  // The face's colours come from the box's parent, as for the box's own painting; a
  // disabled box writes grey whatever the parent says.
  HWND parent = GetParent(FWindow);
  SetTextColor(DC, GetSysColor(FEnabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  SetBkColor(DC, GetSysColor(FEnabled ? COLOR_WINDOW : COLOR_BTNFACE));
  auto brush = parent ? reinterpret_cast<HBRUSH>(SendMessageW(
                            parent, FEnabled ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                            reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(FWindow)))
                      : nullptr;
  FillRect(DC, &text, brush ? brush : GetSysColorBrush(FEnabled ? COLOR_WINDOW : COLOR_BTNFACE));
  if (!FEnabled) SetTextColor(DC, GetSysColor(COLOR_GRAYTEXT));

  const LONG_PTR style = GetWindowLongPtrW(FWindow, GWL_STYLE);
  // An owner-drawn box's items are its owner's to draw: the face stays empty.
  if (withItem && !(style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE))) DrawItem(DC, text);
}

void TSkinComBox::DrawItem(HDC DC, const RECT& text) {
  std::wstring item;
  const LRESULT sel = SendMessageW(FWindow, CB_GETCURSEL, 0, 0);
  if (sel != CB_ERR) {
    const LRESULT n = SendMessageW(FWindow, CB_GETLBTEXTLEN, sel, 0);
    if (n > 0) {
      item.resize(static_cast<size_t>(n) + 1);
      const LRESULT got =
          SendMessageW(FWindow, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(item.data()));
      item.resize(got > 0 ? static_cast<size_t>(got) : 0);
    }
  }
  // The selected item's strip, highlighted while the box has the focus and no open list.
  RECT strip = text;
  InflateRect(&strip, -1, -1);
  const bool highlight =
      FEnabled && GetFocus() == FWindow && !SendMessageW(FWindow, CB_GETDROPPEDSTATE, 0, 0);
  if (highlight) {
    FillRect(DC, &strip, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(DC, GetSysColor(COLOR_HIGHLIGHTTEXT));
  }
  // A box nobody gave a font writes in the system font, as a fresh DC does.
  auto font = reinterpret_cast<HFONT>(SendMessageW(FWindow, WM_GETFONT, 0, 0));
  TSelectObject useFont(DC, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
  SetBkMode(DC, TRANSPARENT);
  RECT t = strip;
  InflateRect(&t, -2, 0);
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
  if (FExStyle & WS_EX_RIGHT) format |= DT_RIGHT;
  if (FExStyle & WS_EX_RTLREADING) format |= DT_RTLREADING;
  DrawTextW(DC, item.c_str(), static_cast<int>(item.size()), &t, format);
  if (highlight) DrawFocusRect(DC, &strip);
}

void TSkinComBox::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      FButtonState |= bsPressed;
      RepaintNow();
      return;
    case WM_LBUTTONUP:
      FButtonState &= ~bsPressed;
      RepaintNow();
      return;
    case WM_MOUSEMOVE:
    case CM_MOUSEENTER:
      if (FEnabled) SetHot(true);
      return;
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
      // Leaving the box for its own drop-down list still counts as leaving.
      SetHot(false);
      return;
    case WM_CAPTURECHANGED:
      // The list closed or another window took the mouse while the button was held.
      if (Pressed() && reinterpret_cast<HWND>(m.LParam) != FWindow) {
        FButtonState &= ~bsPressed;
        RepaintNow();
      }
      return;
    default:
      TSkinControl::AfterMessage(m);
      return;
  }
}

void TSkinComBox::DrawSimple(HDC DC, const RECT& Rect, int frame) {
  TDataSkinBorder* cb = FSkinData->ComboButton.get();
  const TSimpleComboLayout l = SimpleComboLayoutOf(Rect.right - Rect.left, Rect.bottom - Rect.top,
                                                   GetSystemMetrics(SM_CYVTHUMB));
  auto brush = static_cast<HBRUSH>(GetCurrentObject(DC, OBJ_BRUSH));
  const RECT f = ToRect(l.Frame), b = ToRect(l.Button);
  FrameRect(DC, &f, brush);
  FillRect(DC, &b, brush);
  DrawFrame(DC, b, SkinBitmapOf(cb->Bitmap), cb->Trans == 1, cb->FrameCount, frame);
  const auto shadow = static_cast<TColor>(TSkinData::ColorToRGB(FSkinData->Colours.ButtonShadow));
  FrameRect(DC, &Rect, ColorBrush(shadow));
}

void TSkinComBox::DrawControl(HDC DC, const RECT& Rect) {
  TDataSkinBorder* cb = FSkinData ? FSkinData->ComboButton.get() : nullptr;
  if (!cb || cb->Bitmap.Empty()) return;
  ReadState();
  // The focus of an editable box sits in its edit field.
  if (!FFocused && GetFocus() && IsChild(FWindow, GetFocus())) FFocused = true;
  FStyle = GetWindowLongPtrW(FWindow, GWL_STYLE);
  FExStyle = GetWindowLongPtrW(FWindow, GWL_EXSTYLE);
  const int frame = Frame();
  if (cb->Style == 1) {
    DrawSimple(DC, Rect, frame);
    return;
  }
  TDataSkinObject* edge = FSkinData->SunkEdge.get();
  if (!edge || edge->Bitmap.Empty()) return;

  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  HDC off = FCanvas ? FCanvas->Prepare(w, h) : nullptr;
  if (!off) return;
  const RECT all{0, 0, w, h};
  FillBackground(off, all);
  DrawNineSlice(off, all, SkinBitmapOf(edge->Bitmap), false, edge->Tile == 1, edge->Trans == 1,
                edge->FrameCount, std::min(frame, edge->FrameCount), ElementMargins(*edge));
  const bool left = (FExStyle & WS_EX_LEFTSCROLLBAR) != 0;
  const TComboLayout l = ComboLayoutOf(w, h, GetSystemMetrics(SM_CXHSCROLL), left);
  if (l.SecondPicture && !cb->Bitmap2.Empty()) {
    // The second picture mirrors the whole strip, which also turns the order of its
    // frames around: frame k of the button is frame N + 1 - k there.
    DrawFrame(off, ToRect(l.Button), SkinBitmapOf(cb->Bitmap2), true, cb->FrameCount,
              cb->FrameCount + 1 - frame);
  } else {
    DrawFrame(off, ToRect(l.Button), SkinBitmapOf(cb->Bitmap), true, cb->FrameCount, frame);
  }
  TDataSkinObject* extra = FSkinData->ExtraImages.get();
  if (extra && !extra->Bitmap.Empty() && frame <= extra->FrameCount) {
    const int gw = extra->Bitmap.Width / extra->FrameCount, gh = extra->Bitmap.Height;
    DrawFrame(off, ToRect(CentredIn(l.GlyphArea, gw, gh)), SkinBitmapOf(extra->Bitmap), true,
              extra->FrameCount, frame);
  }
  // One copy to the screen, around the text the box drew itself. A box with the button
  // on the left gets its whole face from the skin, except for an edit field, which
  // paints itself.
  RECT keep = ToRect(l.TextArea);
  if (left) {
    keep = PlaceEdit(keep);
    DrawFace(off, ToRect(l.TextArea), IsRectEmpty(&keep));
  }
  TSavedDC saved(DC);
  if (!IsRectEmpty(&keep))
    ExcludeClipRect(DC, Rect.left + keep.left, Rect.top + keep.top, Rect.left + keep.right,
                    Rect.top + keep.bottom);
  BitBlt(DC, Rect.left, Rect.top, w, h, off, 0, 0, SRCCOPY);
}
