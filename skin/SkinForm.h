// The skinned frame of one top-level window (a form of the framework or any other
// window of the thread, such as a message box): the window is subclassed, its
// non-client area is laid out from the skin's border pictures, painted from them and hit
// tested. Its caption buttons and the mouse over the frame, the client window of an MDI
// frame and the skin controls of its child controls are parts of their own. Made by the
// skin manager when the window is activated; lives until the skin is switched off (the
// window gets its own frame back) or the window is destroyed.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/skin/SkinFrame.h"
#include "framework/Classes.h"
#include "framework/Controls.h"
#include "framework/Handles.h"
#include "framework/Messages.h"
#include "skin/SkinSubclass.h"

class TCaptionButtons;
class TForm;
class TMenuBtn;
class TSkinChildControls;
class TSkinData;
class TSkinMdiClient;
class TSkinMenuBar;
class TWinSysButton;

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

class TSkinForm : public TComponent {
 public:
  TSkinForm(TComponent* AOwner, HWND AWindow);
  ~TSkinForm() override;

  // Attaching (once): a form of the framework also has its WindowProc hooked and its
  // colours and popup menus skinned.
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
  // The window is going away with the skin's objects: detaching takes the light way.
  void MarkDetaching() { FState = sfsDetaching; }
  // Sizes the window so that its client area stays as it is inside the skin's frame.
  void FitFrame(bool ReadClient);
  // The window region from the borders' key colour, when the window's size changed (or
  // Anyway: a picture may have changed).
  void UpdateRegion(bool Anyway = false);
  // Removes the window region (cached title picture too).
  void DropRegion(bool Redraw);
  // Paints the whole frame.
  void PaintFrame();
  // Frees the object now, or once the window procedure it runs in has returned.
  void Release();

  HWND Window() const { return FWindow; }
  TForm* Form() const { return FForm; }
  TSkinData* SkinData() const { return FSkinData; }
  TSkinFormState State() const { return FState; }
  TWindowKind WindowKind() const { return FWindowKind; }
  TSizeState SizeState() const { return FSizeState; }
  void SetSizeState(TSizeState Value) { FSizeState = Value; }
  vpn::skin::TBorderKind BorderKind() const { return FBorderKind; }
  unsigned FrameIcons() const { return FFrameIcons; }
  bool Active() const { return FActive; }
  bool RightToLeft() const { return FRightToLeft; }
  // The frame's thickness on each side and the menu bar's row under the title.
  vpn::skin::FrameSizes Frame() const { return FFrame; }
  int MenuHeight() const { return FMenuHeight; }
  bool HasRegion() const { return FHasRegion; }
  // The window's text as the title shows it.
  const std::wstring& Caption() const { return FCaption; }
  // Times the frame was painted completely (for tests and benchmarks).
  int FramePaints() const { return FFramePaints; }

  TCaptionButtons& Buttons() const { return *FButtons; }
  TSkinChildControls& Controls() const { return *FControls; }
  // The client window of an MDI frame, or null.
  TSkinMdiClient* MdiClient() const { return FMdiClient.get(); }

  // A screen point in frame coordinates.
  POINT FrameCoordinates(POINT Screen) const;
  // The window's own handling of a message, behind the skin.
  LRESULT CallDefault(UINT Msg, WPARAM wParam, LPARAM lParam);
  LRESULT NcHitTest(LPARAM lParam);
  // What decides which caption buttons show.
  vpn::skin::SysButtonWindow ButtonConditions() const;
  // Runs the handling of one message of the window or its MDI client: nothing raised
  // leaves it (the guard reports it), and an object released meanwhile is freed once the
  // outermost message returns.
  template <class F>
  void RunMessage(F&& Handle) {
    ++FDepth;
    GuardedCall(Handle);
    if (--FDepth == 0 && FReleased) delete this;
  }

  // The skinned menu bar, or null.
  TSkinMenuBar* MenuBar() const { return FMenuBar.get(); }
  // The menu bar's button under a frame point, or null.
  TMenuBtn* MenuButtonAt(POINT Frame) const;
  // Opens the button's drop-down and returns once it has closed (the mouse or the arrow
  // keys may have moved on to other buttons' drop-downs meanwhile); a button without one
  // sends its command. False when no drop-down was shown.
  bool OpenMenuButton(TMenuBtn* Button);
  // The window was given a menu (SetMenu) while skinned: the bar shows it instead.
  void AdoptWindowMenu();
  // An MDI frame with a menu bar whose active child is maximised.
  bool MdiChildMaximisedInBar() const;
  // One button repainted after a state change.
  void PaintSysButton(TWinSysButton* Button);
  void PaintMenuButton(TMenuBtn* Button);
  // The maximised MDI child's buttons, laid out in the menu bar's row and drawn into
  // the bar's picture (Bar: the bar's DC, its origin at the row's top-left).
  void PaintMenuBarButtons(HDC Bar);

