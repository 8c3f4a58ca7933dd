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

  std::unique_ptr<TTimer> ActionTimer;
  HHOOK HookHandle = nullptr;
  DWORD OsVersion = 0;
  std::vector<TSkinForm*> SkinForms;          // owned
  std::vector<TSkinPopupFrame*> PopupFrames;  // owned
  std::vector<TSkinData*> SkinDatas;          // registered, not owned
  bool Enabled = false;
  bool ActivatingAll = false;
  int StartState = stWaiting;
  bool MdiMaximized = false;
  HWND MdiClient = nullptr;
  TSkinAction PendingAction = saNone;
  TSkinData* PendingData = nullptr;
  bool DisposePending = false;
  int ActionsRun = 0;  // requests carried out so far

 private:
  void RestoreAndFree(TSkinForm* SkinForm);
};

// The manager of the process, made by the first skin data that finishes loading and
// freed when the program ends.
extern TSkinManager* SkinManager;
TSkinManager* CreateSkinManager();
