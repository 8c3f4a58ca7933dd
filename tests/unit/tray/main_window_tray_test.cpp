// The main window's tray icon as its layout builds it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/Unit_FrmMain.h"
#include "tests/unit/tray/pump.h"
#include "tray/TrayIcon.h"

namespace {

std::vector<TNotifyIconRecord>* gAdded = nullptr;

BOOL WINAPI RecordAdd(DWORD Message, PNOTIFYICONDATAW Data) {
  if (gAdded && Message == NIM_ADD) {
    TNotifyIconRecord r{};
    std::memcpy(&r, Data, sizeof r);
    gAdded->push_back(r);
  }
  return TRUE;
}

void CALLBACK EndMenuTick(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

TEST(MainWindowTray, TrayIcon1CarriesTheWindowIconAndTheTrayMenu) {
  std::vector<TNotifyIconRecord> added;
  gAdded = &added;
  TrayShellNotifyIcon = &RecordAdd;
  // The layout only; the window's create handler is not run here.
  auto* f = new TFrmMain(Application);
  TTrayIcon* tray = f->TrayIcon1;
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(tray->Owner(), f);
  EXPECT_EQ(tray->PopupMenu(), f->PopupMenu1);
  EXPECT_EQ(tray->CycleInterval(), 0u);
  EXPECT_EQ(tray->IconIndex(), 0);
  EXPECT_FALSE(tray->IconVisible());
  EXPECT_FALSE(tray->MinimizeToTray());
  EXPECT_FALSE(tray->CycleTicker().Enabled());
  EXPECT_TRUE(tray->OnClick);
  ASSERT_FALSE(f->Icon()->Empty());
  ASSERT_FALSE(tray->Icon()->Empty());
  EXPECT_EQ(tray->Icon()->Width(), GetSystemMetrics(SM_CXSMICON));

  tray->SetIconVisible(true);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0].hIcon, tray->Icon()->Handle());

  // The right button shows the tray menu: connect, disconnect, reconnect after a drop,
  // settings, a line, exit.
  std::vector<std::string> shown;
  f->PopupMenu1->OnPopup = [&](TObject* s) {
    auto* menu = static_cast<TPopupMenu*>(s);
    for (int i = 0; i < menu->Items()->Count(); ++i)
      shown.push_back(menu->Items()->Items(i)->Caption());
    SetTimer(nullptr, 0, 50, &EndMenuTick);
  };
  SendMessageW(TTrayIconHandler::TrayWindow(), WM_TRAYCALLBACK, tray->Identity(), WM_RBUTTONDOWN);
  EXPECT_EQ(shown, (std::vector<std::string>{"连接(&C)", "断开(&D)", "断线自动重连", "设置(&S)",
                                             "-", "退出(&X)"}));
  EXPECT_EQ(f->PopupMenu1->PopupComponent(), tray);

  delete f;
  PumpPending();
  EXPECT_EQ(TTrayIconHandler::UserCount(), 0);
  EXPECT_EQ(TTrayIconHandler::TrayWindow(), nullptr);
  TrayShellNotifyIcon = &Shell_NotifyIconW;
  gAdded = nullptr;
}

}  // namespace
