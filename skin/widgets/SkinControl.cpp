#include "skin/widgets/SkinControl.h"

#include <algorithm>
#include <optional>

#include "core/skin/SkinWidgets.h"
#include "framework/Controls.h"
#include "skin/SkinChildControls.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"

using namespace vpn::skin;

// ---------------------------------------------------------------- TSkinCanvas

TSkinCanvas::TSkinCanvas() : FDC(CreateCompatibleDC(nullptr)) {}

HDC TSkinCanvas::Prepare(int w, int h) {
  if (w <= 0 || h <= 0) return nullptr;
  if (w > FWidth || h > FHeight) {
    const int nw = std::max(w, FWidth), nh = std::max(h, FHeight);
    TBitmapHandle bmp;
    {
      TWindowDC screen(nullptr);
      bmp.Reset(CreateCompatibleBitmap(screen.Get(), nw, nh));
    }
    if (!bmp || !FSelected.Select(FDC.Get(), bmp.Get())) {
      FBitmap.Reset();
      FWidth = FHeight = 0;
      return nullptr;
    }
    FBitmap = std::move(bmp);
    FWidth = nw;
    FHeight = nh;
  }
  return FDC.Get();
}

TSkinCanvas& SkinScratch() {
  thread_local TSkinCanvas canvas;
  return canvas;
}

// ---------------------------------------------------------------- message routing

TSkinControl* TSkinControl::FromWindow(HWND Wnd) {
  return TSkinSubclass::OwnerOf<TSkinControl>(Wnd);
}

// ---------------------------------------------------------------- TSkinControl

TSkinControl::TSkinControl(TComponent* AOwner) : TComponent(AOwner) {}

TSkinControl::~TSkinControl() {
  Detach();
  if (TSkinForm* f = OwnerForm()) f->Controls().Forget(this);
}

TSkinForm* TSkinControl::OwnerForm() const {
  return dynamic_cast<TSkinForm*>(Owner());
}

void TSkinControl::Attach(TControl* AControl, TSkinData* ASkinData, bool ARecolour,
                          TSkinCanvas* ACanvas) {
  if (FAttached || !AControl) return;
  auto* win = dynamic_cast<TWinControl*>(AControl);
  FControl = AControl;
  FSkinData = ASkinData;
  FRecolour = ARecolour;
  FCanvas = ACanvas;
  FWindow = win ? win->Handle() : nullptr;
  FHook.Attach(AControl, FWindow, this, [this](TMessage& m) { MessageEntry(m); });
  if (TSkinForm* f = OwnerForm()) f->Controls().Add(this);
  ReadState();
  ReadCaption();
  if (FRecolour) {
    FSavedColor = AControl->Color();
    AControl->SetColor(FrameworkColourOf(FSkinData->Colours.ButtonFace));
  }
  if (FWindow) InvalidateRect(FWindow, nullptr, TRUE);
  FAttached = true;
}

void TSkinControl::AttachHandle(HWND AWindow, TSkinData* ASkinData, TSkinCanvas* ACanvas) {
  if (FAttached || !AWindow || !IsWindow(AWindow)) return;
  FWindow = AWindow;
  FSkinData = ASkinData;
  FCanvas = ACanvas;
  FEnabled = true;
  ReadCaption();
  FFocused = GetFocus() == FWindow;
  if (!FHook.Attach(FWindow, this, [this](TMessage& m) { MessageEntry(m); })) return;
  FAttached = true;
}

void TSkinControl::Detach() {
  if (!FAttached) return;
  FAttached = false;
  FHook.Remove();
  if (FControl) {
    // The window is going with its form: the colour no longer matters to anybody.
    const TSkinForm* f = OwnerForm();
    const bool tearingDown = f && f->State() == sfsDetaching;
    if (FRecolour && !tearingDown && FWindow && IsWindow(FWindow)) FControl->SetColor(FSavedColor);
  }
  if (TSkinForm* f = OwnerForm()) f->Controls().ForgetHot(this);
  if (FWindow && IsWindow(FWindow)) InvalidateRect(FWindow, nullptr, TRUE);
  FControl = nullptr;
}

void TSkinControl::DeleteLater() {
  if (FDepth > 0)
    FDeleteLater = true;
  else
    delete this;
}

void TSkinControl::MessageEntry(TMessage& m) {
  // A failure of the control's own handler goes on to the guard that reports it; the
  // object stays sound either way, and goes once its outermost message has returned
  // when it was let go meanwhile.
  struct TLeave {
    TSkinControl* Self;
    ~TLeave() {
      if (--Self->FDepth == 0 && Self->FDeleteLater) delete Self;
    }
  };
  ++FDepth;
  TLeave leave{this};
  if (m.Msg == WM_ENABLE || m.Msg == CM_ENABLEDCHANGED || m.Msg == WM_SETFOCUS ||
      m.Msg == WM_KILLFOCUS)
    FPaintsBefore = FPaints;
  if (BeforeMessage(m)) return;
  CallOld(m);
  AfterMessage(m);
}

void TSkinControl::CallOld(TMessage& m) {
  FHook.CallNext(m);
}

