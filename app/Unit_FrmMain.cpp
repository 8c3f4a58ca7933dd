#include "app/Unit_FrmMain.h"

#include <initializer_list>
#include <utility>

#include "app/BannerPicture.h"
#include "app/L2tpSetup.h"
#include "app/OwnConnection.h"
#include "app/ServiceConfig.h"
#include "app/Settings.h"
#include "app/WebLinks.h"
#include "core/app/connect_rules.h"
#include "core/ras/records.h"
#include "core/ras/status_text.h"
#include "core/text/text.h"
#include "dialup/OsVersion.h"
#include "dialup/VpnEntry.h"
#include "forms/FrmMainLayout.h"
#include "forms/Unit2.h"
#include "net/NetAccountQuery.h"

TFrmMain* FrmMain = nullptr;

TFrmMain::TFrmMain(TComponent* AOwner) : TForm(AOwner) {
  PublishField("Label2", Label2);
  PublishField("Label3", Label3);
  PublishField("Label1", Label1);
  PublishField("Label4", Label4);
  PublishField("WebBrowser1", WebBrowser1);
  PublishField("Panel1", Panel1);
  PublishField("Label5", Label5);
  PublishField("Button2", Button2);
  PublishField("Button4", Button4);
  PublishField("StatusBar1", StatusBar1);
  PublishField("UserNameTxt", UserNameTxt);
  PublishField("CheckBox1", CheckBox1);
  PublishField("PasswordTxt", PasswordTxt);
  PublishField("IPAddrTxtold", IPAddrTxtold);
  PublishField("Button3", Button3);
  PublishField("AreaTxt", AreaTxt);
  PublishField("CheckBox2", CheckBox2);
  PublishField("Button5", Button5);
  PublishField("Button1", Button1);
  PublishField("IPAddrTxt", IPAddrTxt);
  PublishField("WebBrowser2", WebBrowser2);
  PublishField("TrayIcon1", TrayIcon1);
  PublishField("PopupMenu1", PopupMenu1);
  PublishField("C1", C1);
  PublishField("D1", D1);
  PublishField("N1", N1);
  PublishField("X1", X1);
  PublishField("A1", A1);
  PublishField("PopupMenu2", PopupMenu2);
  PublishField("N2", N2);
  PublishField("N6", N6);
  PublishField("N7", N7);
  PublishField("N3", N3);
  PublishField("N4", N4);
  PublishField("N8", N8);
  PublishField("N5", N5);
  PublishField("SkinData1", SkinData1);
  PublishField("DialUp1", DialUp1);

  PublishMethod("FormCreate", &TFrmMain::FormCreate);
  PublishMethod("FormCloseQuery", &TFrmMain::FormCloseQuery);
  PublishMethod("FormClose", &TFrmMain::FormClose);
  PublishMethod("Button1Click", &TFrmMain::Button1Click);
  PublishMethod("Button2Click", &TFrmMain::Button2Click);
  PublishMethod("Button3Click", &TFrmMain::Button3Click);
  PublishMethod("Button4Click", &TFrmMain::Button4Click);
  PublishMethod("Button5Click", &TFrmMain::Button5Click);
  PublishMethod("IPAddrTxtKeyPress", &TFrmMain::IPAddrTxtKeyPress);
  PublishMethod("UserNameTxtKeyPress", &TFrmMain::UserNameTxtKeyPress);
  PublishMethod("PasswordTxtKeyPress", &TFrmMain::PasswordTxtKeyPress);
  PublishMethod("TrayIcon1Click", &TFrmMain::TrayIcon1Click);
  PublishMethod("X1Click", &TFrmMain::X1Click);
  PublishMethod("A1Click", &TFrmMain::A1Click);
  PublishMethod("N2Click", &TFrmMain::N2Click);
  PublishMethod("N3Click", &TFrmMain::N3Click);
  PublishMethod("N4Click", &TFrmMain::N4Click);
  PublishMethod("N5Click", &TFrmMain::N5Click);
  PublishMethod("N6Click", &TFrmMain::N6Click);
  PublishMethod("DialUp1AsyncEvent", &TFrmMain::DialUp1AsyncEvent);

  // The HTTP client's settings: over-long reply lines raise, cookies kept, no proxy,
  // content type "text/html" until the first form post, force-encoded form values. The
  // account query sets its own time limits.
  NetHTTP1 = std::make_unique<TNetHTTP>();
  NetHTTP1->MaxLineAction = maException;
  NetHTTP1->ReadTimeout = 0;
  NetHTTP1->AllowCookies = true;
  NetHTTP1->HTTPOptions = hoForceEncodeParams;

  LoadLayout(*this, FrmMainLayout);

  FiguresTimer = new TTimer(this);
  FiguresTimer->SetEnabled(false);
  FiguresTimer->SetInterval(2000);
  FiguresTimer->SetOnTimer([this](TObject*) { UpdateFigures(); });
  ReconnectTimer = new TTimer(this);
  ReconnectTimer->SetEnabled(false);
  ReconnectTimer->SetOnTimer([this](TObject*) { ReconnectTimerTick(); });
  FLineWatch.OnDropped = [this] { LineDropped(); };
}

