// The main window's everyday use: the connection log (every state, every status text,
// each failed dial's number, system text and advice, sleep and wake), the advice shown
// beside the status bar once a dial is given up, the settings sub-menu's items (start
// with Windows, connect once started, the log window), and the start from the command
// line.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <memory>
#include <string>

#include "app/ConnectionLog.h"
#include "app/Settings.h"
#include "app/StartWithWindows.h"
#include "app/Unit_FrmMain.h"
#include "core/app/advice.h"
#include "core/app/connect_rules.h"
#include "core/ras/status_text.h"
#include "core/text/text.h"
#include "dialup/Ras.h"
#include "forms/FrmLog.h"

using vpn::app::ConnectionEvent;
using vpn::app::ConnectionState;
using vpn::app::LogKind;

namespace {

// How long the advice stays beside the status bar (the status bar's tip keeps it).
constexpr unsigned kAdviceMs = 15000;

}  // namespace

void TFrmMain::StartEverydayUse() {
  // The file work waits for the first entry (and its writer for the first picture).
  FLog = std::make_unique<TConnectionLog>();
  AdviceTimer = new TTimer(this);
  AdviceTimer->SetEnabled(false);
  AdviceTimer->SetInterval(kAdviceMs);
  AdviceTimer->SetOnTimer([this](TObject*) { HideDialAdvice(); });
  StateObservers.push_back([this](ConnectionState from, ConnectionState to, ConnectionEvent why) {
    FLastEvent = why;
    std::string text = vpn::app::StateChangeText(from, to, why);
    if (why == ConnectionEvent::Connect) {
      FLastDialError = 0;
      text += "：服务器 " + FServerAddress + "，用户 " + UserNameTxt->Text() +
              (CheckBox2->Checked() ? "，L2TP模式" : "");
    } else if (why == ConnectionEvent::LineUp) {
      text += "：" + ConnectedTunnel();
    }
    Log(LogKind::State, text);
    // Commands waiting for an outcome look at it once the handler that changed the state
    // has shown it (the status of a failure comes right after the change).
    if (!FWaiters.empty()) PostMessageW(Handle(), PM_COMMANDCHECK, 0, 0);
  });
  StatusObservers.push_back([this](const std::string& text) {
    HideDialAdvice();
    Log(LogKind::Status, text);
  });
  // The start-with-Windows tick follows the Run key, which others may change too.
  PopupMenu1->OnPopup = [this](TObject*) { B1->SetChecked(StartsWithWindows()); };
  Application->AfterFirstShow([this, alive = std::weak_ptr<int>(FLifeToken)] {
    if (!alive.expired()) AfterFirstPicture();
  });
}

void TFrmMain::StartFromCommandLine(const vpn::app::CommandLine& command) {
  if (command.command == vpn::app::Command::Tray) {
    // The window stays hidden; the icon is there to bring it back and for its menu.
    Application->ShowMainForm = false;
    TrayIcon1->SetHint(Caption());
    TrayIcon1->SetIconVisible(true);
  } else if (command.command == vpn::app::Command::Connect) {
    FConnectAtStart = true;
    FStartServer = command.server;
  }
}

void TFrmMain::AfterFirstPicture() {
  FLog->Start();
  // The line watch's waiter is made now, while nothing waits for it, not in a connect.
  FLineWatch.Prepare();
  try {
    B1->SetChecked(StartsWithWindows());
    O1->SetChecked(TSettingsStore().LoadConnectOnStart());
  } catch (const std::exception&) {
    // Unreadable: the items stay unticked, and the program starts as it always did.
  }
  const bool remembered = CheckBox1->Checked() && !vpn::IsBlank(PasswordText().view());
  if (!FConnectAtStart && !(O1->Checked() && remembered)) return;
  if (!FStartServer.empty()) IPAddrTxt->SetText(FStartServer);
  Log(LogKind::Command, FConnectAtStart ? "命令行 /connect" : "启动后自动连接");
  Button1Click(Button1);
}

