// The main window: server, user name and password, Connect and Disconnect, the status
// bar; outside the visible area the speed-test, account and settings buttons. The
// layout (forms/FrmMainLayout.cpp) creates every control and binds the handlers below
// by name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/speedtest/SpeedTest.h"
#include "dialup/DialUp.h"
#include "dialup/LineWatch.h"
#include "dialup/Ras.h"
#include "framework/Framework.h"
#include "framework/Layout.h"
#include "net/NetHTTP.h"
#include "skin/SkinData.h"
#include "tray/TrayIcon.h"

class TFrmMain : public TForm {
 public:
  explicit TFrmMain(TComponent* AOwner);

  // Controls, in the layout's order.
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label4 = nullptr;
  TWebBrowser* WebBrowser1 = nullptr;  // the banner
  TPanel* Panel1 = nullptr;
  TLabel* Label5 = nullptr;
  TButton* Button2 = nullptr;  // disconnect; enabled exactly while connecting or connected
  TButton* Button4 = nullptr;  // pops up PopupMenu2
  TStatusBar* StatusBar1 = nullptr;
  TEdit* UserNameTxt = nullptr;
  TCheckBox* CheckBox1 = nullptr;  // remember the password
  TMaskEdit* PasswordTxt = nullptr;
  TComboBox* IPAddrTxtold = nullptr;
  TButton* Button3 = nullptr;  // speed test
  TComboBox* AreaTxt = nullptr;
  TCheckBox* CheckBox2 = nullptr;  // L2TP mode
  TButton* Button5 = nullptr;      // account query
  TButton* Button1 = nullptr;      // connect
  TEdit* IPAddrTxt = nullptr;      // server
  TWebBrowser* WebBrowser2 = nullptr;
  // The notification-area icon, the tray menu and the settings menu.
  TTrayIcon* TrayIcon1 = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  TMenuItem *C1 = nullptr, *D1 = nullptr, *N1 = nullptr, *X1 = nullptr;
  // "断线自动重连": ticked, a line that drops is dialed again (remembered in the settings).
  TMenuItem* A1 = nullptr;
  TPopupMenu* PopupMenu2 = nullptr;
  TMenuItem *N2 = nullptr, *N6 = nullptr, *N7 = nullptr, *N3 = nullptr, *N4 = nullptr,
            *N8 = nullptr, *N5 = nullptr;
  // The skin of every window of the program.
  TSkinData* SkinData1 = nullptr;
  // The HTTP client of the account query; it keeps its cookies for the window's life.
  std::unique_ptr<TNetHTTP> NetHTTP1;
  TDialUp* DialUp1 = nullptr;

  // The speed test: the host the last test pinged (empty until then) and the node table
  // it was looked up in, read afresh for every test.
  std::string PingHost;
  vpn::speedtest::NodeTable NodeTable;

  // Handlers bound by the layout.
  void FormCreate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button4Click(TObject* Sender);
  void Button5Click(TObject* Sender);
  void IPAddrTxtKeyPress(TObject* Sender, char& Key);
  void UserNameTxtKeyPress(TObject* Sender, char& Key);
  void PasswordTxtKeyPress(TObject* Sender, char& Key);
  void TrayIcon1Click(TObject* Sender);
  void X1Click(TObject* Sender);
  void A1Click(TObject* Sender);
  void N2Click(TObject* Sender);
  void N3Click(TObject* Sender);
  void N4Click(TObject* Sender);
  void N5Click(TObject* Sender);
  void N6Click(TObject* Sender);
  // One progress notification of DialUp1's asynchronous dial (on this thread).
  void DialUp1AsyncEvent(TObject* Sender, std::int32_t State, std::int32_t Error,
                         const std::string& MessageText);
  // A dial that could not start, or whose saved parameters could not be read.
  void DialUp1Error(TObject* Sender, std::int32_t ErrorCode, const std::string& ErrorMessage);

 private:
  // The status bar's only panel.
  void SetStatus(const std::string& text);
  // Idle again: the inputs enabled, Disconnect disabled (the tray menu stays as it is).
  void RestoreInputs();
  // Connected: the window goes to the notification area with a balloon.
  void ToTray(bool pump_before_hiding);
  // Hangs up the connection this program dialed directly (the handle its dial returned,
  // else the active connection of its entry) and waits until it is gone.
  void HangUpOwnConnection();
  // Windows 2000 and XP dial through DialUp1 with progress; the others dial directly.
  static bool DialsWithProgressHere();

  // Dials the server and account of the connect with the inputs locked (connect steps
  // from the locking of the inputs on); used by the connect and by every try to dial a
  // dropped line again.
  void StartDial(bool l2tp);
  // The connect's steps, in order.
  bool ConnectInputsReady();
  bool ChooseL2tp(bool& l2tp);
  void LockInputs();
  void WriteEntry(bool l2tp);
  // Through DialUp1 with progress, or directly, as the system takes it.
  void DialByPath();
  void DialDirectly();
  // A dial failed or never started: the next try of a dropped line, or idle again with
  // the failure in the status bar.
  void ShowDialFailure(std::int32_t Error);
  // Out of the tray for good: no minimising to it, no icon, the window back.
  void LeaveTray();
  // A dial failed: the window goes back to idle, or, while a dropped line is being dialed
  // again, the next try is waited for. True when the next try was scheduled.
  bool RetryAfterFailure(std::int64_t error);

  // The line once it is up (app/FrmMainLine.cpp): its watch, the live figures in the
  // tray tip, and dialing it again when it drops.
  void LineUp(HRASCONN connection);
  void LineDropped();
  void StopLine();
  void UpdateFigures();
  void ScheduleReconnect(std::int64_t last_error);
  void ReconnectTimerTick();
  // Idle again after a drop, or after the tries ended: window back, status `status`.
  void BackFromTray(const std::string& status);
  // The icon that stayed for the news of a drop goes once the user has seen it.
  void DropNewsSeen();

  HRASCONN FDirectConnection = nullptr;
  bool FDialL2tp = false;  // the mode of the last connect, kept for dialing it again
  TLineWatch FLineWatch;
  TTimer* FiguresTimer = nullptr;    // every 2 s while connected
  TTimer* ReconnectTimer = nullptr;  // the wait before the next try
  HRASCONN FLineConnection = nullptr;
  ULONGLONG FConnectedAt = 0;
  std::uint64_t FSentTotal = 0, FReceivedTotal = 0;
  unsigned FReconnectAttempt = 0;  // the try under way or waited for; 0 when none
};

extern TFrmMain* FrmMain;
