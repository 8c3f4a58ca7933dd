// The one skin manager of the process: knows every skin data component, carries out
// their requests (switch skinning on, off, re-apply a changed skin, dispose of closed
// windows) a quarter of a second later on the GUI thread, and watches the thread's
// windows through a CBT hook.
//
// The per-window skinning objects (the skinned frame, menus and controls) are built on
// top of this class; until they exist the manager keeps the requests, the enabled
// state and the choice of skin for a window, and skins no window itself.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Classes.h"

class TSkinData;
class TTimer;

// Messages between the manager, the skinned windows and their controls.
constexpr UINT SM_QUERYSKINNED = 0x3504;  // a skinned window answers 1
constexpr UINT SM_SKINSTART = 0x3503;     // posted to a newly skinned window, lParam 1000
constexpr UINT SM_PAINTFRAME = 0x3502;
constexpr UINT SM_RESKIN = 0x3401;

class TSkinManager : public TObject {
 public:
  TSkinManager();
  ~TSkinManager() override;

  // Installs the CBT hook of the calling thread (once).
  void InstallHook();
  void RegisterSkinData(TSkinData* SkinData);
  void UnregisterSkinData(TSkinData* SkinData);
  // Action 1 activate, 2 deactivate, 3 refresh, 6 dispose; carried out by the timer
  // after Delay ms. Before any window of the thread was activated, 1 and 2 switch
  // Enabled at once instead. A later request within the delay replaces an earlier one.
  void RequestAction(int Action, unsigned Delay);
  // The timer's tick.
  void RunAction();
  // Whether the window may be skinned now, and with which skin data (null: not).
  TSkinData* SkinDataForWindow(HWND Window);
  // Skins the window: true when a skinning object was made for it.
  bool SkinWindow(HWND Window);
  TSkinData* ChooseSkinData(HWND Window);
  bool AllowFormSkin(const std::string& ClassName);
  // Every skinned window drops its caption-button objects before a refresh.
  void ResetFormElements();

  std::unique_ptr<TTimer> ActionTimer;
  HHOOK HookHandle = nullptr;
  DWORD OsVersion = 0;
  std::vector<TSkinData*> SkinDatas;  // registered, not owned
  bool Enabled = false;
  bool ActivatingAll = false;
  int StartState = 0;  // 0 until a window of the thread is activated, 1 after, 4 while freed
  bool MdiMaximized = false;
  HWND MdiClient = nullptr;
  int PendingAction = 0;
  TSkinData* PendingData = nullptr;
  int ActionsRun = 0;  // requests carried out so far
};

// The manager of the process, made by the first skin data that finishes loading and
// freed when the program ends.
extern TSkinManager* SkinManager;
TSkinManager* CreateSkinManager();
