// The skin's look for one child control of a skinned window: the skin control puts itself
// in front of the control's message handling, lets the control do its work and paints
// over it (or instead of it) with pictures of the skin. This base holds the attaching
// (a framework control through its replaceable WindowProc, any other window by
// subclassing), the message routing and the repaint logic; each descendant knows one
// kind of control. Made and owned by the window's TSkinForm.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Classes.h"
#include "framework/Handles.h"
#include "framework/Messages.h"
#include "skin/SkinSubclass.h"

class TControl;
class TSkinData;
class TSkinForm;

// An off-screen surface that the controls of a window draw into before one copy reaches
// the screen. It only grows, so that repaints make no bitmap of their own.
class TSkinCanvas {
 public:
  TSkinCanvas();
  TSkinCanvas(const TSkinCanvas&) = delete;
  TSkinCanvas& operator=(const TSkinCanvas&) = delete;
  // The surface's DC with room for at least w x h pixels (contents undefined), or null.
  HDC Prepare(int w, int h);

 private:
  // In this order: the surface is put out of the DC before either goes.
  TMemoryDC FDC;
  TBitmapHandle FBitmap;
  TSelectObject FSelected;
  int FWidth = 0, FHeight = 0;
};

// The canvas every skinned control of the GUI thread draws through.
TSkinCanvas& SkinScratch();

enum TButtonStateBit : unsigned { bsHot = 1, bsPressed = 2 };

class TSkinControl : public TComponent {
 public:
  explicit TSkinControl(TComponent* AOwner);
  ~TSkinControl() override;

  // A framework control: its WindowProc is replaced by the skin control's message entry.
  // A second attach is ignored.
  virtual void Attach(TControl* AControl, TSkinData* ASkinData, bool ARecolour,
                      TSkinCanvas* ACanvas);
  // Any child window: its window procedure is replaced. The caller lists it.
  virtual void AttachHandle(HWND AWindow, TSkinData* ASkinData, TSkinCanvas* ACanvas);
  // The control gets its own procedure and (unless the window is being torn down) its
  // own colour back.
  virtual void Detach();
  // True: the skin control handled the message completely. False: the control's own
  // handler gets it next, then AfterMessage.
  virtual bool BeforeMessage(TMessage& Message);
  virtual void AfterMessage(TMessage& Message);
  // Paints into DC, or into the window's own DC when DC is null.
  virtual void PaintTo(HDC DC);
  virtual void DrawControl(HDC DC, const RECT& Rect) {}
  // The skin was read anew or colours changed.
  virtual void SkinChanged();

  void FillBackground(HDC DC, const RECT& Rect);
  // The mouse has left the control: tells the control the way the framework would.
  void MouseLeft();
  // Invalidates the whole window without erasing and paints it now.
  void RepaintNow();

  // The skin control attached to the window, or null.
  static TSkinControl* FromWindow(HWND Wnd);
  // The skinned window this control belongs to (its owner), or null.
  TSkinForm* OwnerForm() const;

  HWND Window() const { return FWindow; }
  TControl* Control() const { return FControl; }
  TSkinData* SkinData() const { return FSkinData; }
  bool Attached() const { return FAttached; }
  // The control's colour is the skin's face colour while skinned (set before attaching
  // for a skin control the application brings).
  bool Recolour() const { return FRecolour; }
  void SetRecolour(bool Value) { FRecolour = Value; }
  // The window text as the skin keeps it (a password edit's never).
  const std::wstring& Caption() const { return FCaption; }
  // Hot and pressed (TButtonStateBit) for the controls that show them.
  unsigned ButtonState() const { return FButtonState; }
  // The window rectangle on the screen when last painted or made hot.
  const RECT& ScreenRect() const { return FScreenRect; }
  // Times DrawControl ran (tests and benchmarks count paints with it).
  int Paints() const { return FPaints; }

 protected:
  // For a control the skin paints wholly: answers WM_PAINT by painting it (into the DC
  // the message brings, or between BeginPaint and EndPaint) and WM_ERASEBKGND by doing
  // nothing, as the paint covers every pixel. True when the message was one of them.
  bool PaintWholly(TMessage& Message);
  // The message for the control's own handler.
  void CallOld(TMessage& Message);
  void ReadCaption();
  void ReadState();
  // Destroys the object now, or when the message entry it runs in has returned.
  void DeleteLater();

  unsigned FButtonState = 0;
  TSkinCanvas* FCanvas = nullptr;
  bool FEnabled = true;
  bool FFocused = false;
  std::wstring FCaption;
  TSkinData* FSkinData = nullptr;
  HWND FWindow = nullptr;
  TControl* FControl = nullptr;
  RECT FScreenRect{};
  bool FRecolour = false;
  int32_t FSavedColor = 0;
  bool FAttached = false;
  int FPaints = 0;

 private:
  void MessageEntry(TMessage& Message);

  TSkinSubclass FHook;
  int FDepth = 0;
  bool FDeleteLater = false;
  // The paints before an enabled or focus change: whether the control drew for it.
  int FPaintsBefore = 0;
};

// Text of a control drawn the way the skinned controls draw captions: transparent,
// measured first and placed with CaptionRectOf (Format: DT_LEFT, DT_RIGHT or DT_CENTER),
// in the system's button-shadow colour when disabled.
void DrawSkinCaption(HDC DC, const RECT& Rect, const std::wstring& Text, UINT Format, bool Enabled,
                     COLORREF Colour);
// A skin colour in the framework's way of writing colours.
int32_t FrameworkColourOf(int32_t SkinColour);
