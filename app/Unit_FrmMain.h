// The main window: server, user name and password, Connect and Disconnect, the status
// bar; outside the visible area the speed-test, account and settings buttons. The
// layout (forms/FrmMainLayout.cpp) creates every control and binds the handlers below
// by name.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ConnectionLog.h"
#include "core/app/command_line.h"
#include "core/app/connection_log.h"
#include "core/app/connection_state.h"
#include "core/ras/tunnel.h"
#include "core/speedtest/SpeedTest.h"
#include "core/text/secret.h"
#include "dialup/DialUp.h"
#include "dialup/LineWatch.h"
#include "dialup/Ras.h"
#include "framework/Framework.h"
#include "framework/Layout.h"
#include "net/NetAccountQuery.h"
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
  TButton* Button2 = nullptr;  // disconnect
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
  // Tunnel types (app/FrmMainTunnel.cpp): "设置(&S)" in the tray menu, its "连接协议(&P)"
  // sub-menu with one radio item per choice (自动, IKEv2, SSTP, L2TP/IPsec, L2TP, PPTP), a
  // line and "预共享密钥(&K)..." that opens the key's window.
  TMenuItem* S1 = nullptr;
  TMenuItem *P1 = nullptr, *P2 = nullptr, *P3 = nullptr, *P4 = nullptr, *P5 = nullptr,
            *P6 = nullptr, *P7 = nullptr, *P8 = nullptr, *P9 = nullptr;
  TPopupMenu* PopupMenu2 = nullptr;
  TMenuItem *N2 = nullptr, *N6 = nullptr, *N7 = nullptr, *N3 = nullptr, *N4 = nullptr,
            *N8 = nullptr, *N5 = nullptr;
  // The skin of every window of the program.
  TSkinData* SkinData1 = nullptr;
  // The HTTP client of the account query; it keeps its cookies for the window's life. A
  // query's worker shares it while it runs.
  std::shared_ptr<TNetHTTP> NetHTTP1;
  TDialUp* DialUp1 = nullptr;

  // The connection's state: every control, tray item and timer that depends on it follows
  // from it (vpn::app::ViewOf), never the other way round.
  vpn::app::ConnectionState State() const { return FState; }
  // Told of every change of the state, in order, after the window shows the new one (a
  // connection log or a status report hooks in here).
  using TStateObserver = std::function<void(
      vpn::app::ConnectionState from, vpn::app::ConnectionState to, vpn::app::ConnectionEvent why)>;
  std::vector<TStateObserver> StateObservers;

  // ---- Everyday use: start with Windows, the command line, the connection log ----
  // The tray menu's settings sub-menu, and its items: start with Windows, connect once
  // started, the connection log window.
  TMenuItem *B1 = nullptr, *O1 = nullptr, *L1 = nullptr;
  // Told of every status text, in order, after the status bar shows it.
  using TStatusObserver = std::function<void(const std::string& text)>;
  std::vector<TStatusObserver> StatusObservers;
  // How the command line started this copy, before the message loop runs: to the
  // notification area (/tray), or connecting (/connect, to its server when it names one).
  void StartFromCommandLine(const vpn::app::CommandLine& command);
  void B1Click(TObject* Sender);
  void O1Click(TObject* Sender);
  void L1Click(TObject* Sender);

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
  // The "连接协议" items: one of the choices is picked, the key's window is asked for.
  void ProtocolItemClick(TObject* Sender);
  void P9Click(TObject* Sender);

  // The name of the tunnel type that is up ("IKEv2", "SSTP", "L2TP/IPsec", "L2TP",
  // "PPTP"); empty while no line is up.
  std::string ConnectedTunnel() const;

 protected:
  // Log-off, shutdown, sleep and wake, and the account query's answer.
  void WndProc(TMessage& Message) override;

 private:
  // The one place where the state changes: false (and nothing changes) when the event
  // means nothing in the state the connection is in. `dial_again` as for NextState.
  bool Change(vpn::app::ConnectionEvent event, bool dial_again = false);
  // The buttons, the inputs, the tray items and the timers, as the state has them.
  void ShowState();
  // Where the code stands: a flow that pumped messages goes on only while the state it
  // left is still the one it finds (a Disconnect, a close or another connect in the pump
  // has taken over otherwise).
  struct TStateMark {
    vpn::app::ConnectionState state;
    unsigned serial;
  };
  TStateMark Mark() const { return {FState, FStateSerial}; }
  bool Still(const TStateMark& mark) const {
    return FState == mark.state && FStateSerial == mark.serial;
  }

  // The status bar's only panel.
  void SetStatus(const std::string& text);
  // Connected: the window goes to the notification area with a balloon. False when a
  // pump on the way let something else take over.
  bool ToTray(bool pump_before_hiding);
  // Hangs up the connection this program dialed directly (the handle its dial returned,
  // else the active connection of its entry) and waits until it is gone: 0, or why not.
  DWORD HangUpOwnConnection();
  // Hangs up the program's line by the path it was dialed on.
  DWORD HangUpLine();
  // Windows 2000 and XP dial through DialUp1 with progress; the others dial directly.
  static bool DialsWithProgressHere();

  // The connect's checks, in order.
  bool ConnectInputsReady();
  // The tunnel types of this connect (FTunnels): the choice in force, plain L2TP's
  // preparation, the machine's IPsec given back before an encrypting type. False when the
  // connect ends here (the system must restart first, or L2TP/IPsec has no key).
  bool ChooseTunnels();
  // One dial of the server and account of the connect (app/FrmMainDial.cpp), for the
  // user's connect and for every try to dial a dropped line again: the entry, the
  // account, then the dial by the system's path. Its outcome always ends in DialEnded,
  // for both paths.
  void DialAttempt();
  void DialByPath(const TStateMark& dialing);
  bool WriteEntry(vpn::ras::Tunnel tunnel);
  void DialDirectly(const TStateMark& dialing);
  void DialEnded(std::int64_t error, HRASCONN line, bool direct);
  void DialFailed(std::int64_t error, bool direct);
  // A failed direct dial's line let go; false when a pump on the way let something else
  // take over.
  bool LetFailedLineGo(bool direct);
  // The type just tried cannot be made here: the next one of FTunnels is dialed.
  void NextTunnel();
  // Out of the tray for good: no minimising to it, no icon, the window back.
  void LeaveTray();

  // The line once it is up (app/FrmMainLine.cpp): its watch, the live figures in the
  // tray tip, and dialing it again when it drops.
  void LineUp(HRASCONN connection, bool direct);
  void LineDropped();
  void UpdateFigures();
  void ScheduleReconnect(std::int64_t last_error);
  void ReconnectTimerTick();
  // Idle again after a drop, or after the tries ended: window back, status `status`.
  void BackFromTray(const std::string& status);
  // The icon that stayed for the news of a drop goes once the user has seen it.
  void DropNewsSeen();
  // Sleep and wake: whether the line was up when the machine went to sleep, and, after
  // the wake, whether it still is.
  void Suspending();
  void Resumed();

  // The remembered values: saved a moment after each change, at every close and when
  // the session ends. A registry that refuses them is told always (close), once per run
  // (the saves while typing) or never (the session ends: a box would hold up the log-off).
  enum TSaveErrors { seShow, seShowOnce, seQuiet };
  void SaveSettings(TSaveErrors errors);
  void SettingChanged();
  // The account query's end: its worker's answer (PM_ACCOUNTQUERYENDED), or its time is
  // up first.
  void AccountQueryEnded();
  void AccountQueryTimedOut();
  void ShowAccountAnswer(vpn::TAccountQueryResult result, const std::string& reply);
  static void Pump();

  // ---- Everyday use (app/FrmMainEveryday.cpp, app/FrmMainCommands.cpp) ----
  // From FormCreate: the log and the command replies follow the state and the status.
  void StartEverydayUse();
  // After the first picture: the menu's ticks, the log's writer, a connect on start.
  void AfterFirstPicture();
  void Log(vpn::app::LogKind kind, const std::string& text);
  // A failed dial: its number, the system's text and the advice go to the log; once the
  // dial is given up, the advice is shown beside the status bar's text.
  void LogDialError(std::int64_t error);
  void ShowDialAdvice(std::int64_t error);
  void HideDialAdvice();
  // Commands from a second copy: WM_COPYDATA and the two messages that carry them out.
  static constexpr UINT kCommandsWaiting = WM_APP + 0x27;
  static constexpr UINT kCommandCheck = WM_APP + 0x28;
  bool EverydayMessage(TMessage& Message);
  void CommandArrived(TMessage& Message);
  void RunCommand(const vpn::app::CommandRequest& request, HWND reply);
  void ConnectCommand(const std::string& server, HWND reply);
  void DisconnectCommand(HWND reply);
  void AnswerWaiters();
  void Reply(HWND to, int code, const std::string& text);
  std::string StatusReportText();
  struct TCommandWaiter {
    HWND reply;
    bool want_connected;  // /connect; else /disconnect
  };
  std::vector<std::pair<vpn::app::CommandRequest, HWND>> FCommands;
  std::vector<TCommandWaiter> FWaiters;
  std::unique_ptr<TConnectionLog> FLog;
  vpn::app::ConnectionEvent FLastEvent = vpn::app::ConnectionEvent::Connect;
  std::int64_t FLastDialError = 0;
  bool FQuitAsked = false;  // /quit: the close asks nothing
  bool FConnectAtStart = false;
  std::string FStartServer;
  HWND FAdviceTip = nullptr;  // the balloon beside the status bar (destroyed with the window)
  TTimer* AdviceTimer = nullptr;
  // Gone with the window: a job queued for the first picture finds the window gone.
  std::shared_ptr<int> FLifeToken = std::make_shared<int>(0);

  // The password as typed, read without leaving copies behind.
  vpn::SecretText PasswordText() const;

  // The server text of the last connect, as typed; the phonebook entry is written with
  // it, for the connect and for every try to dial the line again.
  std::string FServerAddress;
  vpn::app::ConnectionState FState = vpn::app::ConnectionState::Idle;
  unsigned FStateSerial = 0;
  HRASCONN FDirectConnection = nullptr;
  // The tunnel types of the connect, in the order they are tried, and the one being tried
  // (app/FrmMainTunnel.cpp). Named: the choice came from the menu or the service, so the
  // status and the tray tip name the type; the "L2TP模式" box's choice keeps the design's
  // texts. The type that came up is the one a dropped line is dialed with again.
  std::vector<vpn::ras::Tunnel> FTunnels{vpn::ras::Tunnel::kPptp};
  size_t FTunnelIndex = 0;
  bool FNameTunnel = false;
  vpn::ras::Tunnel FConnectedTunnel = vpn::ras::Tunnel::kPptp;
  class TFrmPreSharedKey* FKeyWindow = nullptr;
  bool FShowingTunnelChoice = false;
  // The menu and the box as the choice in force has them; the box's click.
  void ShowTunnelChoice();
  void CheckBox2Click();
  // The key of an L2TP/IPsec dial (the user's, else the service's) and where it comes
  // from; the program's name with the type that is up, for the tray tip.
  vpn::SecretText PreSharedKey() const;
  std::string TipCaption() const;
  TLineWatch FLineWatch;
  TTimer* FiguresTimer = nullptr;    // every 2 s while connected
  TTimer* ReconnectTimer = nullptr;  // the wait before the next try
  TTimer* SaveTimer = nullptr;       // a moment after a remembered value changed
  TTimer* AccountTimer = nullptr;    // the account query's whole time
  HRASCONN FLineConnection = nullptr;
  ULONGLONG FConnectedAt = 0;
  std::uint64_t FSentTotal = 0, FReceivedTotal = 0;
  unsigned FReconnectAttempt = 0;  // the try under way or waited for; 0 when none
  bool FLineUpAtSuspend = false;
  // After a wake, a try waits until the network is back before it dials.
  bool FAwaitNetwork = false;
  // A close asked for while the hang-up ran: it follows once the line is gone.
  bool FCloseAfterHangUp = false;
  bool FSaveFailureShown = false;
  // The account query under way (until its worker has ended), and whether the user has
  // had its answer already (its time ran out first).
  std::unique_ptr<TAccountQueryJob> FAccountQuery;
  bool FAccountAnswered = false;
};

extern TFrmMain* FrmMain;
