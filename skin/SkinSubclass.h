// The one way the skin puts itself in front of a window's message handling: before a
// window's procedure (any window of the thread) or before a framework control's
// replaceable WindowProc. The skin's subclasses of one window form a chain, newest
// first; each hands what it does not finish itself to CallNext. A subclass can be taken
// out wherever it stands in the chain. When code outside the skin has put a procedure
// of its own above the skin's, the skin's stays where it is and only passes messages on
// (a procedure taken out from under another would cut the other off); a later subclass
// of that window joins the same chain, below the outside procedure, so that no message
// ever runs through the chain twice.
//
// The chains are found by a hash probe inside the process on every message: a window
// property would be a request to the window server each time (the system's own subclass
// helper keeps its chain in one under Wine, and drops an outside procedure above it when
// its last subclass goes).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "framework/Messages.h"

class TControl;
class TObject;

class TSkinSubclass {
 public:
  using THandler = std::function<void(TMessage&)>;

  TSkinSubclass() = default;
  ~TSkinSubclass();
  TSkinSubclass(const TSkinSubclass&) = delete;
  TSkinSubclass& operator=(const TSkinSubclass&) = delete;

  // In front of the window's procedure. Owner is what OwnerOf finds for the window.
  bool Attach(HWND Window, TObject* Owner, THandler Handler);
  // In front of the control's WindowProc; Window (the control's window, or null) names
  // it for OwnerOf.
  bool Attach(TControl* Control, HWND Window, TObject* Owner, THandler Handler);
  // Out of the chain, wherever it stands; nothing when not attached.
  void Remove();
  bool Attached() const { return FAttached; }

  // What stands behind this subclass handles the message: the next subclass of the
  // chain or the procedure the skin found. Also right after Remove, for the message
  // being handled when the subclass was taken out.
  void CallNext(TMessage& Message) const;
  LRESULT CallNext(UINT Msg, WPARAM wParam, LPARAM lParam) const;

  // The owner of the newest subclass of the window that is a T, or null.
  template <class T>
  static T* OwnerOf(HWND Window) {
    T* found = nullptr;
    ForEachOwner(Window, [&](TObject* o) { return (found = dynamic_cast<T*>(o)) != nullptr; });
    return found;
  }
  // Subclasses the skin keeps for the thread's windows (for tests: nothing left behind).
  static size_t ChainCount();

 private:
  friend struct TSubclassChains;
  struct TControlHook;
  struct TControlHookCall;
  static void ForEachOwner(HWND Window, const std::function<bool(TObject*)>& Stop);
  void Dispatch(TMessage& Message);

  HWND FWindow = nullptr;
  TControl* FControl = nullptr;
  TObject* FOwner = nullptr;
  THandler FHandler;
  std::shared_ptr<TControlHook> FHook;
  uint64_t FSeq = 0;
  // The window's procedure before the skin's, once the chain is gone.
  WNDPROC FOriginal = nullptr;
  bool FAttached = false;
};
