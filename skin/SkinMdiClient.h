// The client window of a skinned MDI frame: subclassed so that the children it makes
// are skinned at once, the frame's menu bar follows the menus the children set, and the
// maximised child's buttons move in and out of the frame's bar.
#pragma once

#include <windows.h>

#include "skin/SkinSubclass.h"

class TSkinForm;

class TSkinMdiClient {
 public:
  explicit TSkinMdiClient(TSkinForm& AFrame) : FFrame(AFrame) {}
  TSkinMdiClient(const TSkinMdiClient&) = delete;
  TSkinMdiClient& operator=(const TSkinMdiClient&) = delete;

  bool Attach(HWND Client);
  void Detach();
  HWND Window() const { return FWindow; }
  // The active child (null: none), and whether it is maximised.
  HWND ActiveChild(bool* Maximised = nullptr) const;

 private:
  LRESULT Handle(UINT Msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnCreateChild(WPARAM wParam, LPARAM lParam);
  LRESULT OnDestroyChild(WPARAM wParam, LPARAM lParam);
  // The child made last gets the skin, and the frame shows the change.
  void SkinNewChild();
  bool FrameTakesMenus() const;
  LRESULT CallNext(UINT Msg, WPARAM wParam, LPARAM lParam) {
    return FHook.CallNext(Msg, wParam, lParam);
  }

  TSkinForm& FFrame;
  TSkinSubclass FHook;
  HWND FWindow = nullptr;
  HWND FNewChild = nullptr;
  // The skin data's menu update setting when the frame was skinned.
  bool FSavedMenuUpdate = true;
};
