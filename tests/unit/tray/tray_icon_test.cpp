// The tray icon on real windows: shell callbacks sent to the shared tray window, the
// records handed to the shell (recorded), the main form and the application window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/Framework.h"
#include "tests/unit/tray/pump.h"
#include "tray/TrayIcon.h"

namespace {

struct TShellCall {
  DWORD Message;
  TNotifyIconRecord Record;
};
std::vector<TShellCall>* gCalls = nullptr;

BOOL WINAPI RecordShellCall(DWORD Message, PNOTIFYICONDATAW Data) {
  TShellCall call{Message, {}};
  std::memcpy(&call.Record, Data, std::min<size_t>(Data->cbSize, sizeof call.Record));
  if (gCalls) gCalls->push_back(call);
  return TRUE;
}

class TTestMainForm : public TForm {
 public:
  explicit TTestMainForm(TComponent* owner) : TForm(owner) {
    SetBorderStyle(bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    SetClientSize(240, 120);
    SetCaption("tray test");
  }
};

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gCalls = &calls;
    TrayShellNotifyIcon = &RecordShellCall;
    ASSERT_EQ(Application->MainForm(), nullptr);
    Application->CreateForm(form);
    tray = new TTrayIcon(form);
    tray->SetName("TrayIcon1");
  }
  void TearDown() override {
    delete form;  // frees the tray icon with it
    PumpPending();
    TrayShellNotifyIcon = &SystemShellNotifyIcon;
    gCalls = nullptr;
    Application->ShowMainForm = true;
  }

  // A shell callback for this icon, as the shell sends it.
  void Callback(UINT event, UINT identity = 0) {
    SendMessageW(TTrayIconHandler::TrayWindow(), WM_TRAYCALLBACK,
                 identity ? identity : tray->Identity(), event);
  }
  void LogEvents() {
    tray->OnClick = [this](TObject* s) { Log(s, "click"); };
    tray->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int, int) {
      Log(s, "down" + Button(b, sh));
    };
    tray->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int, int) {
      Log(s, "up" + Button(b, sh));
    };
    tray->OnMouseMove = [this](TObject* s, TShiftState, int, int) { Log(s, "move"); };
    tray->OnMouseEnter = [this](TObject* s) { Log(s, "enter"); };
    tray->OnMouseExit = [this](TObject* s) { Log(s, "exit"); };
    tray->OnBalloonHintShow = [this](TObject* s) { Log(s, "balloon show"); };
    tray->OnBalloonHintHide = [this](TObject* s) { Log(s, "balloon hide"); };
    tray->OnBalloonHintTimeout = [this](TObject* s) { Log(s, "balloon timeout"); };
    tray->OnBalloonHintClick = [this](TObject* s) { Log(s, "balloon click"); };
  }
  static std::string Button(TMouseButton b, TShiftState sh) {
    // The button's own flag comes with the button.
    if (b == mbLeft) return (sh & ssLeft) ? " left" : " left?";
    if (b == mbRight) return (sh & ssRight) ? " right" : " right?";
    return (sh & ssMiddle) ? " middle" : " middle?";
  }
  void Log(TObject* sender, const std::string& what) {
    log.push_back(sender == tray ? what : what + " (wrong sender)");
  }
  std::vector<DWORD> Messages() const {
    std::vector<DWORD> m;
    for (auto& c : calls) m.push_back(c.Message);
    return m;
  }
  std::vector<DWORD> MessagesFor(UINT identity) const {
    std::vector<DWORD> m;
    for (auto& c : calls)
      if (c.Record.uID == identity) m.push_back(c.Message);
    return m;
  }
  TPopupMenu* NewMenu(std::vector<std::string> captions) {
    auto* menu = new TPopupMenu(form);
    for (auto& caption : captions) {
      auto* item = new TMenuItem(form);
      item->SetCaption(caption);
      item->OnClick = [this, caption](TObject*) { log.push_back("item " + caption); };
      menu->Items()->Add(item);
    }
    return menu;
  }

  std::vector<TShellCall> calls;
  std::vector<std::string> log;
  TTestMainForm* form = nullptr;
  TTrayIcon* tray = nullptr;
};

using Events = std::vector<std::string>;

