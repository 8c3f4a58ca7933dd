// The one skin manager of the process: knows every skin data component, watches the
// thread's windows through a CBT hook, decides which window is skinned with which skin,
// keeps one skinned-frame object per skinned window, and carries out the skin data's
// requests (switch skinning on, off, re-apply a changed skin, dispose of closed
// windows) a quarter of a second later on the GUI thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/Messages.h"

class TSkinData;
class TSkinForm;
class TSkinPopupFrame;
class TTimer;

// A form with this tag keeps the system's look.
constexpr intptr_t UnskinnedFormTag = 99;

// How far the thread's windows are: no window activated yet (requests to switch the skin
// on or off take effect at once), running (each skin data of a single form or of dialogs
// that loads adds one), or the manager going away.
enum TStartState : int { stWaiting = 0, stStarted = 1, stClosing = 4 };

// What the manager's timer carries out next.
enum TSkinAction {
  saNone = 0,
  saActivate = 1,    // skin every form (or the one form of an only-this-form skin)
  saDeactivate = 2,  // give every skinned window its plain look back
  saRefresh = 3,     // the skin data read a new skin: re-lay every window using it
  saDispose = 6,     // free the objects of windows that were destroyed
};

class TSkinManager : public TObject {
 public:
  TSkinManager();
  ~TSkinManager() override;

  // Installs the CBT hook of the calling thread (once).
  void InstallHook();
  void RegisterSkinData(TSkinData* SkinData);
  void UnregisterSkinData(TSkinData* SkinData);
  // Carried out by the timer after Delay ms. Before any window of the thread was
  // activated, activate and deactivate switch Enabled at once instead. A later request
  // within the delay replaces an earlier one; a dispose request never replaces another
  // (closed windows are disposed of after every action).
  void RequestAction(TSkinAction Action, unsigned Delay);
  // The timer's tick.
  void RunAction();
  // The skin data that would skin the window now (null: the window stays as it is).
  TSkinData* SkinDataForWindow(HWND Window);
  // Skins the window: true when a skinned-frame object was made for it.
  bool SkinWindow(HWND Window);
  TSkinData* ChooseSkinData(HWND Window);
  bool AllowFormSkin(const std::string& ClassName);
  TSkinForm* FindSkinForm(HWND Window) const;
  // Called by a skinned-frame object that goes away.
  void ForgetSkinForm(TSkinForm* SkinForm);
  // Every skinned window drops its caption-button objects before a refresh.
  void ResetFormElements();
  // Frees the objects of windows that the system destroyed.
  void DisposeClosedForms();

  // Popup menu windows ("#32768") of the thread, while skinning is on and the skin
  // skins menus: framed when created, let go when destroyed.
  bool SkinPopupWindow(HWND Window);
  bool ReleasePopupWindow(HWND Window);
  bool IsPopupFramed(HWND Window) const;
  // The frame of the popup window that shows the menu, and its painted background.
  TSkinPopupFrame* PopupFrameOf(HMENU Menu) const;
  HBITMAP PopupBitmapOf(HMENU Menu) const;

  // MDI children shown maximised: their own frames give way to the frame window's.
  void SetMdiMaximized(bool Value);
  int CountMdiChildren() const;

  // The hook's work for one call; false when the next hook is to be asked.
  bool HookEvent(int Code, WPARAM wParam, LPARAM lParam, LRESULT& Result);

  // Skinning of newly seen windows is switched on.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  // A window of the thread was activated: requests wait for the timer from now on.
  void MarkStarted() {
    if (FStartState == stWaiting) FStartState = stStarted;
  }
  // A skin data of a single form or of dialogs finished loading.
  void CountStartedSkinData() { ++FStartState; }
  int StartState() const { return FStartState; }
  // The timer carries out a request on its next tick.
  bool ActionPending() const;
  TSkinAction PendingAction() const { return FPendingAction; }
  // The skin data that asked for the pending action (set around the request).
  TSkinData* PendingData() const { return FPendingData; }
  void SetPendingData(TSkinData* Value) { FPendingData = Value; }
  // Requests carried out so far.
  int ActionsRun() const { return FActionsRun; }
  HHOOK HookHandle() const { return FHookHandle; }
  // Every window skinned now, every popup-menu window framed now (owned), and every
  // skin data registered (not owned).
  const std::vector<TSkinForm*>& SkinForms() const { return FSkinForms; }
  const std::vector<TSkinPopupFrame*>& PopupFrames() const { return FPopupFrames; }
  const std::vector<TSkinData*>& SkinDatas() const { return FSkinDatas; }
  bool MdiMaximized() const { return FMdiMaximized; }
  // The MDI client of the last skinned MDI frame.
  HWND MdiClient() const { return FMdiClient; }
  void SetMdiClient(HWND Value) { FMdiClient = Value; }

 private:
  void RestoreAndFree(TSkinForm* SkinForm);
  void Activate(TSkinData* Data, bool OnlyThisForm);
  void Deactivate(TSkinData* Data, bool OnlyThisForm);
  void Refresh(TSkinData* Data, bool OnlyThisForm);

  std::unique_ptr<TTimer> FActionTimer;
  HHOOK FHookHandle = nullptr;
  DWORD FOsVersion = 0;
  std::vector<TSkinForm*> FSkinForms;
  std::vector<TSkinPopupFrame*> FPopupFrames;
  std::vector<TSkinData*> FSkinDatas;
  bool FEnabled = false;
  bool FActivatingAll = false;
  int FStartState = stWaiting;
  bool FMdiMaximized = false;
  HWND FMdiClient = nullptr;
  TSkinAction FPendingAction = saNone;
  TSkinData* FPendingData = nullptr;
  bool FDisposePending = false;
  int FActionsRun = 0;
};

// The manager of the process, made by the first skin data that finishes loading and
// freed when the program ends.
extern TSkinManager* SkinManager;
TSkinManager* CreateSkinManager();
