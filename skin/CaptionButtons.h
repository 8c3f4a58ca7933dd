// The caption buttons of a skinned frame and the mouse over the frame: the buttons the
// skin defines (close, maximise, minimise, the system menu, the buttons of a maximised
// MDI child and any the program defines), which of them or of the menu bar's buttons is
// lit or held under the mouse, the timer that notices the mouse leaving it, what a click
// does, and the skin's own system menu.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "core/skin/SkinFrame.h"

class TCaptionButtons;
class TDataSkinSysButton;
class TPopupMenu;
class TSkinForm;
class TTimer;

// Something in the non-client area that reacts to the mouse: a caption button or a
// button of the menu bar. Bounds are frame coordinates (0, 0 is the window's top-left
// corner).
class TNCObject {
 public:
  explicit TNCObject(TCaptionButtons& AOwner) : FOwner(AOwner) {}
  virtual ~TNCObject() = default;
  TNCObject(const TNCObject&) = delete;
  TNCObject& operator=(const TNCObject&) = delete;

  virtual void MouseDown();
  virtual void MouseUp();
  virtual void MouseMove();
  virtual void MouseLeave();
  virtual void Paint() {}

  const RECT& Bounds() const { return FBounds; }
  void SetBounds(const RECT& Value) { FBounds = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }
  vpn::skin::TNCState State() const { return FState; }
  void SetState(vpn::skin::TNCState Value) { FState = Value; }

 protected:
  TCaptionButtons& Owner() const { return FOwner; }

 private:
  TCaptionButtons& FOwner;
  RECT FBounds{};
  bool FVisible = false;
  vpn::skin::TNCState FState = vpn::skin::nsNormal;
};

// A caption button of the skin.
class TWinSysButton : public TNCObject {
 public:
  TWinSysButton(TCaptionButtons& AOwner, TSkinForm& AForm, TDataSkinSysButton* AElement);
  void Paint() override;

  TDataSkinSysButton* Element() const { return FElement; }
  // The system-menu button without a picture of its own shows the window's icon.
  bool UsesIcon() const { return FUsesIcon; }

 private:
  TSkinForm& FForm;
  TDataSkinSysButton* FElement;
  bool FUsesIcon;
};

class TCaptionButtons {
 public:
  using TList = std::vector<std::unique_ptr<TWinSysButton>>;

  explicit TCaptionButtons(TSkinForm& AForm);
  ~TCaptionButtons();
  TCaptionButtons(const TCaptionButtons&) = delete;
  TCaptionButtons& operator=(const TCaptionButtons&) = delete;

  // One button per caption-button element of the form's skin; none.
  void Reload();
  void Clear();
  const TList& List() const { return FButtons; }
  // The caption button under a frame point (buttons with an action only), or null.
  TWinSysButton* ButtonAt(POINT Frame) const;

  // The object lit or held under the mouse: a caption button or a menu-bar button.
  TNCObject* Hot() const { return FHot; }
  void SetHot(TNCObject* Object);
  // Forgets the hot object without painting it again (its place is painted anew), when
  // it is Object (or whichever it is, for null).
  void ForgetHot(const TNCObject* Object = nullptr);
  // The hot object goes back to rest unpainted after a paint of the whole frame; the
  // button of an open drop-down stays held.
  void RestAfterPaint();

  // Whether the frame follows the mouse at all (while the window is active). A lit or
  // held button is let go when the system says the mouse left the frame; the timer
  // that checks for a mouse that left without a word runs only while a button is lit
  // or held, so a window nobody points at never wakes.
  void SetTracking(bool On);
  bool Ticking() const;
  // The non-client mouse messages of the window; true when the skin answered (Result).
  bool Mouse(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result);
  // The skin's own system menu (or the window's own, for the icon's click when the skin
  // does not skin system menus) at a screen point.
  void MakeSystemMenu();
  void ShowSystemMenu(POINT Screen, bool FromButton);
  // The window lets go of the skin: the timer stops and the system menu goes.
  void Detach();

 private:
  bool MouseMove(POINT Frame);
  bool ButtonDown(WPARAM HitTest, LPARAM lParam, POINT Frame, LRESULT& Result);
  bool ButtonUp(POINT Frame, POINT Screen);
  bool DoubleClick(POINT Frame);
  void Click(TWinSysButton* Button, POINT Screen);
  void ChildCommand(vpn::skin::TCaptionCommand Command);
  void SystemMenuClick(POINT Screen);
  void Close();
  void Tick();
  // The timer runs exactly while the frame follows the mouse and something is lit.
  void UpdateTimer();
  // The system is asked for a word when the mouse leaves the frame: once while something
  // is lit, not at every move.
  void TrackLeave();

  TSkinForm& FForm;
  TList FButtons;
  TNCObject* FHot = nullptr;
  bool FTracking = false;
  bool FLeaveAsked = false;
  std::unique_ptr<TTimer> FTimer;
  std::unique_ptr<TPopupMenu> FSystemMenu;
  DWORD FLastClickTime = 0;
  DWORD FDoubleClickTime = 0;
};