TEST_F(TrayIconTest, RecordStartsWithTheIconsIdentityAndTheCallback) {
  const TNotifyIconRecord& r = tray->IconRecord();
  EXPECT_EQ(r.cbSize, sizeof(TNotifyIconRecord));
  EXPECT_EQ(r.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE));
  // The shared window is made when a record first goes to the shell, not with the icon.
  EXPECT_EQ(TTrayIconHandler::Shared::ExistingWindow(), nullptr);
  EXPECT_EQ(r.uID, tray->Identity());
  EXPECT_EQ(r.uFlags, 7u);
  EXPECT_EQ(r.uCallbackMessage, 0x0800u);
  EXPECT_TRUE(tray->Enabled());
  EXPECT_TRUE(tray->ShowHint());
  EXPECT_FALSE(tray->IconVisible());
  EXPECT_EQ(tray->LeaveTicker().Interval(), 20u);
  EXPECT_EQ(tray->ClickTicker().Interval(), 1000u);
  EXPECT_TRUE(calls.empty());  // nothing reaches the shell before the layout is read

  tray->Loaded();
  TTrayIcon* early = nullptr;
  if (Application->WaitingForFirstShow()) {
    // While the program starts nothing goes to the shell before the main form's first
    // picture. An icon shown meanwhile stays shown afterwards, and one freed meanwhile
    // is never touched again.
    EXPECT_TRUE(calls.empty());
    early = new TTrayIcon(form);
    early->Loaded();
    early->SetIconVisible(true);
    auto* gone = new TTrayIcon(form);
    gone->Loaded();
    delete gone;
    EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_DELETE}));
    calls.clear();
    form->Show();
    PumpPending();
    EXPECT_TRUE(early->IconVisible());
    EXPECT_EQ(MessagesFor(early->Identity()),
              (std::vector<DWORD>{NIM_MODIFY, NIM_ADD, NIM_SETVERSION}));
    EXPECT_EQ(calls.size(), 6u);  // nothing for the freed icon
  }
  // The initial state: update, the (hidden) icon, the callback style.
  EXPECT_EQ(MessagesFor(tray->Identity()),
            (std::vector<DWORD>{NIM_MODIFY, NIM_DELETE, NIM_SETVERSION}));
  EXPECT_EQ(calls.back().Record.uVersion, 0u);
  delete early;
  // Every record the shell got names the window that receives the callbacks.
  const HWND window = TTrayIconHandler::Shared::ExistingWindow();
  ASSERT_TRUE(IsWindow(window));
  for (const TShellCall& c : calls) EXPECT_EQ(c.Record.hWnd, window);

  // Two icons have different identities on one window.
  TTrayIcon other(nullptr);
  EXPECT_NE(other.Identity(), tray->Identity());
  other.SetIconVisible(true);
  EXPECT_EQ(calls.back().Record.uID, other.Identity());
  EXPECT_EQ(calls.back().Record.hWnd, window);
  EXPECT_EQ(TTrayIconHandler::UserCount(), 2);
}

TEST_F(TrayIconTest, EveryIconVisibleAssignmentGoesToTheShell) {
  TIcon icon;
  icon.SetHandle(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
  tray->SetIcon(icon);
  EXPECT_NE(tray->Icon()->Handle(), icon.Handle());  // a copy
  calls.clear();
  tray->SetIconVisible(true);
  tray->SetIconVisible(true);
  tray->SetIconVisible(false);
  tray->SetIconVisible(false);
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_DELETE, NIM_DELETE}));
  for (auto& c : calls) {
    EXPECT_EQ(c.Record.uFlags, 7u);
    EXPECT_EQ(c.Record.hIcon, tray->Icon()->Handle());
    EXPECT_NE(c.Record.hIcon, nullptr);
  }
  // A new picture in the icon updates the tray at once.
  calls.clear();
  tray->Icon()->SetHandle(CopyIcon(LoadIconA(nullptr, IDI_WARNING)));
  ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_MODIFY}));
  EXPECT_EQ(calls[0].Record.hIcon, tray->Icon()->Handle());
}

