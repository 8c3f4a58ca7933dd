// Combo boxes: the box paints itself, then the skin draws the frame ring and the
// drop-down button over it from the SunkEdge and ComboButton pictures (frame 1 at rest,
// 2 pressed, 3 disabled, 4 focused or under the mouse), with the arrow glyph from
// ExtraImages. The text area is left as the box drew it. Boxes laid out right to left
// get the button on the left, from the mirrored button picture. A skin without a
// button picture, or (in the sunken look) without a frame picture, leaves the box in its
// own look. Where the system keeps its own button on the right of such a box whatever
// its layout says, the skin takes the whole box over: it paints the face and the
// selected item right of its button (or moves the edit field there) and hands clicks on
// its button to the box as clicks on the box's own button.
#pragma once

#include "core/skin/SkinWidgets.h"
#include "skin/widgets/SkinControl.h"

class TSkinComBox : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;

  // An edit field moved right of the left button goes back where the box put it, when
  // the skin lets go of the box and when the skin control goes away.
  ~TSkinComBox() override;
  void Detach() override;
  bool BeforeMessage(TMessage& Message) override;
  void AfterMessage(TMessage& Message) override;
  void DrawControl(HDC DC, const RECT& Rect) override;

  bool Hot() const { return (FButtonState & bsHot) != 0; }
  bool Pressed() const { return (FButtonState & bsPressed) != 0; }
  // The frame of the button strip the box shows now.
  vpn::skin::TStateFrame Frame() const;

 private:
  void DrawSimple(HDC DC, const RECT& Rect, int Frame);
  // True when the box is drawn with the skin's button on the left.
  bool LeftButtonLook() const;
  // The edit field of an editable box right of the left button; its rectangle in the
  // box's window coordinates, or an empty one for a drop-down list.
  RECT PlaceEdit(const RECT& TextArea);
  // The face right of the left button: the background, and for a drop-down list
  // (WithItem) the selected item.
  void DrawFace(HDC DC, const RECT& TextArea, bool WithItem);
  // The selected item, highlighted while the box has the focus.
  void DrawItem(HDC DC, const RECT& TextArea);
  void PutEditBack();
  // The edit field the skin moved and where the box had put it (client coordinates).
  HWND FEdit = nullptr;
  RECT FEditHome{};
  // The box's window styles at the last paint.
  LONG_PTR FStyle = 0, FExStyle = 0;
  void SetHot(bool On);
};
