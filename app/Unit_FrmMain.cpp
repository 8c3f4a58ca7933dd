#include "app/Unit_FrmMain.h"

#include <initializer_list>
#include <utility>

#include "app/BannerPicture.h"
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
  // Tunnel types.
  PublishField("S1", S1);
  for (auto [name, item] : {std::pair{"P1", &P1},
                            {"P2", &P2},
                            {"P3", &P3},
                            {"P4", &P4},
                            {"P5", &P5},
                            {"P6", &P6},
                            {"P7", &P7},
                            {"P8", &P8},
                            {"P9", &P9}})
    PublishField(name, *item);
  PublishMethod("ProtocolItemClick", &TFrmMain::ProtocolItemClick);
  PublishMethod("P9Click", &TFrmMain::P9Click);

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

  // Everyday use: the settings sub-menu's items.
  PublishField("B1", B1);
  PublishField("O1", O1);
  PublishField("L1", L1);
  PublishMethod("B1Click", &TFrmMain::B1Click);
  PublishMethod("O1Click", &TFrmMain::O1Click);
  PublishMethod("L1Click", &TFrmMain::L1Click);

  // The HTTP client's settings: over-long reply lines raise, cookies kept, no proxy,
  // content type "text/html" until the first form post, force-encoded form values. The
  // account query sets its own time and size limits.
  NetHTTP1 = std::make_shared<TNetHTTP>();
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
  SaveTimer = new TTimer(this);
  SaveTimer->SetEnabled(false);
  SaveTimer->SetInterval(1000);
  SaveTimer->SetOnTimer([this](TObject*) { SaveSettings(seShowOnce); });
  AccountTimer = new TTimer(this);
  AccountTimer->SetEnabled(false);
  AccountTimer->SetOnTimer([this](TObject*) { AccountQueryTimedOut(); });
  FLineWatch.OnDropped = [this] { LineDropped(); };
}

namespace {

// A message box owned by the main window (texts in GBK).
int OwnedMessageBox(TForm* owner, const std::string& text, const std::string& caption, UINT flags) {
  return MessageBoxW(owner->Handle(), GbkToWide(text).c_str(), GbkToWide(caption).c_str(), flags);
}

// Enter, as the edits hand it to their key-press handlers.
constexpr char kEnterKey = VK_RETURN;

}  // namespace

void TFrmMain::WndProc(TMessage& m) {
  if (EverydayMessage(m)) return;
  switch (m.Msg) {
    // The session ends: what the user typed is kept (the program may be ended without
    // its window ever closing). No message box here: it would hold up the log-off.
    case WM_QUERYENDSESSION:
      SaveSettings(seQuiet);
      break;
    case WM_ENDSESSION:
      if (m.WParam) SaveSettings(seQuiet);
      break;
    case WM_POWERBROADCAST:
      if (m.WParam == PBT_APMSUSPEND)
        Suspending();
      else if (m.WParam == PBT_APMRESUMEAUTOMATIC || m.WParam == PBT_APMRESUMESUSPEND)
        Resumed();
      break;
    case PM_ACCOUNTQUERYENDED:
      AccountQueryEnded();
      return;
    case WM_SETCURSOR:
      // While the account query waits, the pointer over the window says that the program
      // works in the background (the window itself stays usable).
      if (FAccountQuery && !FAccountAnswered && LOWORD(m.LParam) == HTCLIENT) {
        ::SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING));
        m.Result = TRUE;
        return;
      }
      break;
    default:
      break;
  }
  TForm::WndProc(m);
}

vpn::SecretText TFrmMain::PasswordText() const {
  return vpn::SecretText(PasswordTxt->Text());
}

void TFrmMain::SetStatus(const std::string& text) {
  StatusBar1->Panels()->Items(0)->SetText(text);
  for (const TStatusObserver& observer : StatusObservers) observer(text);
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
  // From here on every change of a remembered value is saved (a moment later for typing).
  IPAddrTxt->OnChange = [this](TObject*) { SettingChanged(); };
  UserNameTxt->OnChange = [this](TObject*) { SettingChanged(); };
  PasswordTxt->OnChange = [this](TObject*) { SettingChanged(); };
  CheckBox1->OnClick = [this](TObject*) { SaveSettings(seShowOnce); };
  // The box and the "连接协议" menu show one choice.
  CheckBox2->OnClick = [this](TObject*) { CheckBox2Click(); };
  ShowTunnelChoice();
  ShowState();
  StartEverydayUse();
  WebBrowser1->Navigate(GbkToWide(BannerAddress()));
}

