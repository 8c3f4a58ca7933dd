// The notification-area icon: one icon in the task bar's notification area, its mouse
// events, its popup menu, balloon tips, icon animation from an image list, and sending
// the program to the tray (main form and task-bar button hidden, icon shown) and back.
#pragma once

#include <windows.h>

#include <any>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"
#include "framework/SharedWindow.h"
#include "tray/NotifyIconRecord.h"
#include "tray/SimpleTimer.h"

enum TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = unsigned;
enum TShiftStateFlag : unsigned {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
};

enum BalloonIconKind { bikNone, bikInfo, bikWarning, bikError };

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TCycleEvent = std::function<void(TObject* Sender, int NextIndex)>;
using TStartupEvent = std::function<void(TObject* Sender, bool& ShowMainForm)>;

class TTrayIcon : public TComponent {
 public:
  explicit TTrayIcon(TComponent* AOwner);
  ~TTrayIcon() override;

  void Loaded() override;
  bool SetLayoutProperty(const std::string& name, const std::string& value) override;
  bool SetLayoutEvent(const std::string& event, const std::any& handler) override;

  bool DesignPreview() const { return FDesignPreview; }
  void SetDesignPreview(bool Value);
  TImageList* IconList() const { return FIconList; }
  void SetIconList(TImageList* Value);
  bool CycleIcons() const { return FCycleIcons; }
  void SetCycleIcons(bool Value);
  uint32_t CycleInterval() const { return FCycleInterval; }
  void SetCycleInterval(uint32_t Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  TIcon* Icon() { return &FIcon; }
  void SetIcon(const TIcon& Value);
  bool IconVisible() const { return FIconVisible; }
  void SetIconVisible(bool Value);
  int IconIndex() const { return FIconIndex; }
  void SetIconIndex(int Value);
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  bool LeftPopup() const { return FLeftPopup; }
  void SetLeftPopup(bool Value) { FLeftPopup = Value; }
  bool WantEnterExitEvents() const { return FWantEnterExitEvents; }
  void SetWantEnterExitEvents(bool Value);
  bool MinimizeToTray() const { return FMinimizeToTray; }
  void SetMinimizeToTray(bool Value) { FMinimizeToTray = Value; }
  // 0: classic mouse messages (this program); 1: version-3 shell messages.
  int CallbackStyle() const { return FCallbackStyle; }
  void SetCallbackStyle(int Value);

  TNotifyEvent OnClick, OnDblClick;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter, OnMouseExit;
  TCycleEvent OnCycle;
  TNotifyEvent OnBalloonHintShow, OnBalloonHintHide, OnBalloonHintTimeout, OnBalloonHintClick;
  TNotifyEvent OnMinimizeToTray;
  TStartupEvent OnStartup;

  // Shows a balloon at the icon; true when the shell took it.
  bool ShowBalloon(const std::string& Title, const std::string& Text, BalloonIconKind IconKind,
                   uint8_t TimeoutSeconds);
  bool HideBalloon();

  void HideMainWindow();
  void HideTaskbarButton();
  void RestoreMainWindow();
  // The application window, then the main window, to the front.
  void BringToFront();
  // Pops the popup menu up at the cursor (when there is one and it pops up by itself).
  void PopupAtCursor();

  virtual bool WantsDefaultIcon() { return true; }
  virtual bool AddTrayIcon();
  virtual bool RemoveTrayIcon();
  virtual bool UpdateTrayIcon();
  virtual void Click();
  virtual void DblClick();
  virtual void Cycle(int NextIndex);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseEnter();
  virtual void MouseExit();
  virtual void SendToTray();

  // The 32-bit identity that the shell's callbacks carry in wParam (uID of the record).
  UINT Identity() const { return FIdentity; }
  const TNotifyIconRecord& IconRecord() const { return FIconRecord; }
  TSimpleTimer& ClickTicker() { return *FClickTicker; }
  TSimpleTimer& CycleTicker() { return *FCycleTicker; }
  TSimpleTimer& LeaveTicker() { return *FLeaveTicker; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool FillIconRecord();
  // Handles one shell callback (the event is the callback's lParam).
  void TrayCallback(UINT Event);

 private:
  // The state the end of the layout's reading hands to the shell: the picture and tip, shown
  // or not, cycling, enter/exit watching, the callback style.
  void HandStateToShell();
  friend class TTrayIconHandler;
  bool Designing() const { return HasState(csDesigning); }
  TWinControl* OwnerControl() const;
  // Makes Value (owned from here on, or none) the icon and hands it to the shell.
  void TakeIcon(HICON Value);
  bool Notify(DWORD Message);
  void ClickStep();
  void LeaveCheck();
  void CycleStep();
  // The main window's and the application window's hooks (TrayIconMainWindow.cpp).
  void InstallWindowHooks();
  void RemoveWindowHooks();
  void OwnerWindowProc(TMessage& Message);
  bool AppMessageHook(TMessage& Message);
  bool MinimizeEvent(TMessage& Message);
  void DefaultItemClick();

  UINT FIdentity;
  // Cleared on destruction: a handler that frees the component while its callback
  // runs ends the callback there.
  std::shared_ptr<bool> FAlive;

  bool FDesignPreview = false;
  TImageList* FIconList = nullptr;
  bool FCycleIcons = false;
  uint32_t FCycleInterval = 0;
  bool FEnabled = true;
  std::string FHint;
  bool FShowHint = true;
  TIcon FIcon;
  bool FIconVisible = false;
  int FIconIndex = 0;
  TPopupMenu* FPopupMenu = nullptr;
  bool FLeftPopup = false;
  bool FWantEnterExitEvents = false;
  bool FMinimizeToTray = false;
  int FCallbackStyle = 0;

  TNotifyIconRecord FIconRecord{};
  std::unique_ptr<TSimpleTimer> FClickTicker, FCycleTicker, FLeaveTicker;
  bool FClickArmed = false, FClickReady = false, FDoubleClicked = false;
  bool FPointerOutside = true;
  POINT FLastPointerPos{};
  bool FMdiStartupPending = true;
  bool FPreviewInProgress = false;

  int FAppHook = 0;
  TWinControl* FSubclassed = nullptr;
  TWndMethod FOldWindowProc;
};

// The shared hidden window of the tray icons, made when an icon first goes to the shell
// (which names the window in every callback) and destroyed with the last icon. A hidden
// top-level window rather than a message-only one: it hears the session's end like every
// top-level window.
class TTrayIconHandler {
 public:
  using Shared = TSharedMessageWindow<TTrayIconHandler, UINT, TTrayIcon>;
  static constexpr wchar_t ClassName[] = L"TTrayIconWindow";
  static constexpr bool MessageOnly = false;
  static constexpr DWORD ExStyle = WS_EX_TOOLWINDOW, Style = WS_POPUP;
  // The program's icon reaches the shell only after the main form's first picture: its
  // window is not among what the program makes before that picture.
  static constexpr bool MadeOnFirstUse = true;
  static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

  static HWND TrayWindow() { return Shared::Window(); }
  static int UserCount() { return Shared::UserCount(); }
};
