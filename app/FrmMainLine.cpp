// The main window's connection once it is up: a watch that notices the line dropping,
// the connected time and byte counts in the tray tip, dialing a dropped line again when
// "断线自动重连" is ticked, and a line that died while the machine slept.
#include <windows.h>

#include <string>
#include <utility>

#include "app/NetworkState.h"
#include "app/Settings.h"
#include "app/Unit_FrmMain.h"
#include "core/app/connect_rules.h"
#include "core/app/connection_tip.h"
#include "core/app/reconnect.h"
#include "core/app/tunnel_choice.h"
#include "core/ras/records.h"

using vpn::app::ConnectionEvent;
using vpn::app::ConnectionState;

namespace {

const char kLineDropped[] = "连接已断开";

// Whether the system still has the line up; a line it cannot tell about counts as up.
bool LineAlive(HRASCONN line) {
  if (!line) return true;
  vpn::ras::RasConnStatusA status{};
  status.dwSize = sizeof status;
  const DWORD result = dialup::RasGetConnectStatusA(line, &status);
  if (result == vpn::ras::kErrorInvalidHandle) return false;
  if (result != 0) return true;
  return status.rasconnstate != vpn::ras::kStateDisconnected && status.dwError == 0;
}

}  // namespace

// The line is up (its watch was armed by the dial before anything else): statistics, the
// phonebook entry goes, and the window goes to the tray.
void TFrmMain::LineUp(HRASCONN connection, bool direct) {
  if (!Change(ConnectionEvent::LineUp)) return;
  const TStateMark up = Mark();
  FAwaitNetwork = false;
  FLineConnection = connection;
  FConnectedAt = GetTickCount64();
  FSentTotal = FReceivedTotal = 0;
  FConnectedTunnel = FTunnels[FTunnelIndex];
  // A type from the menu or the service is named; the progress path's own text stays.
  const char* connected = direct ? "连接成功" : "连接完成";
  if (FNameTunnel)
    SetStatus(vpn::app::ConnectedTunnelText(connected, FConnectedTunnel));
  else if (direct)
    SetStatus(connected);
  if (direct) {
    Pump();
    if (!Still(up)) return;
  }
  // The statistics pump while they look for the connection's counters.
  DialUp1->ControlStatistics(true, true);
  if (direct) Pump();
  if (!Still(up)) return;
  DialUp1->DeleteEntry();
  if (!ToTray(direct)) return;
  FReconnectAttempt = 0;
  UpdateFigures();
}

// The figures come from the system's counters of the connection where it has them, else
// from the statistics the dial-up component collects; without either the tip stays the
// window's caption.
void TFrmMain::UpdateFigures() {
  if (FState != ConnectionState::Connected) return;
  if (const auto statistics = dialup::RasGetConnectionStatisticsFunc()) {
    vpn::ras::RasStats stats{};
    stats.dwSize = sizeof stats;
    if (statistics(FLineConnection, &stats) == 0) {
      FSentTotal = vpn::app::ExtendCounter(FSentTotal, stats.dwBytesXmited);
      FReceivedTotal = vpn::app::ExtendCounter(FReceivedTotal, stats.dwBytesRcved);
      TrayIcon1->SetHint(vpn::app::ConnectedTip(TipCaption(), stats.dwConnectDuration / 1000,
                                                FSentTotal, FReceivedTotal));
      return;
    }
  }
  if (DialUp1->ReadStatistics()) {
    FSentTotal = vpn::app::ExtendCounter(FSentTotal, DialUp1->BytesXmit());
    FReceivedTotal = vpn::app::ExtendCounter(FReceivedTotal, DialUp1->BytesRecv());
    TrayIcon1->SetHint(vpn::app::ConnectedTip(
        TipCaption(), (GetTickCount64() - FConnectedAt) / 1000, FSentTotal, FReceivedTotal));
  }
}