namespace {

void Pump() {
  Application->ProcessMessages();
}

// A message box owned by the main window (texts in GBK).
int OwnedMessageBox(TForm* owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxW(owner->Handle(), GbkToWide(text).c_str(), GbkToWide(caption).c_str(), flags);
}

// Enter, as the edits hand it to their key-press handlers.
constexpr char kEnterKey = VK_RETURN;

}  // namespace

void TFrmMain::SetStatus(const std::string& text) {
  StatusBar1->Panels()->Items(0)->SetText(text);
}

void TFrmMain::RestoreInputs() {
  AreaTxt->SetEnabled(true);
  IPAddrTxt->SetEnabled(true);
  UserNameTxt->SetEnabled(true);
  PasswordTxt->SetEnabled(true);
  Button1->SetEnabled(true);
  Button2->SetEnabled(false);
  CheckBox1->SetEnabled(true);
  CheckBox2->SetEnabled(true);
}

// The title first, so that every message box from here on carries it; then the stored
// settings; the banner starts whatever the settings did.
void TFrmMain::FormCreate(TObject* Sender) {
  Application->SetTitle(Caption());
  DialUp1->OnError = [this](TObject* Sender, std::int32_t ErrorCode,
                            const std::string& ErrorMessage) {
    DialUp1Error(Sender, ErrorCode, ErrorMessage);
  };
  // The shell tells when the balloon of a dropped line has been seen or has gone.
  TrayIcon1->OnBalloonHintClick = [this](TObject*) { DropNewsSeen(); };
  TrayIcon1->OnBalloonHintTimeout = [this](TObject*) { DropNewsSeen(); };
  try {
    TSettingsStore().Load({[this](const std::string& s) { IPAddrTxt->SetText(s); },
                           [this](const std::string& s) { UserNameTxt->SetText(s); },
                           [this](const std::string& s) { PasswordTxt->SetText(s); },
                           [this](bool remember) { CheckBox1->SetChecked(remember); }});
    A1->SetChecked(TSettingsStore().LoadAutoReconnect());
  } catch (const std::exception& e) {
    Application->HandleException(e);
  }
  // A service.ini that could not be used is told once; the build's values are in use.
  if (const std::string problem = ServiceConfigurationProblem(); !problem.empty())
    SetStatus(problem);
  // A banner page that cannot be shown leaves the program's name on the skin's title
  // picture, not an error page or an empty band.
  WebBrowser1->OnPaintPlaceholder = [this](HDC DC, const RECT& Rect) {
    DrawBannerPicture(DC, Rect, SkinData1, Caption());
  };
  WebBrowser1->Navigate(GbkToWide(BannerAddress()));
}

// A connection in use is hung up only when the user agrees to close.
void TFrmMain::FormCloseQuery(TObject* Sender, bool& CanClose) {
  if (!Button2->Enabled()) return;
  const int answer = OwnedMessageBox(this, "VPN正在使用中,关闭程序将断开VPN连接,真的要关闭吗？",
                                     "询问", MB_YESNO | MB_ICONQUESTION);
  if (answer == IDNO) {
    CanClose = false;
    return;
  }
  Button2->Click();
}

// The settings are saved at every close; a registry that refuses them is reported and
// the program closes all the same.
void TFrmMain::FormClose(TObject* Sender, TCloseAction& Action) {
  try {
    TSettingsStore().Save(
        {IPAddrTxt->Text(), UserNameTxt->Text(), PasswordTxt->Text(), CheckBox1->Checked()});
  } catch (const std::exception& e) {
    Application->HandleException(e);
  }
}

namespace {
// The server text of the last connect, as typed; the phonebook entry is written with it.
std::string ServerAddress;

}  // namespace

bool TFrmMain::DialsWithProgressHere() {
  std::string name;
  dialup::OsVersionName(name);
  return vpn::app::DialsWithProgress(name);
}

// The connect: the checks, the protocol, then the dial from the locking of the inputs on.
void TFrmMain::Button1Click(TObject* Sender) {
  ServerAddress = IPAddrTxt->Text();
  if (!ConnectInputsReady()) return;
  SetStatus("建立连接");
  Pump();
  bool l2tp = false;
  if (!ChooseL2tp(l2tp)) return;
  FDialL2tp = l2tp;
  StartDial(l2tp);
}

