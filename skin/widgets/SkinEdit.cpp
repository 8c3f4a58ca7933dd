#include "skin/widgets/SkinEdit.h"

#include "skin/SkinChildControls.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/widgets/SkinUpDown.h"

bool TSkinEdit::HasBorder(int Margin) const {
  RECT w{}, c{};
  if (!GetWindowRect(FWindow, &w) || !GetClientRect(FWindow, &c)) return false;
  return (w.right - w.left) - c.right >= Margin && (w.bottom - w.top) - c.bottom >= Margin;
}

bool TSkinEdit::BorderIsWholeFrame() const {
  if (GetWindowLongPtrW(FWindow, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) return false;
  RECT w{}, c{};
  POINT origin{0, 0};
  if (!GetWindowRect(FWindow, &w) || !GetClientRect(FWindow, &c) ||
      !ClientToScreen(FWindow, &origin))
    return false;
  return (w.right - w.left) - c.right == 4 && (w.bottom - w.top) - c.bottom == 4 &&
         origin.x - w.left == 2 && origin.y - w.top == 2;
}

void TSkinEdit::DrawBorder(HDC DC, const RECT& Rect, HBRUSH Inner) {
  const COLORREF colour = TSkinData::ColorToRGB(FSkinData->Colours.ButtonShadow);
  if (!FShadow || colour != FShadowColour) {
    FShadow.Reset(CreateSolidBrush(colour));
    FShadowColour = colour;
  }
  FrameRect(DC, &Rect, FShadow.Get());
  RECT inner = Rect;
  InflateRect(&inner, -1, -1);
  FrameRect(DC, &inner, Inner);
}

void TSkinEdit::SkinUpDownChild() {
  FLookedForUpDown = true;
  HWND child = FindWindowExW(FWindow, nullptr, L"msctls_updown32", nullptr);
  if (!child) child = FindWindowExW(FWindow, nullptr, L"TSpinButton", nullptr);
  TSkinForm* form = OwnerForm();
  if (!child || !form) return;
  if (auto* spin = dynamic_cast<TSkinUpDown*>(
          form->Controls().SkinInnerWindow(child, vpn::skin::skUpDown))) {
    // Inside the edit its face stands a pixel in from the edit's own border.
    spin->SetBuddy(true);
    spin->RepaintNow();
  }
}

void TSkinEdit::DrawControl(HDC DC, const RECT& Rect) {
  if (!FLookedForUpDown) SkinUpDownChild();
  if (!HasBorder(1)) return;
  DrawBorder(DC, Rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

// Where the skin's border covers the whole frame, the system does not draw its own first
// (under a theme that is the dearest part of painting an edit).
bool TSkinEdit::BeforeMessage(TMessage& m) {
  if (TSkinControl::BeforeMessage(m)) return true;
  if (m.Msg == WM_NCPAINT && BorderIsWholeFrame()) {
    PaintTo(nullptr);
    m.Result = 0;
    return true;
  }
  return false;
}

void TSkinEdit::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_PAINT:
      // Painting the client area cannot reach a frame the skin covers wholly (that is
      // drawn with the frame's own message).
      if (m.WParam == 0 && !BorderIsWholeFrame()) PaintTo(nullptr);
      return;
    case WM_NCPAINT:
      // The system has just drawn its own sunken border again.
      PaintTo(nullptr);
      return;
    case WM_PRINT:
      if (m.WParam && HasBorder(3)) {
        RECT w{};
        GetWindowRect(FWindow, &w);
        const RECT r{0, 0, w.right - w.left, w.bottom - w.top};
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        DrawBorder(dc, r, static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH)));
      }
      return;
    default:
      TSkinControl::AfterMessage(m);
      return;
  }
}
