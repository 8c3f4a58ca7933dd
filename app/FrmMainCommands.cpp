// Commands from a copy started with a command line while this one runs (/connect,
// /disconnect, /status, /quit, /tray, and a start without a command). The other copy
// sends its request as WM_COPYDATA with the window it waits on for the reply; the
// request is checked as bytes from outside, queued, and carried out from this window's
// own message queue, so that a dial, a hang-up or a box never runs inside the other
// process's send. /connect and /disconnect are answered when the connection's state
// says how they ended.
#include <windows.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "app/CommandClient.h"
#include "app/Unit_FrmMain.h"
#include "core/app/advice.h"
#include "core/app/connect_rules.h"
#include "core/text/text.h"

using vpn::app::Command;
using vpn::app::ConnectionEvent;
using vpn::app::ConnectionState;
using vpn::app::LogKind;

namespace {

// Requests queued at once; more are refused until these have run.
constexpr size_t kMaxQueuedCommands = 16;
constexpr DWORD kReplyLimitMs = 3000;

// Only a window made for replies gets one (the window handle came from outside).
bool IsReplyWindow(HWND w) {
  wchar_t name[64] = {};
  return IsWindow(w) && GetClassNameW(w, name, 64) > 0 &&
         std::wstring_view(name) == kReplyWindowClass;
}

bool Settled(ConnectionState s) {
  return s == ConnectionState::Idle || s == ConnectionState::Failed ||
         s == ConnectionState::Dropped;
}

// Why a connect that the window's checks refused did not start.
std::string InputFaultText(vpn::app::InputFault fault) {
  switch (fault) {
    case vpn::app::InputFault::kServer:
      return "无法连接：请先填写服务器地址";
    case vpn::app::InputFault::kUserName:
      return "无法连接：请先填写用户名";
    case vpn::app::InputFault::kPassword:
      return "无法连接：请先填写密码（或在窗口中选择记住密码）";
    case vpn::app::InputFault::kNone:
      break;
  }
  return "无法连接";
}

}  // namespace

bool TFrmMain::EverydayMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_COPYDATA:
      CommandArrived(m);
      return true;
    case kCommandsWaiting: {
      std::vector<std::pair<vpn::app::CommandRequest, HWND>> commands = std::move(FCommands);
      FCommands.clear();
      for (const auto& [request, reply] : commands) RunCommand(request, reply);
      return true;
    }
    case kCommandCheck:
      AnswerWaiters();
      return true;
    default:
      return false;
  }
}

void TFrmMain::CommandArrived(TMessage& m) {
  m.Result = FALSE;
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(m.LParam);
  if (!data || data->dwData != vpn::app::kRequestTag || data->cbData > vpn::app::kMaxRequestBytes ||
      (data->cbData && !data->lpData) || FCommands.size() >= kMaxQueuedCommands)
    return;
  const std::optional<vpn::app::CommandRequest> request = vpn::app::DecodeRequest(
      std::string_view(static_cast<const char*>(data->lpData), data->cbData));
  const HWND reply = reinterpret_cast<HWND>(m.WParam);
  if (!request || (reply && !IsReplyWindow(reply))) return;
  FCommands.emplace_back(*request, reply);
  PostMessageW(Handle(), kCommandsWaiting, 0, 0);
  m.Result = TRUE;
}

void TFrmMain::RunCommand(const vpn::app::CommandRequest& request, HWND reply) {
  if (request.command != Command::Show)
    Log(LogKind::Command, std::string("命令行 ") + vpn::app::CommandOption(request.command) +
                              (request.server.empty() ? "" : " " + request.server));
  switch (request.command) {
    case Command::Connect:
      ConnectCommand(request.server, reply);
      return;
    case Command::Disconnect:
      DisconnectCommand(reply);
      return;
    case Command::Status:
      Reply(reply, vpn::app::kExitDone, StatusReportText());
      return;
    case Command::Quit:
      // Answered first: the other copy then waits for this one to end.
      Reply(reply, vpn::app::kExitDone, {});
      FQuitAsked = true;
      Close();
      FQuitAsked = false;  // a close that did not happen (a hang-up under way) asks again
      return;
    case Command::Tray:
      TrayIcon1->SetHint(Caption());
      TrayIcon1->SetIconVisible(true);
      TrayIcon1->HideMainWindow();
      Reply(reply, vpn::app::kExitDone, {});
      return;
    case Command::Show:
      TrayIcon1->RestoreMainWindow();
      DropNewsSeen();
      Reply(reply, vpn::app::kExitDone, {});
      return;
    case Command::None:
      break;
  }
}