 private:
  // The border pieces drawn at the window's size, once per size, state and skin.
  struct TFramePieces {
    SIZE Size{};
    TBitmapHandle Left, Right, Bottom, Title;
  };

  // Attaching and letting go (SkinForm.cpp).
  void ReadWindow();
  void ReadCaption();
  void Subclass();
  void Unsubclass();
  void HookFormProc();
  void UnhookFormProc();
  void FormProc(TMessage& Message);
  // The form's popup menus are drawn by the skin when it skins popup menus.
  bool SkinsPopupMenus() const;
  void SkinPopupMenus();
  void ForceFrameChange();
  void ResizeToOwnFrame(SIZE Client);
  bool TakesMenuBar() const;
  // Right-to-left windows put the bar's items from the right.
  bool MenuBarRightToLeft() const;
  // The window's menu goes back to the window (returned), the bar is freed.
  HMENU DropMenuBar();

  // Messages (SkinFormProc.cpp).
  LRESULT WndProc(UINT Msg, WPARAM wParam, LPARAM lParam);
  bool EveryWindowMessage(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result);
  bool FramedWindowMessage(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result);
  bool NcMessage(UINT Msg, WPARAM wParam, LPARAM lParam, LRESULT& Result);
  void PlainWindowColours(UINT Msg, HDC Dc, LRESULT& Result);
  LRESULT OnNcDestroy(UINT Msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnSize(WPARAM wParam, LPARAM lParam);
  LRESULT OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam);
  bool SysCommand(WPARAM wParam, LPARAM lParam, LRESULT& Result);
  bool MenuKey(WPARAM wParam, LPARAM lParam);
  void ReadSizeState();
  void SkinStart();
  void SetActive(bool Value);
  LRESULT NcCalcSize(WPARAM wParam, LPARAM lParam);

  // Painting (SkinFormPaint.cpp).
  bool FramePaintingOn() const;
  void PaintFrameParts(HDC Target, bool TitleOnly);
  void PaintTitle(HDC Dc, int Width);
  void PaintCaption(HDC Dc, const vpn::skin::TitleLayout& Layout);
  vpn::skin::TitleLayout LayoutTitleBar(HDC Dc, int Width);
  HICON WindowSmallIcon() const;
  TFramePieces& Pieces(int Width, int Height, bool ForActive);
  void DropPieces();
  TRegionHandle BorderRegion(int Width, int Height);

  HWND FWindow;
  TForm* FForm = nullptr;
  TSkinData* FSkinData = nullptr;
  TFontHandle FCaptionFont;
  std::wstring FCaption;
  DWORD FSavedStyle = 0;
  bool FRightToLeft = false;
  unsigned FFrameIcons = 0;
  vpn::skin::FrameSizes FFrame;
  int FMenuHeight = 0;
  TWindowKind FWindowKind = wkPlain;
  vpn::skin::TBorderKind FBorderKind = vpn::skin::bkFramed;
  TSizeState FSizeState = ssRestored;
  bool FActive = true;
  TSkinFormState FState = sfsCreated;
  std::unique_ptr<TSkinMenuBar> FMenuBar;
  std::unique_ptr<TCaptionButtons> FButtons;
  std::unique_ptr<TSkinChildControls> FControls;
  std::unique_ptr<TSkinMdiClient> FMdiClient;
  TBitmapHandle FTitleBitmap;
  SIZE FTitleBitmapSize{};
  // The window's small icon as the title's last layout found it (the window's own
  // handle, not a copy), drawn over the caption for the system-menu button.
  HICON FTitleIcon = nullptr;
  // The window region is the system's once set; the frame only knows it has one.
  bool FHasRegion = false;
  SIZE FRegionSize{};
  // The system's frame around the client area when the window was attached, and the
  // client size the skinned frame keeps.
  SIZE FSystemFrame{};
  SIZE FClientSize{};
  int32_t FSavedColor = 0;
  int FFramePaints = 0;
  TFramePieces FPieces[2];  // active, inactive
  TSkinSubclass FWindowHook, FFormHook;
  int FDepth = 0;  // nesting of the window procedure
  bool FReleased = false;
};
