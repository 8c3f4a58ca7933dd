#include "dialup/LineWatch.h"

#include <ras.h>

#include "core/ras/records.h"
#include "framework/Messages.h"

namespace {

const wchar_t kWindowClass[] = L"TLineWatchWindow";

}  // namespace

// The window and the stop event come with the first watch: a program that never gets a
// line up never makes them, and its start-up does not wait for them.
TLineWatch::TLineWatch() = default;

bool TLineWatch::Prepare() {
  if (FWindow && FStopEvent) return true;
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    return RegisterClassW(&wc) != 0;
  }();
  (void)registered;
  // A message-only window of the watching (GUI) thread receives the worker's news.
  if (!FWindow) {
    FWindow.Reset(CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
    if (FWindow) SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  if (!FStopEvent) FStopEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  return FWindow && FStopEvent;
}

TLineWatch::~TLineWatch() {
  Stop();
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
  ResetEvent(FStopEvent.Get());
  const HWND window = FWindow.Get();
  const HANDLE events[2] = {FStopEvent.Get(), FLineEvent.Get()};
  const WPARAM generation = FGeneration;
  FWaiter = std::thread([window, events, generation] {
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
      PostMessageW(window, PM_LINEDROPPED, generation, 0);
  });
  return true;
}

void TLineWatch::Stop() {
  if (FWaiter.joinable()) {
    SetEvent(FStopEvent.Get());
    FWaiter.join();
  }
  ++FGeneration;
  FLineEvent.Reset();
}

void TLineWatch::Delivered(WPARAM Generation) {
  if (Generation != FGeneration || !FWaiter.joinable()) return;
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
