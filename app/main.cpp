// The program's entry: one copy at a time through start-up, a running copy is brought
// back (or handed the command line's command) instead of starting again, then the three
// windows and the message loop.
#include <windows.h>

#include "app/CommandClient.h"
#include "app/FrmMainSpeedTest.h"
#include "app/Unit_FrmMain.h"
#include "core/app/command_line.h"
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

// The running copy's main window, when there is one with its application window.
HWND FindRunningCopy() {
  HWND main = FindWindowW(L"TFrmMain", GbkToWide(vpn::app::kProgramCaption).c_str());
  return main && GetWindow(main, GW_OWNER) ? main : nullptr;
}

// The commands that are about a running copy: without one there is nothing to start.
bool NeedsRunningCopy(vpn::app::Command command) {
  return command == vpn::app::Command::Disconnect || command == vpn::app::Command::Status ||
         command == vpn::app::Command::Quit;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const vpn::app::CommandLine command = vpn::app::ParseCommandLine(WideToGbk(GetCommandLineW()));
  if (!command.valid()) return ShowUsage(command.problem);
  const bool has_command = command.command != vpn::app::Command::None;
  Application->Initialize();
  HWND running = nullptr;
  try {
    TStartupGuard guard;
    if (!guard.Wait()) {
      if (has_command) PrintText(STD_ERROR_HANDLE, "另一个副本正在启动，请稍后再试");
      return has_command ? vpn::app::kExitFailed : 0;
    }
    running = FindRunningCopy();
    if (!running && !NeedsRunningCopy(command.command)) {
      Application->CreateForm(FrmMain);
      Application->CreateForm(Form1, SpeedTestSourceOf(*FrmMain));
      Application->CreateForm(Form2);
      FrmMain->StartFromCommandLine(command);
    }
  } catch (const std::exception& e) {
    Application->HandleException(e);
    return 1;
  }
  // The mutex is free again here: waiting for a running copy holds up no other start.
  if (running) {
    if (!has_command) {
      ActivateRunningCopy(running);
      return 0;
    }
    return SendToRunningCopy(running, command);
  }
  if (NeedsRunningCopy(command.command)) return NoRunningCopy(command);
  Application->Run();
  Application->DestroyComponents();
  return 0;
}
