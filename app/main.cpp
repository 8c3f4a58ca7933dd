// The program's entry: one copy at a time through start-up, a running copy is brought
// back instead of starting again, then the three windows and the message loop.
#include <windows.h>

#include "app/FrmMainSpeedTest.h"
#include "app/Unit_FrmMain.h"
#include "core/app/connect_rules.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "framework/Framework.h"

namespace {

// A running copy is recognised by its main window: the window class and the caption
// the main window carries.
constexpr wchar_t kMutexName[] = L"SingleInstanceProgramMutex";
constexpr DWORD kMutexWaitMs = 10000;

// Held only from the start of start-up until the windows exist; given back on every way
// out of start-up, so a later copy is never blocked by a failed one.
class TStartupGuard {
 public:
  TStartupGuard() : FMutex(CreateMutexW(nullptr, FALSE, kMutexName)) {}
  TStartupGuard(const TStartupGuard&) = delete;
  TStartupGuard& operator=(const TStartupGuard&) = delete;
  ~TStartupGuard() {
    if (FrmMain) GuardedCall([] { FrmMain->HandleNeeded(); });
    if (FMutex) ReleaseMutex(FMutex.Get());
  }
  // False when another copy has held the mutex for the whole wait.
  bool Wait() {
    if (!FMutex) return true;
    return WaitForSingleObject(FMutex.Get(), kMutexWaitMs) != WAIT_TIMEOUT;
  }

 private:
  TKernelHandle FMutex;
};

// Brings back the running copy, if there is one; true when it was found.
bool ActivateRunningCopy() {
  HWND main = FindWindowW(L"TFrmMain", GbkToWide(vpn::app::kProgramCaption).c_str());
  if (!main) return false;
  HWND app = GetWindow(main, GW_OWNER);
  if (!app) return false;
  if (IsIconic(app))
    ShowWindow(app, SW_SHOWNORMAL);
  else
    SetForegroundWindow(app);
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Application->Initialize();
  try {
    TStartupGuard guard;
    if (!guard.Wait()) return 0;
    if (ActivateRunningCopy()) return 0;
    Application->CreateForm(FrmMain);
    Application->CreateForm(Form1, SpeedTestSourceOf(*FrmMain));
    Application->CreateForm(Form2);
  } catch (const std::exception& e) {
    Application->HandleException(e);
    return 1;
  }
  Application->Run();
  Application->DestroyComponents();
  return 0;
}
