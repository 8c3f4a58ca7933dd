// Noticing that a connection went away without the program hanging it up. The system
// signals an event registered for the connection (RasConnectionNotificationA, bound at
// run time); a waiter thread waits on it and hands the news to the GUI thread as a
// message to a hidden window, where OnDropped runs. The window never blocks on it. The
// waiter is made once and serves every watch after it: a connect does not wait for a
// thread to start.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <thread>

#include "dialup/Ras.h"
#include "framework/Handles.h"

class TLineWatch {
 public:
  TLineWatch();
  ~TLineWatch();
  TLineWatch(const TLineWatch&) = delete;
  TLineWatch& operator=(const TLineWatch&) = delete;

  // Watches `connection` (any earlier watch ends first). False when the system cannot
  // tell: its library has no notification function, or it refused the registration.
  // A connection that is already gone is reported as dropped, a moment later.
  bool Watch(HRASCONN connection);
  // Ends the watch before the program hangs the line up itself; a drop that was already
  // on its way to the GUI thread is not reported any more.
  void Stop();
  bool Watching() const { return FWatching; }
  // Makes the window, the events and the waiter where they are missing (at the first
  // watch, or earlier at an idle moment); false when it cannot.
  bool Prepare();

  // Runs on the GUI thread when the watched connection went away; the watch has ended.
  std::function<void()> OnDropped;

 private:
  static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void Delivered(WPARAM Generation);
  void Wait();

  TWindowHandle FWindow;
  // Set (once) for the waiter when the watched line changes or the watch object goes.
  TKernelHandle FWake;
  // Set by the waiter while it waits on no line's event.
  TKernelHandle FIdle;
  TKernelHandle FLineEvent;
  std::thread FWaiter;
  // What the waiter is to wait on, and whether it is to end.
  std::mutex FLock;
  HANDLE FArmed = nullptr;
  WPARAM FArmedGeneration = 0;
  bool FQuit = false;
  bool FWatching = false;
  // Counts the watches; a message names the watch it is about, so that one from a
  // watch already stopped is ignored.
  WPARAM FGeneration = 0;
};
