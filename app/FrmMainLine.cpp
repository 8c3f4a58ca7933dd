// The main window's connection once it is up: a watch that notices the line dropping,
// the connected time and byte counts in the tray tip, and dialing a dropped line again
// when "断线自动重连" is ticked.
#include <windows.h>

#include <string>

#include "app/Settings.h"
#include "app/Unit_FrmMain.h"
#include "core/app/connect_rules.h"
#include "core/app/connection_tip.h"
#include "core/app/reconnect.h"

namespace {

const char kLineDropped[] = "连接已断开";

}  // namespace

void TFrmMain::LineUp(HRASCONN connection) {
  FReconnectAttempt = 0;
  ReconnectTimer->SetEnabled(false);
  FLineConnection = connection;
  FConnectedAt = GetTickCount64();
  FSentTotal = FReceivedTotal = 0;
  // Where the system cannot tell, the program goes on as it always did: a drop is then
  // noticed only when the user disconnects.
  FLineWatch.Watch(connection);
  FiguresTimer->SetEnabled(true);
  UpdateFigures();
}

void TFrmMain::StopLine() {
  FLineWatch.Stop();
  FiguresTimer->SetEnabled(false);
  ReconnectTimer->SetEnabled(false);
  FReconnectAttempt = 0;
}

// The figures come from the system's counters of the connection where it has them, else
// from the statistics the dial-up component collects; without either the tip stays the
// window's caption.
void TFrmMain::UpdateFigures() {
  if (!Button2->Enabled()) {
    FiguresTimer->SetEnabled(false);
    return;
  }
  if (const auto statistics = dialup::RasGetConnectionStatisticsFunc()) {
    vpn::ras::RasStats stats{};
    stats.dwSize = sizeof stats;
    if (statistics(FLineConnection, &stats) == 0) {
      FSentTotal = vpn::app::ExtendCounter(FSentTotal, stats.dwBytesXmited);
      FReceivedTotal = vpn::app::ExtendCounter(FReceivedTotal, stats.dwBytesRcved);
      TrayIcon1->SetHint(vpn::app::ConnectedTip(Caption(), stats.dwConnectDuration / 1000,
                                                FSentTotal, FReceivedTotal));
      return;
    }
  }
  if (DialUp1->ReadStatistics()) {
    FSentTotal = vpn::app::ExtendCounter(FSentTotal, DialUp1->BytesXmit());
    FReceivedTotal = vpn::app::ExtendCounter(FReceivedTotal, DialUp1->BytesRecv());
    TrayIcon1->SetHint(vpn::app::ConnectedTip(Caption(), (GetTickCount64() - FConnectedAt) / 1000,
                                              FSentTotal, FReceivedTotal));
  }
}

// The line went without the user asking. The system keeps a dropped connection's handle
// until it is hung up, so it is let go first; the phonebook entry was deleted when the
// line came up.
void TFrmMain::LineDropped() {
  FiguresTimer->SetEnabled(false);
  DialUp1->SetEntry(vpn::app::kEntryName);
  if (DialsWithProgressHere())
    DialUp1->HangUp();
  else
    HangUpOwnConnection();
  TrayIcon1->ShowBalloon(Caption(), kLineDropped, bikWarning, 10);
  if (A1->Checked()) {
    ScheduleReconnect(0);
    return;
  }
  BackFromTray(kLineDropped);
}

void TFrmMain::BackFromTray(const std::string& status) {
  StopLine();
  RestoreInputs();
  SetStatus(status);
  TrayIcon1->SetHint(vpn::app::ReconnectTip(Caption(), status));
  TrayIcon1->SetMinimizeToTray(false);
  TrayIcon1->RestoreMainWindow();
}

void TFrmMain::DropNewsSeen() {
  // Only the icon kept for the news of a drop: while connected it stays.
  if (!Button2->Enabled() && TrayIcon1->IconVisible()) TrayIcon1->SetIconVisible(false);
}

void TFrmMain::ScheduleReconnect(std::int64_t last_error) {
  ++FReconnectAttempt;
  const unsigned wait = vpn::app::ReconnectDelaySeconds(FReconnectAttempt);
  const std::string text = vpn::app::ReconnectWaitText(FReconnectAttempt, wait, last_error);
  SetStatus(text);
  TrayIcon1->SetHint(vpn::app::ReconnectTip(Caption(), text));
  ReconnectTimer->SetInterval(wait * 1000);
  ReconnectTimer->SetEnabled(true);
}

void TFrmMain::ReconnectTimerTick() {
  ReconnectTimer->SetEnabled(false);
  if (FReconnectAttempt == 0 || !Button2->Enabled()) return;
  const std::string text = vpn::app::ReconnectDialText(FReconnectAttempt);
  SetStatus(text);
  TrayIcon1->SetHint(vpn::app::ReconnectTip(Caption(), text));
  StartDial(FDialL2tp);
}

bool TFrmMain::RetryAfterFailure(std::int64_t error) {
  if (FReconnectAttempt == 0) return false;
  if (A1->Checked() && !vpn::app::StopsReconnecting(error)) {
    ScheduleReconnect(error);
    return true;
  }
  // The tries end here: the window comes back for the user, who sees why.
  FReconnectAttempt = 0;
  LeaveTray();
  return false;
}

void TFrmMain::A1Click(TObject* Sender) {
  A1->SetChecked(!A1->Checked());
  try {
    TSettingsStore().SaveAutoReconnect(A1->Checked());
  } catch (const std::exception& e) {
    Application->HandleException(e);
  }
  // Unticked while waiting for the next try: the line stays down.
  if (!A1->Checked() && ReconnectTimer->Enabled()) BackFromTray(kLineDropped);
}
