// Check boxes and radio buttons: the control paints itself as usual and the skin then
// paints its glyph (unchecked, checked, and two more frames when disabled) over the
// standard box.
#pragma once

#include "skin/widgets/SkinControl.h"

struct TSkinPicture;

class TSkinCheckBox : public TSkinControl {
 public:
  using TSkinControl::TSkinControl;

  void AfterMessage(TMessage& Message) override;
  void DrawControl(HDC DC, const RECT& Rect) override;
  // The glyph frame shown now, or 0 when the skin has no glyph for the control.
  int Frame() const;

 protected:
  virtual TSkinPicture* Glyphs() const;
  virtual int GlyphFrames() const;
  virtual bool IsChecked() const;
  bool IsIndeterminate() const;
};

class TSkinRadioButton : public TSkinCheckBox {
 public:
  using TSkinCheckBox::TSkinCheckBox;

 protected:
  TSkinPicture* Glyphs() const override;
  int GlyphFrames() const override;
  bool IsChecked() const override;
};