bool TSkinControl::BeforeMessage(TMessage& Message) {
  if (Message.Msg == SM_QUERYSKINNED) {
    Message.Result = 1;
    return true;
  }
  return false;
}

void TSkinControl::AfterMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      // Drawn at once, unless the control drew itself for the change already. A control
      // loses the focus when it is disabled, before it hears of that: it is drawn once,
      // for the enabled change that follows.
      ReadState();
      if (FPaints != FPaintsBefore || !FWindow) break;
      if (FEnabled)
        RepaintNow();
      else
        InvalidateRect(FWindow, nullptr, FALSE);
      break;
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
      // A control that drew itself for the change has the skin's look already; any other
      // is drawn at the next pump, once, with whatever else changed with it.
      ReadState();
      if (FPaints == FPaintsBefore && FWindow) InvalidateRect(FWindow, nullptr, FALSE);
      break;
    case WM_SETTEXT:
      ReadCaption();
      RepaintNow();
      break;
    case WM_PAINT:
      PaintTo(reinterpret_cast<HDC>(m.WParam));
      break;
    case WM_NCDESTROY:
      Detach();
      break;
    default:
      break;
  }
}

void TSkinControl::ReadState() {
  if (!FWindow) return;
  FEnabled = IsWindowEnabled(FWindow) != FALSE;
  FFocused = GetFocus() == FWindow;
}

void TSkinControl::ReadCaption() {
  if (!FWindow) return;
  // A password edit's text is never copied: the skin draws no caption on an edit, and a
  // copy would keep the password in memory for the window's life. (The message is an
  // edit's own; other classes answer it with 0.)
  if (SendMessageW(FWindow, EM_GETPASSWORDCHAR, 0, 0) != 0) {
    FCaption.clear();
    return;
  }
  // Captions are short; a longer text is cut where the skin stops caring.
  wchar_t text[1001] = {};
  SendMessageW(FWindow, WM_GETTEXT, 1001, reinterpret_cast<LPARAM>(text));
  FCaption = text;
}

void TSkinControl::RepaintNow() {
  if (!FWindow || !IsWindow(FWindow)) return;
  InvalidateRect(FWindow, nullptr, FALSE);
  UpdateWindow(FWindow);
}

void TSkinControl::PaintTo(HDC DC) {
  if (!FWindow) return;
  RECT r{};
  if (!GetWindowRect(FWindow, &r)) return;
  FScreenRect = r;
  const RECT local{0, 0, r.right - r.left, r.bottom - r.top};
  std::optional<TWindowDC> own;
  if (!DC) DC = own.emplace(FWindow, true).Get();
  if (!DC) return;
  // A failed paint leaves the control as the system drew it; the failure is reported.
  GuardedCall([&] {
    ++FPaints;
    DrawControl(DC, local);
  });
}

bool TSkinControl::PaintWholly(TMessage& m) {
  if (m.Msg == WM_PAINT) {
    if (m.WParam) {
      PaintTo(reinterpret_cast<HDC>(m.WParam));
    } else {
      TPaintDC dc(FWindow);
      if (dc.Get()) PaintTo(dc.Get());
    }
    m.Result = 0;
    return true;
  }
  if (m.Msg == WM_ERASEBKGND) {
    m.Result = 1;
    return true;
  }
  return false;
}

void TSkinControl::SkinChanged() {
  if (FRecolour && FControl) FControl->SetColor(FrameworkColourOf(FSkinData->Colours.ButtonFace));
  if (FWindow) InvalidateRect(FWindow, nullptr, TRUE);
}

void TSkinControl::FillBackground(HDC DC, const RECT& Rect) {
  FillRect(DC, &Rect, FSkinData->FaceBrush());
}

void TSkinControl::MouseLeft() {
  if (FWindow) SendMessageW(FWindow, CM_MOUSELEAVE, 0, 0);
}

// ---------------------------------------------------------------- helpers

int32_t FrameworkColourOf(int32_t skin) {
  if (IsSystemColour(skin)) return clSystemColor | (skin & 0xFF);
  return skin;
}

void DrawSkinCaption(HDC DC, const RECT& Rect, const std::wstring& Text, UINT Format, bool Enabled,
                     COLORREF Colour) {
  const int oldMode = SetBkMode(DC, TRANSPARENT);
  const COLORREF oldColour = SetTextColor(DC, Enabled ? Colour : GetSysColor(COLOR_BTNSHADOW));
  const UINT align = Format & (DT_LEFT | DT_RIGHT | DT_CENTER);
  RECT measured = Rect;
  DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &measured,
            align | DT_EXPANDTABS | DT_CALCRECT | DT_NOCLIP);
  const TPixelRect box{Rect.left, Rect.top, Rect.right, Rect.bottom};
  const TCaptionAlign a = align == DT_CENTER ? caCentre : align == DT_RIGHT ? caRight : caLeft;
  const TPixelRect at =
      CaptionRectOf(box, measured.right - measured.left, measured.bottom - measured.top, a);
  RECT target{at.Left, at.Top, at.Right, at.Bottom};
  DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &target, align | DT_EXPANDTABS);
  SetTextColor(DC, oldColour);
  SetBkMode(DC, oldMode);
}