// An empty or over-long field gets the focus (and an over-long one a status text).
bool TFrmMain::ConnectInputsReady() {
  switch (vpn::app::FirstInputFault(ServerAddress, UserNameTxt->Text(), PasswordTxt->Text())) {
    case vpn::app::InputFault::kServer:
      IPAddrTxt->SetFocus();
      return false;
    case vpn::app::InputFault::kUserName:
      UserNameTxt->SetFocus();
      return false;
    case vpn::app::InputFault::kPassword:
      PasswordTxt->SetFocus();
      return false;
    case vpn::app::InputFault::kNone:
      break;
  }
  // Texts longer than the remote-access records hold are refused before anything is
  // written or dialed: cut short, they would dial another server or account than typed.
  const std::string tooLong =
      vpn::ras::DialInputProblem(ServerAddress, UserNameTxt->Text(), PasswordTxt->Text());
  if (!tooLong.empty()) {
    SetStatus(tooLong);
    if (ServerAddress.size() > vpn::ras::kMaxPhoneNumber)
      IPAddrTxt->SetFocus();
    else if (UserNameTxt->Text().size() > vpn::ras::kUserNameLength)
      UserNameTxt->SetFocus();
    else
      PasswordTxt->SetFocus();
    return false;
  }
  return true;
}

// L2TP when it is ticked and the system is ready for it; false when the connect ends here
// because the system must be restarted first.
bool TFrmMain::ChooseL2tp(bool& l2tp) {
  l2tp = false;
  if (CheckBox2->Checked()) {
    // Registry errors end the connect here and reach the application's error box.
    switch (PrepareL2tp()) {
      case lrUnsupported:
        Application->MessageBox("系统出错，不支持L2TP，将以PPTP形式连接", Application->Title(),
                                MB_OK);
        break;
      case lrRestartNeeded:
        OwnedMessageBox(this, "你需要重新启动系统，然后再运行此程序", "提示", MB_OK);
        return false;
      case lrReady:
        l2tp = true;
        break;
    }
  }
  return true;
}

void TFrmMain::StartDial(bool l2tp) {
  LockInputs();
  WriteEntry(l2tp);
  DialByPath();
}

void TFrmMain::LockInputs() {
  for (TControl* c : std::initializer_list<TControl*>{IPAddrTxt, AreaTxt, UserNameTxt, PasswordTxt,
                                                      Button1, CheckBox1, CheckBox2})
    c->SetEnabled(false);
  Button2->SetEnabled(true);
  C1->SetEnabled(false);
  D1->SetEnabled(true);
}

void TFrmMain::WriteEntry(bool l2tp) {
  // An entry that could not be written is dialed all the same; the dial's error tells.
  if (dialup::WriteVpnEntry(vpn::app::kEntryName, ServerAddress, l2tp))
    SetStatus("连接中....请稍等");
  Pump();
}

void TFrmMain::DialByPath() {
  DialUp1->SetEntry(vpn::app::kEntryName);
  DialUp1->SetEntryUserName(UserNameTxt->Text());
  DialUp1->SetEntryPassword(PasswordTxt->Text());

  if (DialsWithProgressHere()) {
    // The outcome arrives in DialUp1AsyncEvent, or in DialUp1Error when the dial cannot
    // start at all.
    DialUp1->Dial();
    return;
  }
  DialDirectly();
}

// The dial that returns only when the line is up or has failed.
void TFrmMain::DialDirectly() {
  const DWORD result = dialup::DirectDial(vpn::app::kEntryName, vpn::Trim(UserNameTxt->Text()),
                                          vpn::Trim(PasswordTxt->Text()), &FDirectConnection);
  Pump();
  if (result == 0) {
    SetStatus("连接成功");
    Pump();
    DialUp1->ControlStatistics(true, true);
    Pump();
    DialUp1->DeleteEntry();
    ToTray(true);
    LineUp(FDirectConnection);
    return;
  }
  Pump();
  HangUpOwnConnection();
  DialUp1->DeleteEntry();
  if (RetryAfterFailure(result)) return;
  RestoreInputs();
  SetStatus(vpn::app::DialFailureStatus(result));
  LeaveTray();
  Pump();
}

void TFrmMain::LeaveTray() {
  TrayIcon1->SetMinimizeToTray(false);
  TrayIcon1->SetIconVisible(false);
  TrayIcon1->RestoreMainWindow();
}

