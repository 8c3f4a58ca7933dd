// The skinned frame of one top-level window (a form of the framework or any other
// window of the thread, such as a message box): the window is subclassed, its
// non-client area is laid out from the skin's border pictures, painted from them, hit
// tested, and its caption buttons and system menu come from the skin. Made by the skin
// manager when the window is activated; lives until the skin is switched off (the
// window gets its own frame back) or the window is destroyed.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/skin/SkinControlChoice.h"
#include "core/skin/SkinFrame.h"
#include "framework/Classes.h"
#include "framework/Handles.h"
#include "framework/Messages.h"
#include "skin/SkinSubclass.h"

class TDataSkinSysButton;
class TForm;
class TMenuBtn;
class TSkinMenuBar;
class TPopupMenu;
class TSkinControl;
class TSkinData;
class TSkinForm;
class TTimer;

enum TSkinFormState {
  sfsCreated = 0,
  sfsSkinned = 1,
  sfsReskinning = 3,
  sfsDetaching = 4,
  sfsStarting = 5,  // the frame is being fitted for the first time
  sfsDestroyed = 6,
};
enum TWindowKind { wkPlain = 0, wkMdiFrame = 1, wkMdiChild = 2 };
enum TSizeState { ssRestored = 0, ssMaximized = 1, ssMinimized = 2 };
// What the window's caption offered before the skin took it over.
enum TFrameIcon : unsigned { fiMaximize = 1, fiMinimize = 2, fiSystemMenu = 8 };

// Something in the non-client area that reacts to the mouse. Bounds are frame
// coordinates (0, 0 is the window's top-left corner).
class TNCObject {
 public:
  explicit TNCObject(TSkinForm* AForm) : Form(AForm) {}
  virtual ~TNCObject() = default;
  TNCObject(const TNCObject&) = delete;
  TNCObject& operator=(const TNCObject&) = delete;

  virtual void MouseDown();
  virtual void MouseUp();
  virtual void MouseMove();
  virtual void MouseLeave();
  virtual void Paint() {}

  TSkinForm* Form;
  RECT Bounds{};
  bool Visible = false;
  vpn::skin::TNCState State = vpn::skin::nsNormal;
};

// A caption button of the skin.
class TWinSysButton : public TNCObject {
 public:
  TWinSysButton(TSkinForm* AForm, TDataSkinSysButton* AElement)
      : TNCObject(AForm), Element(AElement) {}
  void Paint() override;

  TDataSkinSysButton* Element;
  // The system-menu button without a picture of its own shows the window's icon.
  bool UsesIcon = false;
};

// The skin control a child control gets, as the walk over the window's controls chose
// it (the skinned controls themselves are made by their own code).
struct TSkinControlChoice {
  TComponent* Control = nullptr;  // null for a child window of a plain window
  HWND Handle = nullptr;
  vpn::skin::TSkinControlKind Kind = vpn::skin::skNone;
  bool ByHandle = false;
  bool Recolour = false;
};

class TSkinForm : public TComponent {
 public:
  explicit TSkinForm(TComponent* AOwner);
  ~TSkinForm() override;

  void AttachToForm(TSkinData* ASkinData, TForm* AForm);
  void AttachToWindow(TSkinData* ASkinData);
  // Keep: the caption buttons the window had (system menu, minimise and maximise
  // boxes) are put back; otherwise they are taken away so the system draws none.
  void SetFrameStyle(bool Keep);
  // Frame sizes and caption buttons from the skin.
  void ReloadElements();
  void ClearElements();
  // The skin was read anew: colours, frame and region again.
  void ApplySkinColors();
  // The skin is switched off: the window gets its own procedure, frame and colours
  // back, keeping its client size.
  void RestoreWindow();
  // The window is being destroyed: let go of it.
  void DetachWindow();
  // Sizes the window so that its client area stays as it is inside the skin's frame.
  void FitFrame(bool ReadClient);
  void UpdateRegion();
  // Removes the window region (cached title picture too).
  void DropRegion(bool Redraw);
  // Paints the frame (update region, or null for all of it).
  void PaintFrame(HRGN Update = nullptr);
  // Frees the object now, or once the window procedure it runs in has returned.
  void Release();

  // A screen point in frame coordinates.
  POINT FrameCoordinates(POINT Screen) const;
  // The caption button under a frame point, or null.
  TNCObject* ObjectAt(POINT Frame) const;
  void PaintSysButton(TWinSysButton* Button);
  // The maximised MDI child's buttons, laid out in the menu bar's row and drawn into
  // the bar's picture (Bar: the bar's DC, its origin at the row's top-left).
  void PaintMenuBarButtons(HDC Bar);
  // An MDI frame with a menu bar whose active child is maximised.
  bool MdiChildMaximisedInBar() const;
  // The menu bar's button under a frame point, or null.
  TMenuBtn* MenuButtonAt(POINT Frame) const;
  void PaintMenuButton(TMenuBtn* Button);
  // Opens the button's drop-down and returns once it has closed (the mouse or the arrow
  // keys may have moved on to other buttons' drop-downs meanwhile); a button without one
  // sends its command. False when no drop-down was shown.
  bool OpenMenuButton(TMenuBtn* Button);
  // The window was given a menu (SetMenu) while skinned: the bar shows it instead.
  void AdoptWindowMenu();
  void ShowSystemMenu(POINT Screen, bool FromButton);
  vpn::skin::SysButtonWindow ButtonConditions() const;

