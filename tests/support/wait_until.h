// Waiting in the tests for what a test expects instead of sleeping a fixed time: a wait
// ends as soon as its condition holds, so a loaded machine only makes it longer, and a
// test never goes on before the thing it waits for has happened.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>

namespace testwait {

// Handles the messages waiting in this thread's queue.
inline void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Asks Condition every PollMs until it holds or Ms milliseconds have passed; true when
// it held. With Pump this thread's messages are handled meanwhile (its windows, timers
// and hooks go on working) and the wait wakes as soon as one comes.
inline bool WaitUntil(const std::function<bool()>& Condition, DWORD Ms, bool Pump = false,
                      DWORD PollMs = 10) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (Pump) PumpPending();
    if (Condition()) return true;
    const DWORD spent = GetTickCount() - start;
    if (spent >= Ms) return false;
    const DWORD wait = std::min<DWORD>(PollMs, Ms - spent);
    if (Pump)
      MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    else
      Sleep(wait);
  }
}

// WaitUntil handling this thread's messages.
inline bool PumpUntil(const std::function<bool()>& Condition, DWORD Ms) {
  return WaitUntil(Condition, Ms, true);
}

// Handles this thread's messages for Ms milliseconds: for a test about what does or does
// not happen within a time (there is no condition to wait for).
inline void PumpFor(DWORD Ms) {
  PumpUntil([] { return false; }, Ms);
}

}  // namespace testwait