void TFrmMain::Log(LogKind kind, const std::string& text) {
  if (!FLog) return;
  const std::string line = FLog->Add(kind, text);
  if (FrmLog && FrmLog->Visible()) FrmLog->AddLine(line);
}

void TFrmMain::LogDialError(std::int64_t error) {
  FLastDialError = error;
  std::string system;
  try {
    system = vpn::ras::ErrorText(static_cast<std::int32_t>(error),
                                 [](std::uint32_t code, char* buffer, std::uint32_t size) {
                                   return dialup::RasGetErrorStringA(code, buffer, size);
                                 });
  } catch (const std::exception&) {
    system = vpn::ras::UnknownErrorText();  // the system lacks the function
  }
  Log(LogKind::Error, "错误号 " + std::to_string(error) + "：" + vpn::Trim(system) + " 建议：" +
                          vpn::app::DialAdvice(error));
}

void TFrmMain::ShowDialAdvice(std::int64_t error) {
  const std::string title = vpn::app::DialFailureStatus(error);
  const std::string advice = vpn::app::DialAdvice(error);
  // The status bar is too narrow for the sentence: its tip holds it for good, a balloon
  // over it shows it for a while.
  StatusBar1->SetHint(title + " " + advice);
  if (!IsWindowVisible(Handle()) || !StatusBar1->HandleAllocated()) {
    if (TrayIcon1->IconVisible()) TrayIcon1->ShowBalloon(title, advice, bikWarning, 15);
    return;
  }
  if (!FAdviceTip || !IsWindow(FAdviceTip)) {
    FAdviceTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_NOPREFIX | TTS_BALLOON | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!FAdviceTip) return;
    SendMessageW(FAdviceTip, TTM_SETMAXTIPWIDTH, 0, 280);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = Handle();
    tool.uId = 1;
    tool.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(FAdviceTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  std::wstring text = GbkToWide(advice);
  const std::wstring caption = GbkToWide(title);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = Handle();
  tool.uId = 1;
  tool.lpszText = text.data();
  SendMessageW(FAdviceTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(FAdviceTip, TTM_SETTITLEW, TTI_WARNING, reinterpret_cast<LPARAM>(caption.c_str()));
  // The balloon's point sits on the status bar, under the start of its text.
  RECT bar{};
  GetWindowRect(StatusBar1->Handle(), &bar);
  SendMessageW(FAdviceTip, TTM_TRACKPOSITION, 0, MAKELPARAM(bar.left + 24, bar.bottom - 4));
  SendMessageW(FAdviceTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  AdviceTimer->SetEnabled(false);
  AdviceTimer->SetEnabled(true);
}

void TFrmMain::HideDialAdvice() {
  // The status bar's tip holds the advice exactly while it is shown.
  if (StatusBar1->Hint().empty()) return;
  AdviceTimer->SetEnabled(false);
  if (FAdviceTip && IsWindow(FAdviceTip)) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = Handle();
    tool.uId = 1;
    SendMessageW(FAdviceTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
  }
  StatusBar1->SetHint("");
}

// Started with Windows: the Run key gets the program with /tray, or loses it.
void TFrmMain::B1Click(TObject* Sender) {
  try {
    SetStartsWithWindows(!StartsWithWindows());
  } catch (const std::exception& e) {
    Application->HandleException(e);
  }
  B1->SetChecked(StartsWithWindows());
}

void TFrmMain::O1Click(TObject* Sender) {
  try {
    TSettingsStore().SaveConnectOnStart(!O1->Checked());
    O1->SetChecked(!O1->Checked());
  } catch (const std::exception& e) {
    Application->HandleException(e);
  }
}

// The log window: what the file holds now (the entries still on their way included),
// then each new entry as it comes.
void TFrmMain::L1Click(TObject* Sender) {
  if (!FrmLog) Application->CreateForm(FrmLog);
  FLog->Flush();
  const std::wstring path = FLog->Path();
  FrmLog->ShowLog(ReadConnectionLog(path), path);
  FrmLog->Show();
}