  // The subclassed window's and the MDI client's messages.
  LRESULT WndProc(UINT Msg, WPARAM wParam, LPARAM lParam);
  LRESULT ClientProc(UINT Msg, WPARAM wParam, LPARAM lParam);
  LRESULT CallDefault(UINT Msg, WPARAM wParam, LPARAM lParam);

  HWND Window = nullptr;
  TForm* Form = nullptr;
  TSkinData* SkinData = nullptr;
  std::unique_ptr<TTimer> FrameTimer;
  TFontHandle CaptionFont;
  std::wstring Caption;
  std::wstring WindowClass;
  DWORD SavedStyle = 0;
  bool RightToLeft = false;
  unsigned FrameIcons = 0;
  int BorderLeft = 0, TitleHeight = 0, BorderRight = 0, BorderBottom = 0;
  int MenuHeight = 0;
  std::unique_ptr<TSkinMenuBar> MenuBar;
  TWindowKind WindowKind = wkPlain;
  vpn::skin::TBorderKind BorderKind = vpn::skin::bkFramed;
  TSizeState SizeState = ssRestored;
  bool Active = true;
  TSkinFormState State = sfsCreated;
  std::vector<std::unique_ptr<TWinSysButton>> SysButtons;
  TNCObject* HotObject = nullptr;
  TBitmapHandle TitleBitmap;
  SIZE TitleBitmapSize{};
  // The window's small icon as the title's last layout found it (the window's own handle,
  // not a copy), drawn over the caption for the system-menu button.
  HICON TitleIcon = nullptr;
  TPopupMenu* SysPopup = nullptr;  // owned as a component
  std::vector<TSkinControlChoice> Controls;
  // The skin controls of the window's child controls (owned as components).
  std::vector<TSkinControl*> ControlList;
  // Gives a window inside one of the window's controls (a tab row's scroll arrows) the
  // skin control of that kind, once; null when the skin has no such control for it.
  TSkinControl* SkinInnerWindow(HWND Inner, vpn::skin::TSkinControlKind Kind);
  // The skinned push button the mouse is over, or null.
  TSkinControl* HotControl = nullptr;
  // The window region is the system's once set; the frame only knows it has one.
  bool HasRegion = false;
  SIZE RegionSize{};
  DWORD LastClickTime = 0;
  DWORD DoubleClickTime = 0;
  // The system's frame around the client area when the window was attached, and the
  // client size the skinned frame keeps.
  SIZE SystemFrame{};
  SIZE ClientSize{};
  int32_t SavedColor = 0;
  // MDI: the client window of an MDI frame and the child created last, not yet skinned.
  HWND MdiClientWindow = nullptr;
  HWND NewMdiChild = nullptr;
  bool SavedMenuUpdate = true;
  // Times the frame was painted completely (for tests and benchmarks).
  int FramePaints = 0;

 private:
  // Runs one of the object's procedures for a message: nothing raised leaves it, and an
  // object released meanwhile is freed once its outermost message returns.
  void Guarded(TMessage& Message, LRESULT (TSkinForm::*Proc)(UINT, WPARAM, LPARAM));
  void Subclass();
  void Unsubclass();
  void HookFormProc();
  void UnhookFormProc();
  void FormProc(TMessage& Message);
  void SubclassMdiClient();
  void UnsubclassMdiClient();
  void ReadWindow();
  void ReadCaption();
  void MakeSysPopup();
  // The form's popup menus are drawn by the skin when it skins popup menus.
  bool SkinsPopupMenus() const;
  void SkinPopupMenus();
  HICON WindowSmallIcon() const;
  void SkinChildControls(TComponent* Container);
  void SkinChildWindows();
  // Makes and attaches the skin control a choice names; null when it names none.
  TSkinControl* MakeSkinControl(const TSkinControlChoice& Choice);
  void FreeSkinControls();
  void ForceFrameChange();
  void SetActive(bool Value);
  void FrameTimerTick();
  void ClickAction(TWinSysButton* Button, POINT Screen);
  void ReadSizeState();
  bool NcMessage(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result);
  LRESULT NcCalcSize(WPARAM wParam, LPARAM lParam);
  LRESULT NcHitTest(LPARAM lParam);
  bool NcMouse(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result);
  bool SysCommand(WPARAM wParam, LPARAM lParam, LRESULT& Result);
  void SkinStart();
  void PaintFrameParts(HDC Target, bool TitleOnly);
  void PaintTitle(HDC Dc, int Width);
  void PaintCaption(HDC Dc, const vpn::skin::TitleLayout& Layout);
  vpn::skin::TitleLayout LayoutTitleBar(HDC Dc, int Width);
  bool FramePaintingOn() const;
  bool TakesMenuBar() const;
  // Right-to-left windows put the bar's items from the right.
  bool MenuBarRightToLeft() const;
  // The window's menu goes back to the window (returned), the bar is freed.
  HMENU DropMenuBar();
  // The border pieces drawn at the window's size, once per size, state and skin.
  struct TFramePieces {
    SIZE Size{};
    TBitmapHandle Left, Right, Bottom, Title;
  };
  TFramePieces& Pieces(int Width, int Height, bool ForActive);
  void DropPieces();

  TFramePieces FPieces[2];  // active, inactive
  TSkinSubclass FWindowHook, FFormHook, FClientHook;
  int FDepth = 0;  // nesting of the window procedure
  bool FReleased = false;
};
