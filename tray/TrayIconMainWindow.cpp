// The tray icon and the main window: sending the program to the tray and back, and the
// two hooks that see the main window's and the application window's messages for it.
#include <utility>

#include "framework/Controls.h"
#include "tray/TrayIcon.h"

void TTrayIcon::InstallWindowHooks() {
  FAppHook = Application->HookMainWindow([this](TMessage& m) { return AppMessageHook(m); });
  if (TWinControl* owner = OwnerControl()) {
    FSubclassed = owner;
    FOldWindowProc = owner->WindowProc;
    owner->WindowProc = [this](TMessage& m) { OwnerWindowProc(m); };
  }
}

void TTrayIcon::RemoveWindowHooks() {
  if (FAppHook) Application->UnhookMainWindow(FAppHook);
  FAppHook = 0;
  if (FSubclassed && FOldWindowProc) FSubclassed->WindowProc = std::move(FOldWindowProc);
  FSubclassed = nullptr;
}

void TTrayIcon::SendToTray() {
  HideMainWindow();
  SetIconVisible(true);
}

void TTrayIcon::HideMainWindow() {
  if (!OwnerControl() || !Application->MainForm()) return;
  Application->MainForm()->SetVisible(false);
  HideTaskbarButton();
}

void TTrayIcon::HideTaskbarButton() {
  HWND app = Application->Handle();
  if (IsWindowVisible(app)) ShowWindow(app, SW_HIDE);
}

void TTrayIcon::BringToFront() {
  SetForegroundWindow(Application->Handle());
  if (FSubclassed->HandleAllocated()) SetForegroundWindow(FSubclassed->Handle());
}

void TTrayIcon::RestoreMainWindow() {
  TForm* main = Application->MainForm();
  if (!OwnerControl() || !main) return;
  Application->Restore();
  if (main->WindowState() == wsMinimized) main->SetWindowState(wsNormal);
  main->SetVisible(true);
  SetForegroundWindow(Application->Handle());
}

bool TTrayIcon::MinimizeEvent(TMessage& Message) {
  if (!FMinimizeToTray || !OnMinimizeToTray) return false;
  OnMinimizeToTray(this);
  SendToTray();
  Message.Result = 1;
  return true;
}

void TTrayIcon::OwnerWindowProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SHOWWINDOW:
      if (Message.WParam == 1 && Message.LParam == 0) {
        // At the program's first show the window is activated by the show itself; the
        // calls that bring it to the front go to the window server and wait for it, so
        // they come right after the first picture.
        if (Application->WaitingForFirstShow()) {
          Application->AfterFirstShow([this, alive = FAlive] {
            if (*alive) BringToFront();
          });
        } else {
          BringToFront();
        }
      } else if (Message.WParam == 0 && Message.LParam == SW_PARENTCLOSING &&
                 !Application->Terminated()) {
        if (MinimizeEvent(Message)) return;
      }
      break;
    case WM_SYSCOMMAND:
      if (Message.WParam == SC_MINIMIZE && MinimizeEvent(Message)) return;
      break;
    default:
      break;
  }
  FOldWindowProc(Message);
}

bool TTrayIcon::AppMessageHook(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
      if (Message.WParam == SIZE_MINIMIZED && FMinimizeToTray) SendToTray();
      break;
    case WM_WINDOWPOSCHANGED:
      // The start-up question of a multi-document main form is asked here; the
      // framework has no such forms, so Loaded has asked it already.
      if (FMdiStartupPending && Application->MainForm()) FMdiStartupPending = false;
      break;
    case WM_SYSCOMMAND:
      if (Message.WParam == SC_RESTORE && Application->MainForm())
        Application->MainForm()->SetVisible(true);
      break;
    default:
      break;
  }
  // A re-created task bar has forgotten the icon. Without the 4.71 common controls
  // there is no such message; 0 is WM_NULL and must not re-add anything.
  if (TaskbarCreatedMessage != 0 && Message.Msg == TaskbarCreatedMessage && FIconVisible)
    AddTrayIcon();
  return false;
}
