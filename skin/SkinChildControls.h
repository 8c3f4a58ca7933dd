// The skin controls of a skinned window's child controls: the walk over a form's
// controls (or a plain window's child windows) that gives each one the skin control
// chosen for it, the list of those skin controls, and the push button the mouse is over.
// The skin controls themselves are owned as components by the window's TSkinForm.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/skin/SkinControlChoice.h"

class TComponent;
class TControl;
class TSkinControl;
class TSkinForm;
class TWinControl;

class TSkinChildControls {
 public:
  explicit TSkinChildControls(TSkinForm& AForm) : FForm(AForm) {}
  TSkinChildControls(const TSkinChildControls&) = delete;
  TSkinChildControls& operator=(const TSkinChildControls&) = delete;

  // The controls a form (or a panel or embedded form on it) owns get the skin controls
  // chosen for them; a control that has one already is passed over.
  void SkinControlsOf(TComponent* Container);
  // The child windows of a plain window, by their window classes.
  void SkinChildWindows(HWND Parent);
  // A window inside one of the controls (a tab row's scroll arrows) gets the skin
  // control of that kind, once; null when the skin has none for it.
  TSkinControl* SkinInnerWindow(HWND Inner, vpn::skin::TSkinControlKind Kind);
  // A skin control that attached itself goes on the list (once); one that goes away
  // comes off it.
  void Add(TSkinControl* Control);
  void Forget(TSkinControl* Control);
  // Frees every skin control of the window and forgets what was chosen.
  void Free();
  // The skin was read anew: every skin control takes it.
  void SkinChanged();
  int Count() const { return static_cast<int>(FList.size()); }
  // The kind of skin control the walk chose for a control (skNone: none).
  vpn::skin::TSkinControlKind KindOf(const TComponent* Control) const;

  // The skinned push button the mouse is over (one per window): another one becoming
  // hot makes the previous one let go.
  TSkinControl* Hot() const { return FHot; }
  void SetHot(TSkinControl* Control);
  void ForgetHot(const TSkinControl* Control);

 private:
  // The skin control a child control gets, as the walk chose it.
  struct TChoice {
    TComponent* Control = nullptr;  // null for a child window of a plain window
    HWND Handle = nullptr;
    vpn::skin::TSkinControlKind Kind = vpn::skin::skNone;
    bool ByHandle = false;
    bool Recolour = false;
  };
  bool Known(const TComponent* Component, const TWinControl* Windowed) const;
  bool KnownWindow(HWND Window) const;
  // The window of a windowed control, made now when it has none; null when the control
  // is to be passed over.
  bool WindowOf(TWinControl* Windowed, HWND& Handle) const;
  // The application's own skin control for it, when the skin data's event brings one.
  bool SkinnedByApplication(TComponent* Container, TControl* Control, HWND Handle);
  void SkinControl(TComponent* Container, TControl* Control, TWinControl* Windowed, HWND Handle);
  // What the choice does to the control itself before its skin control comes.
  void Prepare(const vpn::skin::ControlChoice& Choice, TControl* Control, HWND Handle);
  void SkinGroup(TWinControl* Group, vpn::skin::TSkinControlKind Kind);
  // Makes and attaches the skin control a choice names; null when it names none.
  TSkinControl* Make(const TChoice& Choice);

  TSkinForm& FForm;
  std::vector<TChoice> FChoices;
  std::vector<TSkinControl*> FList;
  TSkinControl* FHot = nullptr;
};
