// Scroll bars drawn from the skin: the bars of a scrolling control (list boxes, multi-line
// edits, list views, any window with WS_HSCROLL or WS_VSCROLL) and stand-alone scroll-bar
// controls. The control keeps its own scrolling; the skin paints the bars, their arrows
// and thumbs from the skin's scroll-bar pictures, and when it operates the bars it runs
// the presses itself (thumb drags, arrow and page clicks with their repeat), so that the
// system never draws its own bar in between. The control (or a scroll-bar control's
// parent) is told what the user did with the scroll messages it would get from the
// system.
#pragma once

#include <memory>

#include "core/skin/SkinScrollGeometry.h"
#include "skin/widgets/SkinControl.h"

// Draws one bar from the skin's scroll-bar pictures: track, arrows and thumb, off screen
// at the pictures' thickness and stretched across the bar in one copy.
class TScrollBarPainter {
 public:
  // Bar: the bar's rectangle in DC; ArrowSize: the arrows' length; Thumb: where the
  // thumb lies in the track.
  void Paint(HDC DC, const RECT& Bar, bool Vertical, int ArrowSize,
             const vpn::skin::TThumbGeometry& Thumb, const vpn::skin::TBarLook& Look,
             TSkinData* Skin, TSkinCanvas* Canvas);
  // The skin's colours may have changed.
  void SkinChanged();

 private:
  TBrushHandle FTrackBrush;
  COLORREF FTrackColour = CLR_INVALID;
};

// What a control's own bars and a scroll-bar control share: the bars' scroll state and
// thumbs, the part under the mouse, and the presses the skin runs itself.
class TSkinBars : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;
  ~TSkinBars() override;

  // The frame goes back to the system, bars and all.
  void Detach() override;
  void DrawControl(HDC DC, const RECT& Rect) override;
  void SkinChanged() override;
  // What both kinds do after the control's own handling of a message that is not a paint:
  // the bars are repainted when what they show changed.
  void AfterMessage(TMessage& Message) override;
  // Whether the skin has the pictures to draw bars with.
  bool HasPictures() const;
  // The part of a bar that shows pressed (arrows and thumbs of either bar).
  vpn::skin::TPressedPart PressedPart() const { return FPressedPart; }

 protected:
  // One bar: its scroll state, its rectangle (window coordinates for a control's own
  // bars, client coordinates for a scroll-bar control) and its thumb.
  struct TBar {
    SCROLLINFO Info{sizeof(SCROLLINFO), 0, 0, 0, 0, 0, 0};
    RECT BarRect{};
    int ArrowSize = 0;
    vpn::skin::TThumbGeometry Thumb;
    bool Vertical = false;
  };
  // What the bars showed when last painted; a change after a message repaints them.
  struct TPainted {
    LONG_PTR Style = 0;
    SCROLLINFO H{}, V{};
    bool Enabled = true;
    bool operator==(const TPainted& o) const;
  };

  // What differs between a control's own bars and a scroll-bar control.
  // The bars' rectangles now; false when no bar shows.
  virtual bool Layout() = 0;
  // The scroll-bar kind GetScrollInfo takes for the bar, and its accessibility object.
  virtual int BarKind(const TBar& Bar) const = 0;
  virtual LONG BarObject(const TBar& Bar) const = 0;
  // Where the bars' rectangles start on the screen.
  virtual POINT Origin() const = 0;
  // Tells the control (or the scroll-bar control's parent) what the user did; Post: the
  // message is posted rather than sent.
  virtual void Notify(const TBar& Bar, int Code, int Pos, bool Post) = 0;
  // Paints the bars at once, onto the window.
  virtual void ShowBars() = 0;
  // The scroll state of the bars that show, read from the window into State.
  virtual void ReadScrollState(TPainted& State) const = 0;
  // What the mouse leaving the window is asked for with.
  virtual DWORD LeaveFlags() const = 0;
  // The bars show a change the control heard of at once.
  virtual void ShowChanged() { ShowBars(); }
  // The control's focus or enabled state changed.
  virtual void StateChanged() { RepaintWhenChanged(true); }
  // The state the bars show, as read from the window now.
  TPainted Current() const;
  void PaintBars(HDC DC);
  // Repaints when what the bars show changed: at once, or by one posted message for
  // many changes in a row.
  void RepaintWhenChanged(bool Now);
  // The message that a posted repaint arrived; true when it was one.
  bool RepaintMessage(TMessage& Message);
  void UpdateThumb(TBar& Bar);
  bool BarDisabled(const TBar& Bar) const;
  // Mouse handling on the bars (SkinScrollTrack.cpp).
  TBar* BarAt(POINT Screen);
  vpn::skin::TScrollHit HitAt(const TBar& Bar, POINT Screen) const;
  void SetHot(TBar* Bar, vpn::skin::TScrollHit Hit);
  // A press at a screen point; true when it was on a bar (and is done with).
  bool Press(POINT Screen);

  TBar FHorz, FVert;
  RECT FCornerRect{};
  vpn::skin::TPressedPart FPressedPart = vpn::skin::ppNone;
  bool FTracking = false;
  bool FDestroying = false;
  // The control is inside its own handling of a scroll message of that bar: the bar is
  // drawn once it is back.
  bool FScrollingV = false, FScrollingH = false;

 private:
  int Along(const TBar& Bar, POINT Screen) const;
  void RepeatPress(TBar& Bar, vpn::skin::TScrollHit Hit);
  void DragThumb(TBar& Bar, POINT Start);
  void EndDrag(TBar& Bar, int Value);
  void WatchLeave();

  TScrollBarPainter FPainter;
  TBar* FHotBar = nullptr;
  vpn::skin::TScrollHit FHot = vpn::skin::shNone;
  TPainted FPainted;
  bool FRepaintPosted = false;
  bool FPainting = false;
  bool FChecking = false;
  // Cleared when the object goes, so that a press loop can tell after dispatching.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// The bars of a scrolling control, painted after the control has drawn its frame.