TEST_F(TrayIconTest, TipIsCutAndEmptyWithoutHint) {
  std::string longHint(300, 'h');
  tray->SetHint(longHint);
  ASSERT_FALSE(calls.empty());
  const wchar_t* tip = calls.back().Record.szTip;
  EXPECT_EQ(std::wstring(tip), std::wstring(127, L'h'));
  EXPECT_EQ(tip[127], L'\0');

  const std::wstring empty(128, L'\0');
  tray->SetShowHint(false);
  EXPECT_EQ(std::wstring(calls.back().Record.szTip, 128), empty);
  tray->SetShowHint(true);
  EXPECT_EQ(std::wstring(calls.back().Record.szTip), std::wstring(127, L'h'));
  tray->SetHint("");
  EXPECT_EQ(std::wstring(calls.back().Record.szTip, 128), empty);

  // The shell gets the characters; a Chinese hint is cut between characters at 127
  // bytes of GBK, and the rest of the field stays zero.
  tray->SetHint("Morlu连接器");
  EXPECT_EQ(std::wstring(calls.back().Record.szTip, 128),
            L"Morlu\u8FDE\u63A5\u5668" + std::wstring(120, L'\0'));
  std::string chinese = "a";
  for (int i = 0; i < 70; ++i) chinese += "连";
  tray->SetHint(chinese);
  EXPECT_EQ(std::wstring(calls.back().Record.szTip, 128),
            L"a" + std::wstring(63, L'\u8FDE') + std::wstring(64, L'\0'));
}

TEST_F(TrayIconTest, BalloonCutsItsTextsAndGoesBackToPlainUpdates) {
  calls.clear();
  std::string text(400, 't'), title(100, 'T');
  EXPECT_TRUE(tray->ShowBalloon(title, text, bikInfo, 10));
  ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_MODIFY}));
  // First the old balloon goes: NIF_INFO with an empty text.
  EXPECT_EQ(calls[0].Record.uFlags, 7u | NIF_INFO);
  EXPECT_EQ(calls[0].Record.szInfo[0], L'\0');
  const TNotifyIconRecord& r = calls[1].Record;
  EXPECT_EQ(r.uFlags, 7u | NIF_INFO);
  EXPECT_EQ(std::wstring(r.szInfo), std::wstring(255, L't'));
  EXPECT_EQ(std::wstring(r.szInfoTitle), std::wstring(63, L'T'));
  EXPECT_EQ(r.uTimeout, 10000u);
  EXPECT_EQ(r.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
  EXPECT_EQ(tray->IconRecord().uFlags, 7u);

  // Chinese texts arrive as characters, cut at 255 and 63 bytes between characters.
  std::string longText = "x", longTitle = "Morlu";
  for (int i = 0; i < 200; ++i) longText += "最";
  for (int i = 0; i < 40; ++i) longTitle += "器";
  tray->ShowBalloon(longTitle, longText, bikInfo, 10);
  EXPECT_EQ(std::wstring(calls.back().Record.szInfo), L"x" + std::wstring(127, L'\u6700'));
  EXPECT_EQ(std::wstring(calls.back().Record.szInfoTitle), L"Morlu" + std::wstring(29, L'\u5668'));

  // A later hint change does not bring the balloon back.
  tray->SetHint("Morlu连接器");
  EXPECT_EQ(calls.back().Record.uFlags, 7u);

  tray->ShowBalloon("", "", bikNone, 0);
  EXPECT_EQ(calls.back().Record.dwInfoFlags, static_cast<DWORD>(NIIF_NONE));
  EXPECT_EQ(calls.back().Record.uTimeout, 0u);
  tray->ShowBalloon("a", "b", bikWarning, 255);
  EXPECT_EQ(calls.back().Record.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
  EXPECT_EQ(calls.back().Record.uTimeout, 255000u);
  tray->ShowBalloon("a", "b", bikError, 1);
  EXPECT_EQ(calls.back().Record.dwInfoFlags, static_cast<DWORD>(NIIF_ERROR));

  // HideBalloon by itself leaves the balloon flag for the next update.
  tray->HideBalloon();
  EXPECT_EQ(calls.back().Record.uFlags, 7u | NIF_INFO);
  EXPECT_EQ(calls.back().Record.szInfo[0], L'\0');
}

TEST_F(TrayIconTest, RaisingHandlersNeverLeaveTheTrayWindow) {
  // The icon's handler raises, and so does the application's exception handler.
  std::vector<std::string> failures;
  Application->OnException = [&](TObject*, const std::exception& e) {
    failures.push_back(e.what());
    throw Exception("Handler failed");
  };
  LogEvents();
  tray->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) {
    throw Exception("Menu gone");
  };
  Callback(WM_LBUTTONDOWN);
  Callback(WM_LBUTTONUP);
  Callback(WM_MOUSEMOVE);
  Application->OnException = nullptr;
  EXPECT_EQ(failures, std::vector<std::string>{"Menu gone"});
  // The icon goes on with the events after the failed one.
  EXPECT_EQ(log, (Events{"click", "up left", "move"}));
}

