// The main window's connection state and its dial: the one place where the state
// changes, what the window shows for it, the connect, one dial by the system's path (for
// the user's connect and for every try to dial a dropped line again), its end, and the
// user's hang-up.
//
// Every handler here pumps window messages on its way, and a pump can run another
// handler: the user's Disconnect, a close, a second connect. After each pump a flow goes
// on only while the state is still the one it left (Still); otherwise whatever ran in
// the pump has taken over, and the flow ends there.
#include <windows.h>

#include <initializer_list>
#include <utility>

#include "app/OwnConnection.h"
#include "app/Unit_FrmMain.h"
#include "core/app/connect_rules.h"
#include "core/app/reconnect.h"
#include "core/app/tunnel_choice.h"
#include "core/ras/records.h"
#include "core/ras/status_text.h"
#include "core/text/text.h"
#include "dialup/VpnEntry.h"

using vpn::app::ConnectionEvent;
using vpn::app::ConnectionState;

bool TFrmMain::Change(ConnectionEvent event, bool dial_again) {
  const std::optional<ConnectionState> next = vpn::app::NextState(FState, event, dial_again);
  if (!next) return false;
  const ConnectionState from = FState;
  FState = *next;
  ++FStateSerial;
  ShowState();
  for (const TStateObserver& observer : StateObservers) observer(from, FState, event);
  return true;
}

void TFrmMain::ShowState() {
  const vpn::app::ConnectionView view = vpn::app::ViewOf(FState);
  for (TControl* c : std::initializer_list<TControl*>{AreaTxt, IPAddrTxt, UserNameTxt, PasswordTxt,
                                                      Button1, CheckBox1, CheckBox2})
    c->SetEnabled(view.inputs_enabled);
  Button2->SetEnabled(view.disconnect_enabled);
  C1->SetEnabled(view.inputs_enabled);
  D1->SetEnabled(view.disconnect_enabled);
  FiguresTimer->SetEnabled(view.figures_timer);
  ReconnectTimer->SetEnabled(view.reconnect_timer);
}

void TFrmMain::Pump() {
  Application->ProcessMessages();
}

// The connect: the checks, the protocol, then one dial. A second click queued while the
// first is handled finds the connect under way and does nothing.
void TFrmMain::Button1Click(TObject* Sender) {
  if (!vpn::app::ViewOf(FState).inputs_enabled) return;
  FServerAddress = IPAddrTxt->Text();
  if (!ConnectInputsReady()) return;
  Change(ConnectionEvent::Connect);
  const TStateMark dialing = Mark();
  FReconnectAttempt = 0;
  SetStatus("建立连接");
  Pump();
  if (!Still(dialing)) return;
  bool go_on = false;
  try {
    go_on = ChooseTunnels();
  } catch (...) {
    // A registry error ends the connect here; the application's error box says why.
    if (Still(dialing)) Change(ConnectionEvent::ConnectWithdrawn);
    throw;
  }
  if (!Still(dialing)) return;
  if (!go_on) {
    // The system must be restarted first (the status keeps "建立连接"), or the key is
    // missing (the status says so).
    Change(ConnectionEvent::ConnectWithdrawn);
    return;
  }
  DialAttempt();
}

bool TFrmMain::DialsWithProgressHere() {
  std::string name;
  dialup::OsVersionName(name);
  return vpn::app::DialsWithProgress(name);
}

void TFrmMain::DialAttempt() {
  const TStateMark dialing = Mark();
  try {
    DialByPath(dialing);
  } catch (...) {
    // A remote-access function the system lacks ends the dial (the application's error
    // box names it); the window does not stay locked in a dial that never started.
    if (Still(dialing)) Change(ConnectionEvent::DialFailed);
    throw;
  }
}