class TSkinScrollBar : public TSkinBars {
 public:
  using TSkinBars::TSkinBars;

  // For scroll bars the third argument says whether the skin operates the bars itself.
  void Attach(TControl* AControl, TSkinData* ASkinData, bool AOperate,
              TSkinCanvas* ACanvas) override;
  // Plain windows are always operated by the skin.
  void AttachHandle(HWND AWindow, TSkinData* ASkinData, TSkinCanvas* ACanvas) override;
  bool BeforeMessage(TMessage& Message) override;
  void AfterMessage(TMessage& Message) override;

 protected:
  bool Layout() override;
  int BarKind(const TBar& Bar) const override;
  LONG BarObject(const TBar& Bar) const override;
  POINT Origin() const override;
  void Notify(const TBar& Bar, int Code, int Pos, bool Post) override;
  void ShowBars() override;
  void ReadScrollState(TPainted& State) const override;
  DWORD LeaveFlags() const override { return TME_LEAVE | TME_NONCLIENT; }

 private:
  void FrameChanged();
  // The control's frame drawn by the control except under the bars, then the bars.
  void PaintFrame(TMessage& Message);
  // The control's own handling of its scroll message, with the bar drawn once it is back.
  void OwnScroll(TMessage& Message);
  bool MouseMessage(TMessage& Message);

  bool FOperate = false;
};

// A scroll-bar control (class "ScrollBar"): the whole control is one bar, painted by the
// skin instead of the control, which keeps only its scroll state.
class TSkinScrollBarControl : public TSkinBars {
 public:
  using TSkinBars::TSkinBars;

  void AttachHandle(HWND AWindow, TSkinData* ASkinData, TSkinCanvas* ACanvas) override;
  bool BeforeMessage(TMessage& Message) override;
  void AfterMessage(TMessage& Message) override;

 protected:
  bool Layout() override;
  int BarKind(const TBar& Bar) const override;
  LONG BarObject(const TBar& Bar) const override;
  POINT Origin() const override;
  void Notify(const TBar& Bar, int Code, int Pos, bool Post) override;
  void ShowBars() override;
  void ReadScrollState(TPainted& State) const override;
  DWORD LeaveFlags() const override { return TME_LEAVE; }
  // Painted through its own paint message, which also validates it.
  void ShowChanged() override { RepaintNow(); }
  void StateChanged() override { RepaintNow(); }

 private:
  bool MouseMessage(TMessage& Message);
  // SBM_SETSCROLLINFO and its kin: the control takes the new state without drawing it.
  void QuietState(TMessage& Message);
};
