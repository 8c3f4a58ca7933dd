// Noticing that a connection went away without the program hanging it up. The system
// signals an event registered for the connection (RasConnectionNotificationA, bound at
// run time); a worker thread waits on it and hands the news to the GUI thread as a
// message to a hidden window, where OnDropped runs. The window never blocks on it.
#pragma once

#include <windows.h>

#include <functional>
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
  bool Watching() const { return FWaiter.joinable(); }

  // Runs on the GUI thread when the watched connection went away; the watch has ended.
  std::function<void()> OnDropped;

 private:
  // Makes the window and the stop event where they are missing; false when it cannot.
  bool Prepare();
  static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void Delivered(WPARAM Generation);

  TWindowHandle FWindow;
  TKernelHandle FStopEvent;
  TKernelHandle FLineEvent;
  std::thread FWaiter;
  // Counts the watches; a message names the watch it is about, so that one from a
  // watch already stopped is ignored.
  WPARAM FGeneration = 0;
};