void TFrmMain::DialByPath(const TStateMark& dialing) {
  const bool written = WriteEntry(FTunnels[FTunnelIndex]);
  if (!Still(dialing)) return;
  // A type whose entry the system does not take (an older system without it) is not
  // dialed while there are others to try; the last is dialed all the same, as the design
  // dials an entry that could not be written.
  if (!written && FTunnelIndex + 1 < FTunnels.size()) {
    NextTunnel();
    return;
  }
  DialUp1->SetEntry(vpn::app::kEntryName);
  // The account goes with the entry as typed, in one write.
  DialUp1->SetEntryAccount(UserNameTxt->Text(), PasswordText().str());
  if (DialsWithProgressHere()) {
    // The outcome arrives in DialUp1AsyncEvent, or in DialUp1Error when the dial cannot
    // start at all. The component first waits for its previous line to go, pumping: a
    // hang-up that came in then ends the new line at once.
    DialUp1->Dial();
    if (FState == ConnectionState::Idle && DialUp1->ConnHandle()) DialUp1->HangUp();
    return;
  }
  DialDirectly(dialing);
}

// Automatic says which type it tries; a single type shows the design's text once its
// entry is written.
bool TFrmMain::WriteEntry(vpn::ras::Tunnel tunnel) {
  const bool trying = FTunnels.size() > 1;
  if (trying) SetStatus(vpn::app::TryingTunnelText(tunnel));
  bool written = false;
  if (tunnel == vpn::ras::Tunnel::kL2tpIpsec) {
    const vpn::SecretText key = PreSharedKey();
    written = dialup::WriteVpnEntry(vpn::app::kEntryName, FServerAddress, tunnel, key.view());
  } else {
    written = dialup::WriteVpnEntry(vpn::app::kEntryName, FServerAddress, tunnel);
  }
  if (written && !trying) SetStatus("连接中....请稍等");
  Pump();
  return written;
}

// The dial that returns only when the line is up or has failed. Clicks and a close that
// came meanwhile wait in the queue and run in the pump after it.
void TFrmMain::DialDirectly(const TStateMark& dialing) {
  DWORD result = 0;
  {
    const vpn::SecretText password(vpn::Trim(PasswordText().view()));
    result = dialup::DirectDial(vpn::app::kEntryName, vpn::Trim(UserNameTxt->Text()),
                                password.str(), &FDirectConnection);
  }
  // The watch before anything else: a line that drops while the window is still busy
  // is noticed all the same.
  if (result == 0 && FDirectConnection) FLineWatch.Watch(FDirectConnection);
  Pump();
  // A Disconnect or a close in the pump has hung this dial's line up already.
  if (!Still(dialing)) return;
  DialEnded(result, FDirectConnection, true);
}

void TFrmMain::DialUp1AsyncEvent(TObject* Sender, std::int32_t State, std::int32_t Error,
                                 const std::string& MessageText) {
  // Late news of a dial that a hang-up or a close has ended is not shown.
  if (FState != ConnectionState::Dialing && FState != ConnectionState::Reconnecting) return;
  const TStateMark dialing = Mark();
  // DialUp1 speaks the Chinese status texts; their "connected" text ends the dial.
  static const std::string connected =
      vpn::ras::StateText(vpn::ras::StatusTable::Chinese, vpn::ras::kStateConnected);
  const bool up = MessageText == connected;
  if (up && DialUp1->ConnHandle()) FLineWatch.Watch(DialUp1->ConnHandle());
  SetStatus(MessageText);
  Pump();
  if (!Still(dialing)) return;
  if (up)
    DialEnded(0, DialUp1->ConnHandle(), false);
  else if (Error != 0)
    DialEnded(Error, nullptr, false);
}

// Without this the window would stay "connecting" for good: the component reports a
// dial that never started only here.
void TFrmMain::DialUp1Error(TObject* Sender, std::int32_t ErrorCode,
                            const std::string& ErrorMessage) {
  if (FState != ConnectionState::Dialing && FState != ConnectionState::Reconnecting) return;
  DialEnded(ErrorCode, nullptr, false);
}

// Automatic goes on with the next type only when this one cannot be made here; a refused
// login, or the last type's failure, ends the connect.
void TFrmMain::DialEnded(std::int64_t error, HRASCONN line, bool direct) {
  if (error == 0) {
    LineUp(line, direct);
  } else if (FTunnelIndex + 1 < FTunnels.size() && vpn::app::TunnelNotPossible(error)) {
    if (LetFailedLineGo(direct)) NextTunnel();
  } else {
    DialFailed(error, direct);
  }
}

