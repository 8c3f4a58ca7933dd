// Scroll bars drawn from the skin: the bars of a scrolling control (list boxes, multi-line
// edits, list views, any window with WS_HSCROLL or WS_VSCROLL) and stand-alone scroll-bar
// controls. The control keeps its own scrolling; after it has drawn its frame the skin
// paints the bars, their arrows and thumbs from the skin's scroll-bar pictures, and when
// it operates the bars it runs the presses itself (thumb drags, arrow and page clicks
// with their repeat), so that the system never draws its own bar in between. The control
// is told what the user did with the scroll messages it would get from the system.
#pragma once

#include <memory>

#include "core/skin/SkinScrollGeometry.h"
#include "skin/widgets/SkinControl.h"

class TDataSkinObject;

class TSkinScrollBar : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  ~TSkinScrollBar() override;

  // For scroll bars the third argument says whether the skin operates the bars itself.
  void Attach(TControl* AControl, TSkinData* ASkinData, bool AOperate,
              TSkinCanvas* ACanvas) override;
  // Plain windows are always operated by the skin.
  void AttachHandle(HWND AWindow, TSkinData* ASkinData, TSkinCanvas* ACanvas) override;
  void Detach() override;
  bool BeforeMessage(TMessage& Message) override;
  void AfterMessage(TMessage& Message) override;
  // Paints the bars into DC (the window's DC, or the control's own for a scroll-bar
  // control).
  void DrawControl(HDC DC, const RECT& Rect) override;
  void SkinChanged() override;

  // One bar of the control.
  struct TBar {
    SCROLLINFO Info{};
    RECT BarRect{};  // window coordinates (client coordinates for a scroll-bar control)
    int ArrowSize = 0;
    vpn::skin::TThumbGeometry Thumb;
    DWORD StyleBit = 0;
    bool Vertical = false;
  };

  int PressedPart = vpn::skin::ppNone;
  LONG_PTR Style = 0, ExStyle = 0;
  RECT CornerRect{};
  bool Tracking = false;
  bool Operate = false;
  bool ScrollingV = false, ScrollingH = false;
  TBar Horz, Vert;
  // A scroll-bar control of its own (class "ScrollBar") rather than a control's bars.
  bool ControlBar = false;

  // Whether the skin has the pictures to draw bars with.
  bool HasPictures() const;

 private:
  // The bars' rectangles from the window's styles and size; false when no bar shows.
  bool Layout();
  void UpdateThumb(TBar& Bar);
  bool BarDisabled(const TBar& Bar) const;
  void DrawBar(HDC DC, TBar& Bar);
  void PaintBars(HDC DC);
  void PaintBarsNow();
  // What the bars showed when last painted; a change after a message repaints them.
  struct TPainted {
    LONG_PTR Style = 0;
    SCROLLINFO H{}, V{};
    bool Enabled = true;
    bool operator==(const TPainted& o) const;
  };
  TPainted Current() const;
  void RepaintWhenChanged(bool Now);

  // Mouse handling on the bars (SkinScrollTrack.cpp).
  TBar* BarAt(POINT Screen);
  vpn::skin::TScrollHit HitAt(const TBar& Bar, POINT Screen) const;
  int Along(const TBar& Bar, POINT Screen) const;
  bool Press(POINT Screen);
  void RepeatPress(TBar& Bar, vpn::skin::TScrollHit Hit);
  void DragThumb(TBar& Bar, POINT Start);
  void Scroll(const TBar& Bar, int Code, int Pos);
  void SetHot(TBar* Bar, vpn::skin::TScrollHit Hit);
  void WatchLeave();

  TBar* FHotBar = nullptr;
  vpn::skin::TScrollHit FHot = vpn::skin::shNone;
  TPainted FPainted;
  bool FRepaintPosted = false;
  bool FPainting = false;
  bool FChecking = false;
  bool FDestroying = false;
  // Cleared when the object goes, so that a press loop can tell after dispatching.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
  TBrushHandle FTrackBrush;
  COLORREF FTrackColour = CLR_INVALID;
};
