// The skinned menu bar: a window's menu is taken from the system (which then draws no
// bar) and painted by the skinned frame in a row of its non-client area, one button per
// top-level item. A button with a drop-down opens it as a popup menu of the window; while
// it is open a message filter lets the mouse and the arrow keys move on to the next
// button, and the drop-down's items are drawn with the skin's menu pictures.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "skin/CaptionButtons.h"
#include "skin/SkinForm.h"

class TSkinData;

// One top-level item of the bar. Bounds are frame coordinates.
class TMenuBtn : public TNCObject {
 public:
  TMenuBtn(TSkinForm& AForm, int AIndex);
  void Paint() override;
  // An enabled item with a drop-down: the only kind of button that opens one.
  bool Opens() const { return FEnabled && FSubMenu; }

  int Index() const { return FIndex; }
  const std::wstring& Caption() const { return FCaption; }
  bool Enabled() const { return FEnabled; }
  HMENU SubMenu() const { return FSubMenu; }
  UINT Command() const { return FCommand; }
  // The item as the menu has it now (at most 80 characters of caption).
  void SetItem(const std::wstring& ACaption, bool AEnabled, HMENU ASubMenu, UINT ACommand);

 private:
  TSkinForm& FForm;
  int FIndex;
  std::wstring FCaption;
  bool FEnabled = true;
  HMENU FSubMenu = nullptr;
  UINT FCommand = 0;
};

class TSkinMenuBar {
 public:
  // Right to left: the items are placed from the right edge (right-to-left windows and
  // menus).
  TSkinMenuBar(TSkinForm* AForm, TSkinData* ASkinData, bool ARightToLeft)
      : FSkinData(ASkinData), FForm(AForm), FRightToLeft(ARightToLeft) {}
  TSkinMenuBar(const TSkinMenuBar&) = delete;
  TSkinMenuBar& operator=(const TSkinMenuBar&) = delete;

  // Takes the window's menu (when it has one): its items become the buttons and the
  // window keeps no menu of its own, so the system neither draws nor sizes a bar.
  bool BuildFromHandle();
  // The buttons read again from the menu: a program changes its items (enables,
  // renames) through the menu handle it keeps.
  void ReadItems();
  // The bar painted into Rect (window coordinates) of the window DC.
  void Paint(HDC Dc, const RECT& Rect);
  // One button again on its piece of the painted background (after a state change).
  void PaintButton(HDC Dc, const TMenuBtn& Button);
  // The button under a frame point (buttons without caption are not hit), or null.
  TMenuBtn* ButtonAt(POINT Frame) const;
  // The first enabled button whose caption marks Key as its accelerator ("&F").
  TMenuBtn* AcceleratorButton(wchar_t Key) const;
  // The next button from Index in direction Step (+1, -1) that opens a drop-down,
  // wrapping at the ends of the bar; Index itself when no other does.
  int NextOpening(int Index, int Step) const;
  int Count() const { return static_cast<int>(FButtons.size()); }
  TMenuBtn* Button(int Index) const { return FButtons.at(static_cast<size_t>(Index)).get(); }
  bool Owns(const TNCObject* Object) const;
  // The window's menu, detached from the window while the bar shows it.
  HMENU MenuHandle() const { return FMenuHandle; }
  bool RightToLeft() const { return FRightToLeft; }

 private:
  void DrawButton(HDC Dc, const TMenuBtn& Button, const RECT& At) const;
  // The bar's background picture into Dc; the place of its first item.
  int PaintBackground(HDC Dc, int Width, int Height);

  std::vector<std::unique_ptr<TMenuBtn>> FButtons;
  RECT FBarRect{};
  TSkinData* FSkinData;
  TSkinForm* FForm;
  // The bar's background as painted last, for repainting single buttons.
  TBitmapHandle FBackground;
  SIZE FBackgroundSize{};
  HMENU FMenuHandle = nullptr;
  bool FRightToLeft = false;
  TBitmapHandle FScratch;
};

// The drop-down of a bar, while it is open (one at a time in the thread).
bool MenuLoopOpen();
TSkinForm* MenuLoopForm();
// The window is losing its skin or going away: its open drop-down closes.
void EndMenuLoopOf(TSkinForm* Form);
// The frame's window procedure during the loop: a drop-down (or one of its sub-menus)
// about to be shown gets its items owner-drawn; their measure and draw requests are
// answered from the skin. False for items that are not the skin's.
void PrepareDropDown(TSkinForm* Form, HMENU Menu);
bool MeasureDropDownItem(TSkinForm* Form, MEASUREITEMSTRUCT* Measure);
bool DrawDropDownItem(TSkinForm* Form, const DRAWITEMSTRUCT* Draw);