TEST_F(TrayIconTest, ClickWithoutDoubleClickHandlerComesAtButtonUpBeforeMouseUp) {
  LogEvents();
  Callback(WM_MOUSEMOVE);
  Callback(WM_LBUTTONDOWN);
  Callback(WM_LBUTTONUP);
  Callback(WM_MBUTTONDOWN);
  Callback(WM_MBUTTONUP);
  Callback(WM_RBUTTONUP);
  Callback(WM_RBUTTONDBLCLK);  // ignored
  EXPECT_EQ(log, (Events{"move", "down left", "click", "up left", "down middle", "up middle",
                         "up right"}));
  // A button-up without its press is no click.
  log.clear();
  Callback(WM_LBUTTONUP);
  EXPECT_EQ(log, (Events{"up left"}));
  // Callbacks for another identity are not this icon's.
  log.clear();
  Callback(WM_LBUTTONDOWN, tray->Identity() + 1000);
  EXPECT_TRUE(log.empty());
}

TEST_F(TrayIconTest, WithDoubleClickHandlerTheClickWaitsAndADoubleClickSuppressesIt) {
  LogEvents();
  tray->OnDblClick = [this](TObject* s) { Log(s, "dblclick"); };
  Callback(WM_LBUTTONDOWN);
  Callback(WM_LBUTTONUP);
  EXPECT_EQ(log, (Events{"down left", "up left"}));
  EXPECT_EQ(tray->ClickTicker().Interval(), GetDoubleClickTime());
  ASSERT_TRUE(PumpUntil([&] { return log.size() == 3; }, 5000));
  EXPECT_EQ(log.back(), "click");
  EXPECT_FALSE(tray->ClickTicker().Enabled());

  log.clear();
  Callback(WM_LBUTTONDOWN);
  Callback(WM_LBUTTONUP);
  Callback(WM_LBUTTONDBLCLK);
  Callback(WM_LBUTTONUP);
  PumpFor(GetDoubleClickTime() + 300);
  EXPECT_EQ(log, (Events{"down left", "up left", "dblclick", "up left"}));
  EXPECT_FALSE(tray->ClickTicker().Enabled());

  // Then a single click works again.
  log.clear();
  Callback(WM_LBUTTONDOWN);
  Callback(WM_LBUTTONUP);
  ASSERT_TRUE(PumpUntil([&] { return log.size() == 3; }, 5000));
  EXPECT_EQ(log.back(), "click");
}

