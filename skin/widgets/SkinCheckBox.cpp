#include "skin/widgets/SkinCheckBox.h"

#include "core/skin/SkinWidgets.h"
#include "framework/StdCtrls.h"
#include "skin/SkinData.h"
#include "skin/SkinDraw.h"

TSkinPicture* TSkinCheckBox::Glyphs() const {
  return FSkinData && FSkinData->Buttons ? &FSkinData->Buttons->CheckBitmap : nullptr;
}

int TSkinCheckBox::GlyphFrames() const {
  return FSkinData && FSkinData->Buttons ? FSkinData->Buttons->CheckButtonFrame : 0;
}

bool TSkinCheckBox::IsChecked() const {
  if (auto* box = dynamic_cast<TCheckBox*>(FControl)) return box->Checked();
  return (SendMessageW(FWindow, BM_GETSTATE, 0, 0) & BST_CHECKED) != 0;
}

bool TSkinCheckBox::IsIndeterminate() const {
  return (SendMessageW(FWindow, BM_GETCHECK, 0, 0) & BST_INDETERMINATE) != 0;
}

TSkinPicture* TSkinRadioButton::Glyphs() const {
  return FSkinData && FSkinData->Buttons ? &FSkinData->Buttons->RadioBitmap : nullptr;
}

int TSkinRadioButton::GlyphFrames() const {
  return FSkinData && FSkinData->Buttons ? FSkinData->Buttons->RadioButtonFrame : 0;
}

bool TSkinRadioButton::IsChecked() const {
  return (SendMessageW(FWindow, BM_GETCHECK, 0, 0) & BST_CHECKED) != 0;
}

int TSkinCheckBox::Frame() const {
  TSkinPicture* glyphs = Glyphs();
  const int frames = GlyphFrames();
  if (!glyphs || glyphs->Empty() || frames < 1) return 0;
  const bool enabled = IsWindowEnabled(FWindow) != FALSE;
  return vpn::skin::GlyphFrameOf(IsChecked(), IsIndeterminate(), enabled, frames);
}

void TSkinCheckBox::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case CM_EXIT:
    case CM_CHECKCHANGED:
      // The system draws the box straight away on these, without a paint message.
      PaintTo(nullptr);
      return;
    default:
      TSkinControl::AfterMessage(m);
      return;
  }
}

void TSkinCheckBox::DrawControl(HDC DC, const RECT& Rect) {
  const int frame = Frame();
  if (!frame) return;
  TSkinPicture* glyphs = Glyphs();
  const int frames = GlyphFrames();
  const int gw = glyphs->Width / frames, gh = glyphs->Height;
  const bool textLeft = (GetWindowLongPtrW(FWindow, GWL_STYLE) & BS_LEFTTEXT) != 0;
  const vpn::skin::TPixelRect g =
      vpn::skin::GlyphRectOf(Rect.right - Rect.left, Rect.bottom - Rect.top, gw, gh, textLeft);
  const RECT target{Rect.left + g.Left, Rect.top + g.Top, Rect.left + g.Right, Rect.top + g.Bottom};
  // Drawn off screen with the face behind it, then copied in one go.
  HDC off = FCanvas ? FCanvas->Prepare(gw, gh) : nullptr;
  if (!off) return;
  const RECT local{0, 0, gw, gh};
  FillBackground(off, local);
  DrawFrame(off, local, SkinBitmapOf(*glyphs), true, frames, frame);
  BitBlt(DC, target.left, target.top, gw, gh, off, 0, 0, SRCCOPY);
}
