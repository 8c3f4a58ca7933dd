#include "dialup/LineWatch.h"

#include <ras.h>

#include <system_error>

#include "core/ras/records.h"
#include "framework/Messages.h"

namespace {

const wchar_t kWindowClass[] = L"TLineWatchWindow";

}  // namespace

// The window, the events and the waiter come with the first watch, or with Prepare at an
// idle moment: a program that never gets a line up never needs them, and its start-up
// does not wait for them.
TLineWatch::TLineWatch() = default;

bool TLineWatch::Prepare() {
  if (FWindow && FWake && FIdle && FWaiter.joinable()) return true;
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  // A message-only window of the watching (GUI) thread receives the waiter's news.
  if (!FWindow) {
    FWindow.Reset(CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
    if (FWindow) SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  if (!FWake) FWake.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!FIdle) FIdle.Reset(CreateEventW(nullptr, TRUE, TRUE, nullptr));
  if (!FWindow || !FWake || !FIdle) return false;
  if (!FWaiter.joinable()) {
    try {
      FWaiter = std::thread([this] { Wait(); });
    } catch (const std::system_error&) {
      return false;
    }
  }
  return true;
}

// The waiter: waits on the line's event while there is a watch, else for the next one.
void TLineWatch::Wait() {
  for (;;) {
    HANDLE line = nullptr;
    WPARAM generation = 0;
    {
      std::lock_guard lock(FLock);
      if (FQuit) return;
      line = FArmed;
      generation = FArmedGeneration;
      // Told under the lock: Stop, which clears FArmed under it, then knows whether to
      // wait for the waiter to let go of the event.
      if (line)
        ResetEvent(FIdle.Get());
      else
        SetEvent(FIdle.Get());
    }
    if (!line) {
      WaitForSingleObject(FWake.Get(), INFINITE);
      continue;
    }
    const HANDLE events[2] = {FWake.Get(), line};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
      PostMessageW(FWindow.Get(), PM_LINEDROPPED, generation, 0);
      // This watch has ended; the next is waited for.
      std::lock_guard lock(FLock);
      if (FArmed == line && FArmedGeneration == generation) FArmed = nullptr;
    }
  }
}

TLineWatch::~TLineWatch() {
  Stop();
  if (FWaiter.joinable()) {
    {
      std::lock_guard lock(FLock);
      FQuit = true;
    }
    SetEvent(FWake.Get());
    FWaiter.join();
  }
  if (FWindow) SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
}

bool TLineWatch::Watch(HRASCONN connection) {
  Stop();
  const auto notify = dialup::RasConnectionNotificationAFunc();
  if (!notify || !Prepare()) return false;
  FLineEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!FLineEvent) return false;
  const DWORD result = notify(connection, FLineEvent.Get(), RASCN_Disconnection);
  if (result == vpn::ras::kErrorInvalidHandle) {
    // The line went between the connect and this registration.
    SetEvent(FLineEvent.Get());
  } else if (result != 0) {
    FLineEvent.Reset();
    return false;
  }
  {
    std::lock_guard lock(FLock);
    FArmed = FLineEvent.Get();
    FArmedGeneration = FGeneration;
  }
  SetEvent(FWake.Get());
  FWatching = true;
  return true;
}

void TLineWatch::Stop() {
  bool armed = false;
  {
    std::lock_guard lock(FLock);
    armed = FArmed != nullptr;
    FArmed = nullptr;
  }
  if (armed) {
    // The waiter lets go of the line's event before the event is closed.
    SetEvent(FWake.Get());
    WaitForSingleObject(FIdle.Get(), INFINITE);
  }
  FWatching = false;
  ++FGeneration;
  FLineEvent.Reset();
}

void TLineWatch::Delivered(WPARAM Generation) {
  if (Generation != FGeneration || !FWatching) return;
  Stop();
  if (OnDropped) OnDropped();
}

LRESULT CALLBACK TLineWatch::WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == PM_LINEDROPPED) {
    if (auto* self = reinterpret_cast<TLineWatch*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA)))
      self->Delivered(WParam);
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}