TEST_F(TrayIconTest, DoubleClickRunsTheMenusFirstDefaultItem) {
  LogEvents();
  TPopupMenu* menu = NewMenu({"a", "b", "c"});
  menu->Items()->Items(1)->SetDefault(true);
  menu->Items()->Items(2)->SetDefault(true);
  tray->SetPopupMenu(menu);
  Callback(WM_LBUTTONDBLCLK);
  EXPECT_EQ(log, (Events{"item b"}));

  log.clear();
  tray->SetLeftPopup(true);
  Callback(WM_LBUTTONDBLCLK);
  tray->SetLeftPopup(false);
  menu->SetAutoPopup(false);
  Callback(WM_LBUTTONDBLCLK);
  menu->SetAutoPopup(true);
  menu->Items()->Items(1)->SetEnabled(false);  // a greyed command does not run
  Callback(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(log.empty());
}

void CALLBACK EndMenuTick(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

// Closes the menu that the next popup opens, once it is open.
void CloseMenuSoon() {
  SetTimer(nullptr, 0, 50, &EndMenuTick);
}

TEST_F(TrayIconTest, RightButtonPopsTheMenuUpAfterMouseDown) {
  LogEvents();
  TPopupMenu* menu = NewMenu({"x"});
  menu->OnPopup = [&](TObject*) {
    log.push_back("popup");
    CloseMenuSoon();
  };
  tray->SetPopupMenu(menu);
  Callback(WM_RBUTTONDOWN);
  Callback(WM_RBUTTONUP);
  EXPECT_EQ(log, (Events{"down right", "popup", "up right"}));
  EXPECT_EQ(menu->PopupComponent(), tray);

  // The left button pops it up only with LeftPopup; AutoPopup off: never.
  log.clear();
  Callback(WM_LBUTTONDOWN);
  tray->SetLeftPopup(true);
  Callback(WM_LBUTTONDOWN);
  menu->SetAutoPopup(false);
  Callback(WM_RBUTTONDOWN);
  EXPECT_EQ(log, (Events{"down left", "down left", "popup", "down right"}));
}

TEST_F(TrayIconTest, DisabledIconIgnoresTheMouseButNotTheBalloon) {
  LogEvents();
  tray->OnDblClick = [this](TObject* s) { Log(s, "dblclick"); };
  TPopupMenu* menu = NewMenu({"x"});
  menu->OnPopup = [&](TObject*) {
    log.push_back("popup");
    CloseMenuSoon();
  };
  tray->SetPopupMenu(menu);
  tray->SetWantEnterExitEvents(true);
  tray->SetEnabled(false);
  for (UINT e : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                 WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP})
    Callback(e);
  EXPECT_FALSE(tray->ClickTicker().Enabled());
  for (UINT e : {NIN_BALLOONSHOW, NIN_BALLOONHIDE, NIN_BALLOONTIMEOUT, NIN_BALLOONUSERCLICK})
    Callback(e);
  PumpFor(100);
  EXPECT_EQ(log, (Events{"balloon show", "balloon hide", "balloon timeout", "balloon click"}));
}

TEST_F(TrayIconTest, EnterAndExitFollowThePointer) {
  LogEvents();
  ASSERT_TRUE(SetCursorPos(100, 100));
  Callback(WM_MOUSEMOVE);  // no enter/exit events wanted
  tray->SetWantEnterExitEvents(true);
  EXPECT_TRUE(tray->LeaveTicker().Enabled());
  Callback(WM_MOUSEMOVE);
  Callback(WM_MOUSEMOVE);
  PumpFor(100);  // the pointer stays: no exit
  EXPECT_EQ(log, (Events{"move", "enter", "move", "move"}));
  ASSERT_TRUE(SetCursorPos(300, 200));
  ASSERT_TRUE(PumpUntil([&] { return log.size() == 5; }, 3000));
  EXPECT_EQ(log.back(), "exit");
  Callback(WM_MOUSEMOVE);
  EXPECT_EQ(log.back(), "move");
  EXPECT_EQ(log[log.size() - 2], "enter");
  tray->SetWantEnterExitEvents(false);
  EXPECT_FALSE(tray->LeaveTicker().Enabled());
}

TEST_F(TrayIconTest, VersionThreeCallbacks) {
  LogEvents();
  calls.clear();
  tray->SetCallbackStyle(1);
  ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_SETVERSION}));
  EXPECT_EQ(calls[0].Record.uVersion, static_cast<UINT>(NOTIFYICON_VERSION));
  Callback(WM_RBUTTONUP);  // the classic right button-up is not raised in this style
  Callback(WM_CONTEXTMENU);
  Callback(NIN_SELECT);
  Callback(NIN_KEYSELECT);
  EXPECT_EQ(log, (Events{"up right", "up right", "up right"}));
  tray->SetCallbackStyle(0);
  EXPECT_EQ(calls.back().Record.uVersion, 0u);
  log.clear();
  Callback(WM_CONTEXTMENU);
  EXPECT_TRUE(log.empty());
}

TEST_F(TrayIconTest, TaskbarCreatedAddsOnlyAVisibleIconAgain) {
  ASSERT_NE(TaskbarCreatedMessage, 0u);
  HWND app = Application->Handle();
  calls.clear();
  SendMessageW(app, TaskbarCreatedMessage, 0, 0);
  EXPECT_TRUE(calls.empty());
  tray->SetIconVisible(true);
  calls.clear();
  SendMessageW(app, TaskbarCreatedMessage, 0, 0);
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD}));
  // Plain WM_NULL is nothing of the kind.
  calls.clear();
  SendMessageW(app, WM_NULL, 0, 0);
  EXPECT_TRUE(calls.empty());
}

