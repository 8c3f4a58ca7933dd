#include "skin/widgets/SkinButton.h"

#include "core/skin/SkinWidgets.h"
#include "framework/Controls.h"
#include "framework/Gbk.h"
#include "skin/SkinChildControls.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"
#include "skin/SkinForm.h"

vpn::skin::TStateFrame TSkinButton::Frame() const {
  return vpn::skin::ButtonFrameOf(Pressed(), FFocused, Hot(), FEnabled);
}

bool TSkinButton::BeforeMessage(TMessage& m) {
  if (TSkinControl::BeforeMessage(m) || PaintWholly(m)) return true;
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The control's own handler never sees the press: the skin keeps the pressed state
      // and clicks on release.
      if (!FEnabled) return true;
      if (GetFocus() != FWindow) SetFocus(FWindow);
      FFocused = GetFocus() == FWindow;
      FButtonState |= bsPressed;
      // The release may happen outside the button: it still comes here.
      SetCapture(FWindow);
      RepaintNow();
      m.Result = 0;
      return true;
    case WM_LBUTTONUP:
      if (Pressed()) {
        // Released before the capture goes, so that losing it draws nothing.
        FButtonState &= ~bsPressed;
        if (GetCapture() == FWindow) ReleaseCapture();
        m.Result = 0;
        // Released off the button (no move came in between): no click.
        POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
        RECT c{};
        GetClientRect(FWindow, &c);
        if (!PtInRect(&c, p)) {
          RepaintNow();
          return true;
        }
        // The released look is drawn at the latest when the click has been handled, and
        // together with what the click changes on the button (a Connect disables
        // itself): one drawing instead of two. A click that pumps draws it there.
        InvalidateRect(FWindow, nullptr, FALSE);
        DoClick();
        if (IsWindow(FWindow)) UpdateWindow(FWindow);
        return true;
      }
      if (GetCapture() == FWindow) ReleaseCapture();
      return false;
    case WM_MOUSEMOVE:
      if (Pressed() && GetCapture() == FWindow) {
        // Dragged off the button while pressed: that is leaving it.
        POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
        RECT c{};
        GetClientRect(FWindow, &c);
        if (!PtInRect(&c, p)) {
          ReleaseCapture();
          MouseLeft();
          return true;
        }
      }
      return false;
    case WM_MOUSELEAVE:
      if (Hot() || Pressed()) MouseLeft();
      return false;
    case WM_CAPTURECHANGED:
      // Another window took the mouse while the button was held (a menu, a dialog, the
      // user switching windows): the press is over without a click.
      if (Pressed() && reinterpret_cast<HWND>(m.LParam) != FWindow) {
        FButtonState &= ~bsPressed;
        RepaintNow();
      }
      return false;
    default:
      return false;
  }
}

void TSkinButton::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
      if (m.WParam == VK_SPACE && FEnabled) {
        FButtonState |= bsPressed;
        RepaintNow();
      }
      return;
    case WM_KEYUP:
      if (m.WParam == VK_SPACE) {
        // The control's own handler clicked on this key-up if it saw the key-down: the
        // state only goes back.
        FButtonState &= ~bsPressed;
        RepaintNow();
      }
      return;
    case WM_MOUSEMOVE:
      if (!Hot() && FEnabled) BecomeHot();
      return;
    case BM_SETSTATE:
    case BM_SETSTYLE:
      // The system button draws itself straight away on these: the skin paints again.
      RepaintNow();
      return;
    case CM_MOUSEENTER:
      if (FEnabled) BecomeHot();
      return;
    case CM_MOUSELEAVE:
      if (FEnabled || FButtonState) StopBeingHot();
      return;
    default:
      TSkinControl::AfterMessage(m);
      return;
  }
}

void TSkinButton::BecomeHot() {
  FButtonState |= bsHot;
  if (TSkinForm* f = OwnerForm()) f->Controls().SetHot(this);
  // The system tells the button when the mouse leaves it, wherever it goes.
  TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, FWindow, 0};
  TrackMouseEvent(&t);
  RECT r{};
  if (GetWindowRect(FWindow, &r)) FScreenRect = r;
  RepaintNow();
}

void TSkinButton::StopBeingHot() {
  FButtonState &= ~(bsHot | bsPressed);
  if (TSkinForm* f = OwnerForm()) f->Controls().ForgetHot(this);
  RepaintNow();
}

void TSkinButton::DoClick() {
  if (FControl) {
    FControl->Click();
    return;
  }
  HWND parent = GetParent(FWindow);
  if (parent)
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(FWindow), BN_CLICKED),
                 reinterpret_cast<LPARAM>(FWindow));
}

void TSkinButton::DrawControl(HDC DC, const RECT& Rect) {
  TDataSkinButton* b = FSkinData ? FSkinData->Buttons.get() : nullptr;
  if (!b || b->Bitmap.Empty()) return;
  ReadState();
  ReadCaption();
  if (FCaption.empty() && FControl) FCaption = GbkToWide(FControl->Text());
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  HDC off = FCanvas ? FCanvas->Prepare(w, h) : nullptr;
  if (!off) return;
  const RECT r{0, 0, w, h};
  FillBackground(off, r);
  const int frame = Frame();
  DrawNineSlice(off, r, SkinBitmapOf(b->Bitmap), false, b->Tile == 1, b->Trans == 1, 5, frame,
                ElementMargins(*b));
  TSelectObject font(off, reinterpret_cast<HFONT>(SendMessageW(FWindow, WM_GETFONT, 0, 0)));
  TColor text = FSkinData->Colours.ButtonText;
  if (frame == vpn::skin::sfNormal) text = b->NormalColour2;
  if (frame == vpn::skin::sfHot) text = b->MouseOverColour2;
  if (frame == vpn::skin::sfPressed) text = b->PressedColour2;
  DrawSkinCaption(off, r, FCaption, DT_CENTER, FEnabled, TSkinData::ColorToRGB(text));
  BitBlt(DC, Rect.left, Rect.top, w, h, off, 0, 0, SRCCOPY);
}