// A failed direct dial still holds a line that must be let go; the component's dial lets
// its own go when it dials again.
bool TFrmMain::LetFailedLineGo(bool direct) {
  if (!direct) return true;
  const TStateMark dialing = Mark();
  Pump();
  if (!Still(dialing)) return false;
  HangUpOwnConnection();
  return Still(dialing);
}

// Each type from an entry written afresh: the system rewrites an entry's strategy after a
// fallback of its own.
void TFrmMain::NextTunnel() {
  DialUp1->DeleteEntry();
  if (!Change(ConnectionEvent::TunnelRefused)) return;
  ++FTunnelIndex;
  DialAttempt();
}

// The next try is waited for, or the failure is shown.
void TFrmMain::DialFailed(std::int64_t error, bool direct) {
  const bool retry = FState == ConnectionState::Reconnecting;
  if (!LetFailedLineGo(direct)) return;
  DialUp1->DeleteEntry();
  LogDialError(error);
  const bool again = retry && A1->Checked() && !vpn::app::StopsReconnecting(error);
  if (!Change(ConnectionEvent::DialFailed, again)) return;
  if (again) {
    ScheduleReconnect(error);
    return;
  }
  // The user's connect failed, or the tries end here: the window comes back for the user,
  // who sees why.
  FReconnectAttempt = 0;
  SetStatus(vpn::app::DialFailureStatus(error));
  if (direct || retry) LeaveTray();
  ShowDialAdvice(error);
  if (!direct) Button1->SetFocus();
  if (direct) Pump();
}

void TFrmMain::LeaveTray() {
  TrayIcon1->SetMinimizeToTray(false);
  TrayIcon1->SetIconVisible(false);
  TrayIcon1->RestoreMainWindow();
}

bool TFrmMain::ToTray(bool pump_before_hiding) {
  const TStateMark up = Mark();
  TrayIcon1->SetIconVisible(true);
  TrayIcon1->SetMinimizeToTray(true);
  TrayIcon1->SetHint(TipCaption());
  // A window that is not on screen (started to the tray, or a line dialed again from
  // there) is not minimised first: that would show the task-bar button for a moment.
  if (IsWindowVisible(Handle())) SendMessageW(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  if (pump_before_hiding) {
    Pump();
    if (!Still(up)) return false;
  }
  TrayIcon1->HideMainWindow();
  // A line dialed again after a drop says so instead.
  TrayIcon1->ShowBalloon(vpn::app::kProgramCaption,
                         FReconnectAttempt ? "已重新连接" : "程序已最小化.", bikInfo, 10);
  return true;
}

DWORD TFrmMain::HangUpOwnConnection() {
  HRASCONN own = std::exchange(FDirectConnection, nullptr);
  if (!own) {
    DWORD error = 0;
    own = FindEntryConnection(vpn::app::kEntryName, &error);
    // No line of the program's entry is up: there is nothing to hang up.
    if (!own) return error;
  }
  return DialUp1->HangUpConnection(own);
}

DWORD TFrmMain::HangUpLine() {
  const DWORD result = DialsWithProgressHere() ? DialUp1->HangUp() : HangUpOwnConnection();
  // A handle the system no longer knows is a line already gone.
  return result == vpn::ras::kErrorInvalidHandle ? 0 : result;
}

// The user's hang-up, during any phase. "断开成功" only when the line is really gone; a
// hang-up the system refused or did not finish says so with its number, and the state
// stays Connected so that the user can try again.
void TFrmMain::Button2Click(TObject* Sender) {
  if (!Change(ConnectionEvent::Disconnect)) return;
  // The user's own hang-up is no drop.
  FLineWatch.Stop();
  SetStatus("状态: 断开中...");
  DialUp1->SetEntry(vpn::app::kEntryName);
  Pump();
  const DWORD result = HangUpLine();
  DialUp1->DeleteEntry();
  if (result == 0) {
    Change(ConnectionEvent::HangUpDone);
    FReconnectAttempt = 0;
    FLineConnection = nullptr;
    SetStatus("断开成功");
    LeaveTray();
  } else {
    Change(ConnectionEvent::HangUpFailed);
    SetStatus(vpn::app::HangUpFailureStatus(result));
    // The line may still be up: its drop is noticed as before.
    if (FLineConnection) FLineWatch.Watch(FLineConnection);
  }
  if (std::exchange(FCloseAfterHangUp, false)) Close();
}