// The task bar and the window switcher ask the window of the program's button for its icon.
TEST_F(TrayIconTest, TheApplicationWindowAnswersWithTheProgramsIcon) {
  HWND app = Application->Handle();
  ASSERT_FALSE(Application->Icon()->Empty());
  for (WPARAM size : {ICON_BIG, ICON_SMALL, ICON_SMALL2})
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(app, WM_GETICON, size, 0)),
              Application->Icon()->Handle())
        << "icon kind " << size;
  // One given to the window from outside is answered instead.
  HICON other = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
  SendMessageW(app, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(other));
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(app, WM_GETICON, ICON_BIG, 0)), other);
  SendMessageW(app, WM_SETICON, ICON_BIG, 0);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(app, WM_GETICON, ICON_BIG, 0)),
            Application->Icon()->Handle());
}

TEST_F(TrayIconTest, MinimizingSendsTheProgramToTheTrayAndRestoreBringsItBack) {
  HWND app = Application->Handle();
  form->Show();
  PumpPending();
  ASSERT_TRUE(IsWindowVisible(form->Handle()));
  ASSERT_TRUE(IsWindowVisible(app));
  tray->SetMinimizeToTray(true);
  calls.clear();
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PumpPending();
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(IsWindowVisible(app));
  EXPECT_TRUE(tray->IconVisible());
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD}));

  tray->RestoreMainWindow();
  PumpPending();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(IsWindowVisible(app));
  EXPECT_FALSE(IsIconic(app));
  EXPECT_FALSE(IsIconic(form->Handle()));
  EXPECT_EQ(form->WindowState(), wsNormal);

  // HideMainWindow by itself hides both; without MinimizeToTray minimizing stays normal.
  tray->HideMainWindow();
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(IsWindowVisible(app));
  tray->RestoreMainWindow();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(IsWindowVisible(app));
  tray->SetMinimizeToTray(false);
  tray->SetIconVisible(false);
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PumpPending();
  EXPECT_TRUE(IsIconic(app));
  EXPECT_FALSE(tray->IconVisible());
  tray->RestoreMainWindow();
  EXPECT_FALSE(IsIconic(app));
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(TrayIconTest, MinimizeHandlerTakesTheMinimizeAtTheForm) {
  HWND app = Application->Handle();
  form->Show();
  PumpPending();
  int raised = 0;
  tray->OnMinimizeToTray = [&](TObject* s) { raised += s == tray; };
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);  // MinimizeToTray off
  EXPECT_EQ(raised, 0);
  tray->RestoreMainWindow();
  tray->SetMinimizeToTray(true);
  LRESULT result = SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(raised, 1);
  // Consumed at the form: the application window was never minimized.
  EXPECT_FALSE(IsIconic(app));
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(IsWindowVisible(app));
  EXPECT_TRUE(tray->IconVisible());
  tray->RestoreMainWindow();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(TrayIconTest, StartupQuestionCanKeepTheMainFormHidden) {
  int asked = 0;
  tray->OnStartup = [&](TObject* s, bool& show) {
    asked += s == tray;
    EXPECT_TRUE(show);
    show = false;
  };
  tray->Loaded();
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(Application->ShowMainForm);
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
}