void TFrmMain::ToTray(bool pump_before_hiding) {
  TrayIcon1->SetIconVisible(true);
  TrayIcon1->SetMinimizeToTray(true);
  TrayIcon1->SetHint(Caption());
  SendMessageW(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  if (pump_before_hiding) Pump();
  TrayIcon1->HideMainWindow();
  // A line dialed again after a drop says so instead.
  TrayIcon1->ShowBalloon(vpn::app::kProgramCaption,
                         FReconnectAttempt ? "已重新连接" : "程序已最小化.", bikInfo, 10);
}

void TFrmMain::HangUpOwnConnection() {
  HRASCONN own = std::exchange(FDirectConnection, nullptr);
  if (!own) own = FindEntryConnection(vpn::app::kEntryName);
  if (own) DialUp1->HangUpConnection(own);
}

void TFrmMain::DialUp1AsyncEvent(TObject* Sender, std::int32_t State, std::int32_t Error,
                                 const std::string& MessageText) {
  SetStatus(MessageText);
  Pump();
  // DialUp1 speaks the Chinese status texts; their "connected" text ends the dial.
  static const std::string connected =
      vpn::ras::StateText(vpn::ras::StatusTable::Chinese, vpn::ras::kStateConnected);
  if (MessageText == connected) {
    DialUp1->ControlStatistics(true, true);
    DialUp1->DeleteEntry();
    ToTray(false);
    LineUp(DialUp1->ConnHandle());
  }
  if (Error != 0) ShowDialFailure(Error);
}

// Without this the window would stay "connecting" for good: the component reports a
// dial that never started only here.
void TFrmMain::DialUp1Error(TObject* Sender, std::int32_t ErrorCode,
                            const std::string& ErrorMessage) {
  ShowDialFailure(ErrorCode);
}

void TFrmMain::ShowDialFailure(std::int32_t Error) {
  if (RetryAfterFailure(Error)) {
    DialUp1->DeleteEntry();
    return;
  }
  RestoreInputs();
  DialUp1->DeleteEntry();
  Button1->SetFocus();
  SetStatus(vpn::app::DialFailureStatus(Error));
}

void TFrmMain::Button2Click(TObject* Sender) {
  // The user's own hang-up is no drop, and ends any dialing again.
  StopLine();
  SetStatus("状态: 断开中...");
  DialUp1->SetEntry(vpn::app::kEntryName);
  Pump();
  if (DialsWithProgressHere())
    DialUp1->HangUp();
  else
    HangUpOwnConnection();
  DialUp1->DeleteEntry();
  RestoreInputs();
  SetStatus("断开成功");
  LeaveTray();
}

void TFrmMain::Button4Click(TObject* Sender) {
  POINT at{};
  GetCursorPos(&at);
  PopupMenu2->Popup(at.x, at.y);
}

void TFrmMain::Button5Click(TObject* Sender) {
  N3Click(Sender);
  Application->ProcessMessages();
}

// Enter in the server edit connects; in the user name and password edits it moves on
// once the field holds more than blanks. The key itself goes on unchanged.
void TFrmMain::IPAddrTxtKeyPress(TObject* Sender, char& Key) {
  if (Key != kEnterKey) return;
  Button1->SetFocus();
  Button1->Click();
}

void TFrmMain::UserNameTxtKeyPress(TObject* Sender, char& Key) {
  if (Key == kEnterKey && !vpn::Trim(UserNameTxt->Text()).empty()) PasswordTxt->SetFocus();
}

void TFrmMain::PasswordTxtKeyPress(TObject* Sender, char& Key) {
  if (Key == kEnterKey && !vpn::Trim(PasswordTxt->Text()).empty()) IPAddrTxt->SetFocus();
}

void TFrmMain::TrayIcon1Click(TObject* Sender) {
  TrayIcon1->RestoreMainWindow();
  DropNewsSeen();
}

void TFrmMain::X1Click(TObject* Sender) {
  Close();
}

void TFrmMain::N2Click(TObject* Sender) {
  OpenWebAddress(RegisterPageAddress());
}
// The account query: an empty field only gets the focus; any failure of the post gives
// the one message, and the account window is then left as it was.
void TFrmMain::N3Click(TObject* Sender) {
  std::string reply;
  switch (vpn::RunAccountQuery(*NetHTTP1, vpn::AccountEndpoint(AccountQueryAddress()),
                               UserNameTxt->Text(), PasswordTxt->Text(), vpn::AccountQueryLimits(),
                               reply)) {
    case vpn::aqNoUserName:
      UserNameTxt->SetFocus();
      return;
    case vpn::aqNoPassword:
      PasswordTxt->SetFocus();
      return;
    case vpn::aqFailed:
      Application->MessageBox("查询失败，请稍后再试或联系商家", Application->Title(), MB_OK);
      return;
    case vpn::aqReply:
      Application->ProcessMessages();
      Form2->Label1->SetCaption(reply);
      Form2->Show();
      return;
  }
}
void TFrmMain::N4Click(TObject* Sender) {
  OpenWebAddress(RechargeAddress());
}
void TFrmMain::N5Click(TObject* Sender) {
  OwnedMessageBox(this, AboutText(), "关于", MB_OK);
}
void TFrmMain::N6Click(TObject* Sender) {
  OpenWebAddress(PasswordPageAddress());
}