void TFrmMain::ConnectCommand(const std::string& server, HWND reply) {
  const bool other_server = !server.empty() && vpn::Trim(server) != vpn::Trim(FServerAddress);
  switch (FState) {
    case ConnectionState::Connected:
      if (other_server)
        Reply(reply, vpn::app::kExitFailed, "已连接到 " + FServerAddress + "，请先断开");
      else
        Reply(reply, vpn::app::kExitDone, {});
      return;
    case ConnectionState::Disconnecting:
      Reply(reply, vpn::app::kExitFailed, "正在断开连接，请稍后再试");
      return;
    case ConnectionState::Dialing:
    case ConnectionState::Reconnecting:
    case ConnectionState::WaitingToReconnect:
      if (other_server) {
        Reply(reply, vpn::app::kExitFailed, "正在连接 " + FServerAddress + "，请先断开");
        return;
      }
      FWaiters.push_back({reply, true});
      return;
    case ConnectionState::Idle:
    case ConnectionState::Dropped:
    case ConnectionState::Failed:
      break;
  }
  if (!server.empty()) IPAddrTxt->SetText(server);
  const std::string status_before = StatusBar1->Panels()->Items(0)->Text();
  const unsigned serial = FStateSerial;
  FWaiters.push_back({reply, true});
  try {
    Button1Click(Button1);
  } catch (const std::exception& e) {
    // A registry error of the L2TP preparation: the other copy hears it before the box.
    std::erase_if(FWaiters, [&](const TCommandWaiter& w) { return w.reply == reply; });
    Reply(reply, vpn::app::kExitFailed, Application->ExceptionText(e.what()));
    throw;
  }
  if (FStateSerial != serial) return;  // the dial's outcome answers
  // The window's checks refused the input: the status says why when it changed.
  std::erase_if(FWaiters, [&](const TCommandWaiter& w) { return w.reply == reply; });
  const std::string status = StatusBar1->Panels()->Items(0)->Text();
  Reply(reply, vpn::app::kExitFailed,
        status != status_before
            ? status
            : InputFaultText(vpn::app::FirstInputFault(IPAddrTxt->Text(), UserNameTxt->Text(),
                                                       PasswordText().view())));
}

void TFrmMain::DisconnectCommand(HWND reply) {
  if (FState == ConnectionState::Disconnecting) {
    FWaiters.push_back({reply, false});
    return;
  }
  if (!vpn::app::ViewOf(FState).disconnect_enabled) {
    Reply(reply, vpn::app::kExitDone, {});
    return;
  }
  FWaiters.push_back({reply, false});
  Button2Click(Button2);
}

// Each waiting command whose outcome the state now tells is answered.
void TFrmMain::AnswerWaiters() {
  const std::string status = StatusBar1->Panels()->Items(0)->Text();
  std::vector<TCommandWaiter> waiting = std::move(FWaiters);
  FWaiters.clear();
  for (const TCommandWaiter& w : waiting) {
    if (w.want_connected && FState == ConnectionState::Connected) {
      Reply(w.reply, vpn::app::kExitDone, {});
    } else if (w.want_connected && Settled(FState)) {
      std::string why = status;
      if (FLastEvent == ConnectionEvent::ConnectWithdrawn)
        why = "你需要重新启动系统，然后再运行此程序";
      else if (FState == ConnectionState::Failed && FLastDialError != 0)
        why = vpn::app::DialFailureText(FLastDialError);
      Reply(w.reply, vpn::app::kExitFailed, why);
    } else if (!w.want_connected && Settled(FState)) {
      Reply(w.reply, vpn::app::kExitDone, {});
    } else if (!w.want_connected && FState == ConnectionState::Connected) {
      Reply(w.reply, vpn::app::kExitFailed, status);  // the hang-up failed
    } else {
      FWaiters.push_back(w);
    }
  }
}

void TFrmMain::Reply(HWND to, int code, const std::string& text) {
  if (!to || !IsReplyWindow(to)) return;
  const std::string bytes = vpn::app::EncodeReply({code, text});
  COPYDATASTRUCT data{vpn::app::kReplyTag, static_cast<DWORD>(bytes.size()),
                      const_cast<char*>(bytes.data())};
  DWORD_PTR ignored = 0;
  // A copy that no longer answers does not hold this window up for long.
  SendMessageTimeoutW(to, WM_COPYDATA, reinterpret_cast<WPARAM>(Handle()),
                      reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK, kReplyLimitMs,
                      &ignored);
}

std::string TFrmMain::StatusReportText() {
  vpn::app::StatusFacts facts;
  facts.state = vpn::app::StateName(FState);
  facts.status_text = StatusBar1->Panels()->Items(0)->Text();
  facts.connected = FState == ConnectionState::Connected;
  if (facts.connected) {
    UpdateFigures();
    facts.server = FServerAddress;
    facts.tunnel = ConnectedTunnel();
    facts.seconds = (GetTickCount64() - FConnectedAt) / 1000;
    facts.sent = FSentTotal;
    facts.received = FReceivedTotal;
  }
  return vpn::app::StatusReport(facts);
}