TEST_F(TrayIconTest, IconListIndexCyclingAndRemoval) {
  TComponent elsewhere(nullptr);
  auto* list = new TImageList(&elsewhere);
  HICON icons[3] = {LoadIconA(nullptr, IDI_APPLICATION), LoadIconA(nullptr, IDI_WARNING),
                    LoadIconA(nullptr, IDI_ERROR)};
  for (HICON h : icons) {
    TIcon i;
    i.SetHandle(CopyIcon(h));
    ASSERT_GE(list->AddIcon(i), 0);
  }
  tray->SetIconIndex(2);
  EXPECT_EQ(tray->IconIndex(), 0);  // no list: always 0
  tray->SetIconList(list);
  EXPECT_EQ(tray->IconIndex(), 0);
  EXPECT_FALSE(tray->Icon()->Empty());
  tray->SetIconIndex(7);
  EXPECT_EQ(tray->IconIndex(), 2);

  // Cycling with interval 0 starts no timer.
  tray->SetCycleIcons(true);
  EXPECT_FALSE(tray->CycleTicker().Enabled());
  std::vector<int> next;
  tray->OnCycle = [&](TObject*, int n) { next.push_back(n); };
  tray->SetCycleInterval(15);
  EXPECT_TRUE(tray->CycleTicker().Enabled());
  EXPECT_EQ(tray->IconIndex(), 0);
  ASSERT_TRUE(PumpUntil([&] { return next.size() >= 4; }, 5000));
  tray->SetCycleIcons(false);
  EXPECT_EQ((std::vector<int>(next.begin(), next.begin() + 4)), (std::vector<int>{1, 2, 0, 1}));

  // Freeing the list, owned elsewhere, clears it here.
  tray->SetIconIndex(2);
  delete list;
  EXPECT_EQ(tray->IconList(), nullptr);
  EXPECT_EQ(tray->IconIndex(), 0);
  tray->SetCycleIcons(true);  // no list: the steps do nothing
  PumpFor(50);

  TComponent menuOwner(nullptr);
  auto* menu = new TPopupMenu(&menuOwner);
  tray->SetPopupMenu(menu);
  delete menu;
  EXPECT_EQ(tray->PopupMenu(), nullptr);
  Callback(WM_RBUTTONDOWN);  // no menu, nothing to show
}

TEST(TrayIconLifetime, DestructionTakesTheHooksAndTheWindowAway) {
  std::vector<TShellCall> calls;
  gCalls = &calls;
  TrayShellNotifyIcon = &RecordShellCall;
  TTestMainForm* form = nullptr;
  Application->CreateForm(form);
  form->Show();
  auto* tray = new TTrayIcon(form);
  tray->SetMinimizeToTray(true);
  tray->SetIconVisible(true);
  HWND trayWindow = TTrayIconHandler::TrayWindow();
  ASSERT_TRUE(IsWindow(trayWindow));
  calls.clear();
  delete tray;
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].Message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_FALSE(IsWindow(trayWindow));
  EXPECT_EQ(TTrayIconHandler::UserCount(), 0);

  // The form and the application window behave as without a tray icon.
  calls.clear();
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(Application->Handle()));
  SendMessageW(Application->Handle(), TaskbarCreatedMessage, 0, 0);
  EXPECT_TRUE(calls.empty());
  Application->Restore();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  delete form;
  TrayShellNotifyIcon = &SystemShellNotifyIcon;
  gCalls = nullptr;
}

TEST(TrayIconShell, RealShellTakesAddModifyBalloonAndDelete) {
  // Under Wine the notification area belongs to the desktop process (explorer). Whether
  // a visible tray window exists depends on the display; the calls succeed either way.
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  std::printf(
      "notification area: %s\n",
      taskbar ? (IsWindowVisible(taskbar) ? "task bar window, visible" : "task bar window, hidden")
              : "no task bar window");
  TTrayIcon tray(nullptr);
  ASSERT_EQ(TrayShellNotifyIcon, &SystemShellNotifyIcon);
  tray.Icon()->SetHandle(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
  tray.SetHint("Morlu连接器");
  EXPECT_TRUE(tray.AddTrayIcon());
  EXPECT_TRUE(tray.UpdateTrayIcon());
  EXPECT_TRUE(tray.ShowBalloon("Morlu连接器", "程序已最小化.", bikInfo, 10));
  EXPECT_TRUE(tray.RemoveTrayIcon());
  // A second delete has nothing to remove.
  EXPECT_FALSE(tray.RemoveTrayIcon());
}

}  // namespace

#if GTEST_HAS_DEATH_TEST
TEST(TrayIconLifetime, ProgramEndsCleanlyWithTimersAndIconsStillAlive) {
  // The shared windows go at program end whichever of them and of the application's
  // forms is freed first.
  EXPECT_EXIT(
      {
        TrayShellNotifyIcon = &RecordShellCall;
        auto* timer = new TSimpleTimer(10, [](TObject*) {});
        timer->SetEnabled(true);
        new TTrayIcon(nullptr);
        TTestMainForm* form = nullptr;
        Application->CreateForm(form);
        auto* owned = new TTrayIcon(form);
        owned->SetIconVisible(true);
        owned->SetWantEnterExitEvents(true);
        PumpFor(30);
        std::exit(3);
      },
      ::testing::ExitedWithCode(3), "");
}
#endif