// A connection in use (or being dialed) is hung up only when the user agrees to close. A
// close asked for while the hang-up runs follows it.
void TFrmMain::FormCloseQuery(TObject* Sender, bool& CanClose) {
  if (FState == vpn::app::ConnectionState::Disconnecting) {
    FCloseAfterHangUp = true;
    CanClose = false;
    return;
  }
  if (!vpn::app::ViewOf(FState).disconnect_enabled) return;
  // Asked to end from the command line (/quit): the answer is yes.
  const int answer =
      FQuitAsked ? IDYES
                 : OwnedMessageBox(this, "VPN正在使用中,关闭程序将断开VPN连接,真的要关闭吗？",
                                   "询问", MB_YESNO | MB_ICONQUESTION);
  if (answer == IDNO) {
    CanClose = false;
    return;
  }
  Button2Click(Button2);
}

// The settings are saved at every close; a registry that refuses them is reported and
// the program closes all the same.
void TFrmMain::FormClose(TObject* Sender, TCloseAction& Action) {
  SaveSettings(seShow);
}

// An empty or over-long field gets the focus (and an over-long one a status text).
bool TFrmMain::ConnectInputsReady() {
  const vpn::SecretText password = PasswordText();
  switch (vpn::app::FirstInputFault(FServerAddress, UserNameTxt->Text(), password.view())) {
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
      vpn::ras::DialInputProblem(FServerAddress, UserNameTxt->Text(), password.view());
  if (!tooLong.empty()) {
    SetStatus(tooLong);
    if (FServerAddress.size() > vpn::ras::kMaxPhoneNumber)
      IPAddrTxt->SetFocus();
    else if (UserNameTxt->Text().size() > vpn::ras::kUserNameLength)
      UserNameTxt->SetFocus();
    else
      PasswordTxt->SetFocus();
    return false;
  }
  return true;
}

void TFrmMain::Button4Click(TObject* Sender) {
  POINT at{};
  GetCursorPos(&at);
  PopupMenu2->Popup(at.x, at.y);
}

void TFrmMain::Button5Click(TObject* Sender) {
  N3Click(Sender);
  Pump();
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
// The account query: an empty field only gets the focus; the post runs on a thread of
// its own while the window goes on painting and answering, and ends in
// AccountQueryEnded, or in the failure message once its time is up. One query at a time:
// a second click while one runs does nothing.
void TFrmMain::N3Click(TObject* Sender) {
  if (FAccountQuery) return;
  const std::string user = UserNameTxt->Text();
  vpn::SecretText password = PasswordText();
  if (vpn::IsBlank(user)) {
    UserNameTxt->SetFocus();
    return;
  }
  if (vpn::IsBlank(password.view())) {
    PasswordTxt->SetFocus();
    return;
  }
  const vpn::TAccountQueryLimits limits = vpn::AccountQueryLimits();
  const HWND window = Handle();
  FAccountAnswered = false;
  FAccountQuery = std::make_unique<TAccountQueryJob>(
      NetHTTP1, vpn::AccountEndpoint(AccountQueryAddress()), user, std::move(password), limits,
      [window] { PostMessageW(window, PM_ACCOUNTQUERYENDED, 0, 0); });
  AccountTimer->SetInterval(static_cast<unsigned>(limits.TotalTimeoutMs));
  AccountTimer->SetEnabled(true);
  N3->SetEnabled(false);
  Button5->SetEnabled(false);
}

void TFrmMain::AccountQueryEnded() {
  if (!FAccountQuery || !FAccountQuery->Ended()) return;
  const std::unique_ptr<TAccountQueryJob> job = std::move(FAccountQuery);
  AccountTimer->SetEnabled(false);
  N3->SetEnabled(true);
  Button5->SetEnabled(true);
  if (!std::exchange(FAccountAnswered, true)) ShowAccountAnswer(job->Result(), job->Reply());
}

// The whole query took too long: the user hears so now; the worker is told to stop and
// the query counts as running until it has.
void TFrmMain::AccountQueryTimedOut() {
  AccountTimer->SetEnabled(false);
  if (!FAccountQuery || std::exchange(FAccountAnswered, true)) return;
  FAccountQuery->Stop();
  ShowAccountAnswer(vpn::aqFailed, {});
}

void TFrmMain::ShowAccountAnswer(vpn::TAccountQueryResult result, const std::string& reply) {
  if (result != vpn::aqReply) {
    Application->MessageBox("查询失败，请稍后再试或联系商家", Application->Title(), MB_OK);
    return;
  }
  Form2->Label1->SetCaption(reply);
  Form2->Show();
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