// The line went without the user asking. The system keeps a dropped connection's handle
// until it is hung up, so it is let go first; the phonebook entry was deleted when the
// line came up.
void TFrmMain::LineDropped() {
  if (FState != ConnectionState::Connected) return;
  const TStateMark up = Mark();
  DialUp1->SetEntry(vpn::app::kEntryName);
  HangUpLine();
  if (!Still(up)) return;
  const bool again = A1->Checked();
  Change(ConnectionEvent::LineLost, again);
  FLineConnection = nullptr;
  TrayIcon1->ShowBalloon(Caption(), kLineDropped, bikWarning, 10);
  if (again) {
    ScheduleReconnect(0);
    return;
  }
  BackFromTray(kLineDropped);
}

void TFrmMain::BackFromTray(const std::string& status) {
  SetStatus(status);
  TrayIcon1->SetHint(vpn::app::ReconnectTip(Caption(), status));
  TrayIcon1->SetMinimizeToTray(false);
  TrayIcon1->RestoreMainWindow();
}

void TFrmMain::DropNewsSeen() {
  // Only the icon kept for the news of a drop: while connected it stays.
  if (vpn::app::ViewOf(FState).inputs_enabled && TrayIcon1->IconVisible())
    TrayIcon1->SetIconVisible(false);
}

// Entered WaitingToReconnect (whose timer the state started): the wait before try
// FReconnectAttempt + 1.
void TFrmMain::ScheduleReconnect(std::int64_t last_error) {
  ++FReconnectAttempt;
  const unsigned wait = vpn::app::ReconnectDelaySeconds(FReconnectAttempt);
  const std::string text = vpn::app::ReconnectWaitText(FReconnectAttempt, wait, last_error);
  SetStatus(text);
  TrayIcon1->SetHint(vpn::app::ReconnectTip(Caption(), text));
  ReconnectTimer->SetInterval(wait * 1000);
}

void TFrmMain::ReconnectTimerTick() {
  if (FState != ConnectionState::WaitingToReconnect) return;
  // After a wake no try is made while there is no network: the timer comes again.
  if (FAwaitNetwork) {
    if (!NetworkAvailable()) {
      const std::string text = vpn::app::NetworkWaitText(FReconnectAttempt);
      SetStatus(text);
      TrayIcon1->SetHint(vpn::app::ReconnectTip(Caption(), text));
      return;
    }
    FAwaitNetwork = false;
  }
  Change(ConnectionEvent::RetryDue);
  // The type that worked, alone: Automatic's order is for finding one.
  FTunnels.assign(1, FConnectedTunnel);
  FTunnelIndex = 0;
  const std::string text = vpn::app::ReconnectDialText(FReconnectAttempt);
  SetStatus(text);
  TrayIcon1->SetHint(vpn::app::ReconnectTip(Caption(), text));
  DialAttempt();
}

void TFrmMain::A1Click(TObject* Sender) {
  A1->SetChecked(!A1->Checked());
  try {
    TSettingsStore().SaveAutoReconnect(A1->Checked());
  } catch (const std::exception& e) {
    Application->HandleException(e);
  }
  // Unticked while waiting for the next try: the line stays down.
  if (!A1->Checked() && Change(ConnectionEvent::RetriesStopped)) {
    FReconnectAttempt = 0;
    BackFromTray(kLineDropped);
  }
}

void TFrmMain::Suspending() {
  FLineUpAtSuspend = FState == ConnectionState::Connected;
  Log(vpn::app::LogKind::System, FLineUpAtSuspend ? "系统进入睡眠，连接在线" : "系统进入睡眠");
}

// The system may end a line while the machine sleeps without telling anyone: it is
// looked at after the wake, and a dead one is handled as a drop whose tries wait for
// the network to come back.
void TFrmMain::Resumed() {
  const bool was_up = std::exchange(FLineUpAtSuspend, false);
  if (FState == ConnectionState::WaitingToReconnect) FAwaitNetwork = true;
  const bool looked_at = was_up && FState == ConnectionState::Connected;
  const bool dead = looked_at && !LineAlive(FLineConnection);
  Log(vpn::app::LogKind::System, !looked_at ? "系统已唤醒"
                                 : dead     ? "系统已唤醒，连接已在睡眠中断开"
                                            : "系统已唤醒，连接仍在");
  if (!dead) return;
  FAwaitNetwork = true;
  FLineWatch.Stop();
  LineDropped();
}
