// The application: the default exception handler's message box, the description of
// a form's controls for tools outside, layouts, the browser control without an engine,
// and what waits for the main form's first show.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/Framework.h"
#include "tests/support/wait_until.h"

namespace {

struct BoxSeen {
  std::wstring caption, text;
  bool errorIcon = false;
};

BOOL CALLBACK ReadBoxChild(HWND child, LPARAM p) {
  auto& s = *reinterpret_cast<BoxSeen*>(p);
  wchar_t text[256] = {};
  GetWindowTextW(child, text, 256);
  if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
    s.errorIcon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0)) ==
                  LoadIconW(nullptr, MAKEINTRESOURCEW(32513));
  else if (WindowClassName(child) == L"Static" && text[0])
    s.text = text;
  return TRUE;
}

std::string gReceived;
ULONG_PTR gTag = 0;
LRESULT CALLBACK ProbeProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_COPYDATA) {
    auto* cds = reinterpret_cast<COPYDATASTRUCT*>(lp);
    gTag = cds->dwData;
    gReceived.assign(static_cast<const char*>(cds->lpData), cds->cbData);
    return 1;
  }
  return DefWindowProcW(w, m, wp, lp);
}

// Waits (on another thread) for a message box with this caption, records what it
// shows and presses OK.
std::thread AnswerMessageBox(const std::wstring& caption, BoxSeen& seen) {
  return std::thread([caption, &seen] {
    HWND box = nullptr;
    if (!testwait::WaitUntil([&] { return (box = FindWindowW(L"#32770", caption.c_str())); }, 5000))
      return;
    seen.caption = caption;
    EnumChildWindows(box, ReadBoxChild, reinterpret_cast<LPARAM>(&seen));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
}

class TSmallForm : public TForm {
 public:
  explicit TSmallForm(TComponent* owner) : TForm(owner) {}
  TButton* Button1 = nullptr;
  TEdit* Edit1 = nullptr;
  int clicks = 0;
  void Button1Click(TObject*) { ++clicks; }
  void EditKey(TObject*, char&) {}
};

const TLayoutItem kSmallItems[] = {
    {.Create = NewComponent<TButton>,
     .Name = "Button1",
     .Caption = "按钮",
     .Left = 5,
     .Top = 6,
     .Width = 70,
     .Height = 25,
     .TabOrder = 1,
     .Events = {{"OnClick", "Button1Click"}}},
    {.Create = NewComponent<TEdit>,
     .Name = "Edit1",
     .Left = 5,
     .Top = 40,
     .Width = 90,
     .Height = 20,
     .TabOrder = 0},
    {.Create = NewComponent<TLabel>,
     .Name = "Label1",
     .Caption = "a\r\nb",
     .Left = 100,
     .Top = 10,
     .Width = 10,
     .Height = 10},
};

std::unique_ptr<TSmallForm> SmallForm(std::span<const TLayoutItem> items, bool publishEdit = true) {
  auto f = std::make_unique<TSmallForm>(Application);
  f->PublishField("Button1", f->Button1);
  if (publishEdit) f->PublishField("Edit1", f->Edit1);
  f->PublishMethod("Button1Click", &TSmallForm::Button1Click);
  f->PublishMethod("EditKey", &TSmallForm::EditKey);
  TFormLayout layout{.Caption = "小窗口",
                     .ClientWidth = 200,
                     .ClientHeight = 100,
                     .BorderStyle = bsSingle,
                     .Items = items};
  LoadLayout(*f, layout);
  return f;
}

}  // namespace

TEST(DefaultHandler, ShowsTheMessageWithAFullStopUnderTheTitle) {
  Application->SetTitle("Morlu连接器");
  BoxSeen seen;
  std::thread answer = AnswerMessageBox(L"Morlu\u8FDE\u63A5\u5668", seen);
  Application->HandleException(Exception("查询失败"));
  answer.join();
  EXPECT_EQ(seen.caption, L"Morlu\u8FDE\u63A5\u5668");
  EXPECT_EQ(seen.text, L"\u67E5\u8BE2\u5931\u8D25.");
  EXPECT_TRUE(seen.errorIcon);

  // An exception from a handler never leaves through Windows: it reaches the handler.
  std::vector<std::string> caught;
  Application->OnException = [&](TObject*, const std::exception& e) { caught.push_back(e.what()); };
  auto f = SmallForm(kSmallItems);
  f->Button1->OnClick = [](TObject*) { throw Exception("Cannot allocate socket"); };
  SendMessageW(f->Button1->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(caught, std::vector<std::string>{"Cannot allocate socket"});

  // Nor does one from the handler itself: it ends in the window procedure, and the
  // next click is handled the same way.
  Application->OnException = [&](TObject*, const std::exception& e) {
    caught.push_back(e.what());
    throw Exception("Handler failed");
  };
  SendMessageW(f->Button1->Handle(), BM_CLICK, 0, 0);
  SendMessageW(f->Button1->Handle(), BM_CLICK, 0, 0);
  Application->OnException = nullptr;
  EXPECT_EQ(caught.size(), 3u);
}

TEST(Describe, ListsEveryControlWithBoundsStateAndCaption) {
  auto f = SmallForm(kSmallItems);
  f->Button1->SetEnabled(false);
  f->Edit1->SetText("visible");
  // A password edit is listed, but what its mask hides never leaves the program.
  auto* password = new TMaskEdit(f.get());
  password->SetName("PasswordTxt");
  password->SetParent(f.get());
  password->SetBounds(5, 70, 90, 20);
  password->SetPasswordChar('*');
  password->SetText("secret");
  WNDCLASSW wc{};
  wc.lpfnWndProc = ProbeProc;
  wc.lpszClassName = L"DescribeProbe";
  RegisterClassW(&wc);
  HWND probe =
      CreateWindowW(L"DescribeProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  UINT msg = RegisterWindowMessageW(L"VpnClient.DescribeControls");
  EXPECT_EQ(SendMessageW(f->Handle(), msg, reinterpret_cast<WPARAM>(probe), 0), 1);
  DestroyWindow(probe);
  EXPECT_EQ(gTag, 0x56504E31u);
  char hex[32];
  snprintf(hex, sizeof hex, "%llx",
           static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(f->Button1->Handle())));
  const std::string& received = gReceived;
  std::string first = received.substr(0, received.find('\n'));
  // The caption arrives as UTF-8.
  EXPECT_EQ(first, "Button1\tTButton\t5\t6\t70\t25\t1\t0\t" + std::string(hex) +
                       "\t\xE6\x8C\x89\xE9\x92\xAE");
  // Line breaks inside a caption are written out, so each control stays one line.
  EXPECT_NE(received.find("Label1\tTLabel\t100\t10\t"), std::string::npos);
  EXPECT_NE(received.find("\t0\ta\\r\\nb\n"), std::string::npos);
  EXPECT_NE(received.find("Edit1\tTEdit\t5\t40\t90\t20\t"), std::string::npos);
  EXPECT_NE(received.find("\tvisible\n"), std::string::npos);
  const size_t line = received.find("PasswordTxt\tTMaskEdit\t5\t70\t90\t20\t");
  ASSERT_NE(line, std::string::npos);
  EXPECT_EQ(received.substr(received.find('\n', line) - 1, 2), "\t\n");
  EXPECT_EQ(received.find("secret"), std::string::npos);
  EXPECT_EQ(password->Caption(), "secret");
  EXPECT_EQ(std::count(received.begin(), received.end(), '\n'), 4);
}

TEST(Layouts, BindFieldsHandlersAndTabOrder) {
  auto f = SmallForm(kSmallItems);
  ASSERT_NE(f->Button1, nullptr);
  ASSERT_NE(f->Edit1, nullptr);
  EXPECT_EQ(f->Edit1->TabOrder(), 0);
  EXPECT_EQ(f->Button1->TabOrder(), 1);
  SendMessageW(f->Button1->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(f->clicks, 1);
  EXPECT_EQ(f->FindComponent("Label1")->ClassName(), "TLabel");
}

TEST(Layouts, RefuseWhatTheFormOrTheKindCannotTake) {
  const TLayoutItem unknownSetting[] = {
      {.Create = NewComponent<TButton>, .Name = "Button1", .Props = {{"Flavour", "x"}}}};
  EXPECT_THROW(SmallForm(unknownSetting, false), Exception);
  const TLayoutItem unknownHandler[] = {
      {.Create = NewComponent<TButton>, .Name = "Button1", .Events = {{"OnClick", "Nope"}}}};
  EXPECT_THROW(SmallForm(unknownHandler, false), Exception);
  // A key-press handler cannot serve a click.
  const TLayoutItem wrongKind[] = {
      {.Create = NewComponent<TButton>, .Name = "Button1", .Events = {{"OnClick", "EditKey"}}}};
  EXPECT_THROW(SmallForm(wrongKind, false), Exception);
  // A field of the form that the layout never fills.
  const TLayoutItem missing[] = {{.Create = NewComponent<TButton>, .Name = "Button1"}};
  EXPECT_THROW(SmallForm(missing, true), Exception);
  // A field of another kind.
  const TLayoutItem wrongField[] = {{.Create = NewComponent<TLabel>, .Name = "Button1"}};
  EXPECT_THROW(SmallForm(wrongField, false), Exception);
}

// This system's browser control has no engine to show pages (Wine without it): every
// navigation fails, at once and without a dialog, and the owner's picture fills the area.
TEST(Browser, APageThatCannotBeShownIsToldOnceAndTheOwnersPictureTakesItsPlace) {
  auto f = SmallForm(kSmallItems);
  auto* web = new TWebBrowser(f.get());
  web->SetParent(f.get());
  web->SetBounds(0, 0, 150, 60);
  int failures = 0;
  web->OnNavigateFailed = [&](TObject* sender) {
    ++failures;
    EXPECT_EQ(sender, web);
    EXPECT_FALSE(web->Hosted()) << "told before the browser object was closed";
  };
  web->OnPaintPlaceholder = [](HDC dc, const RECT& r) {
    RECT inner{r.left + 10, r.top + 10, r.right - 10, r.bottom - 10};
    FillRect(dc, &inner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  };
  f->Show();
  EXPECT_EQ(WindowClassName(web->Handle()), L"TWebBrowser");
  auto pump = [] {
    for (int i = 0; i < 20; ++i) {
      Application->ProcessMessages();
      Sleep(10);
    }
  };
  auto pixel = [&](int x, int y) {
    UpdateWindow(web->Handle());
    HDC dc = GetDC(web->Handle());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(web->Handle(), dc);
    return c;
  };
  // Before any navigation the area has the control's colour.
  pump();
  EXPECT_EQ(pixel(75, 30), GetSysColor(COLOR_WINDOW));
  EXPECT_FALSE(web->NavigateFailed());

  EXPECT_FALSE(web->Navigate(L"http://127.0.0.1:9/banner.htm"));
  EXPECT_EQ(failures, 0) << "told inside Navigate";
  pump();
  EXPECT_EQ(failures, 1);
  EXPECT_TRUE(web->NavigateFailed());
  EXPECT_FALSE(web->Hosted());
  EXPECT_EQ(web->LocationURL(), L"http://127.0.0.1:9/banner.htm");
  EXPECT_EQ(FindWindowW(L"#32770", nullptr), nullptr);
  // The owner's picture, drawn over the control's colour.
  EXPECT_EQ(pixel(75, 30), RGB(0, 0, 0));
  EXPECT_EQ(pixel(3, 3), GetSysColor(COLOR_WINDOW));
  // A second try is a navigation of its own, told once more.
  web->Navigate(L"http://127.0.0.1:9/other.htm");
  pump();
  EXPECT_EQ(failures, 2);
  EXPECT_EQ(pixel(75, 30), RGB(0, 0, 0));
  delete web;
  f->Hide();
}

namespace {
class TFailingForm : public TForm {
 public:
  explicit TFailingForm(TComponent* owner) : TForm(owner) {
    OnCreate = [](TObject*) { throw Exception("create failed"); };
  }
};
}  // namespace

TEST(CreateForm, AFormThatFailsToCreateLeavesNoReferenceBehind) {
  int before = Application->ComponentCount();
  TFailingForm* form = reinterpret_cast<TFailingForm*>(1);
  EXPECT_THROW(Application->CreateForm(form), Exception);
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(Application->ComponentCount(), before);
}

namespace {
// A main form that asks its browser for an address in its create handler, as the
// program's main window does with its banner.
// Beside it two overlapping buttons and two out of sight, right of the client area.
class TBannerForm : public TForm {
 public:
  explicit TBannerForm(TComponent* owner) : TForm(owner) {
    Web = new TWebBrowser(this);
    Web->SetParent(this);
    Web->SetBounds(0, 0, 120, 40);
    Lower = Place(10, 50);
    Upper = Place(40, 60);
    Away = Place(1000, 50);
    AskedFor = Place(1000, 90);
    Doomed = Place(1000, 130);
    OnCreate = [this](TObject*) { Web->Navigate(L"http://127.0.0.1:9/top.htm"); };
    WindowProc = [this](TMessage& m) {
      if (m.Msg == CM_LATEWINDOWSCREATED) LateNews.push_back(Away->HandleAllocated());
      WndProc(m);
    };
  }
  TButton* Place(int left, int top) {
    auto* b = new TButton(this);
    b->SetParent(this);
    b->SetBounds(left, top, 60, 25);
    return b;
  }
  TWebBrowser* Web;
  TButton *Lower, *Upper, *Away, *AskedFor, *Doomed;
  std::vector<bool> LateNews;  // one entry per notice: whether Away had its window then
};

class TLaterForm : public TForm {
 public:
  using TForm::TForm;
};
}  // namespace

TEST(StartUp, WhatTheFirstPictureDoesNotNeedComesRightAfterTheMainFormIsShown) {
  TBannerForm* main = nullptr;
  TLaterForm* later = nullptr;
  Application->CreateForm(main);
  Application->CreateForm(later);
  EXPECT_TRUE(main->HandleAllocated());
  EXPECT_FALSE(later->HandleAllocated());
  EXPECT_FALSE(main->Web->Hosted());
  // Controls out of sight get their windows after the first picture too, unless asked.
  EXPECT_TRUE(main->Upper->HandleAllocated());
  EXPECT_FALSE(main->Away->HandleAllocated());
  EXPECT_TRUE(main->Away->WindowComesLater());
  EXPECT_TRUE(main->AskedFor->WindowComesLater());
  EXPECT_NE(main->AskedFor->Handle(), nullptr);
  EXPECT_FALSE(main->AskedFor->WindowComesLater());
  // One asked for and freed before the first show leaves nothing behind for it.
  main->Doomed->HandleNeeded();
  delete main->Doomed;
  // What the first picture needs is prepared right before the first show, once, while
  // the window is still off the screen.
  std::vector<std::pair<HWND, bool>> showing;
  Application->OnMainFormShowing = [&](HWND w) { showing.emplace_back(w, IsWindowVisible(w)); };
  main->Show();
  EXPECT_EQ(showing, (std::vector<std::pair<HWND, bool>>{{main->Handle(), false}}));
  main->Hide();
  main->Show();
  EXPECT_EQ(showing.size(), 1u);
  Application->OnMainFormShowing = nullptr;
  EXPECT_FALSE(later->HandleAllocated()) << "made before the main form's first picture";
  EXPECT_FALSE(main->Away->HandleAllocated()) << "made before the main form's first picture";
  Application->ProcessMessages();
  EXPECT_TRUE(later->HandleAllocated());
  EXPECT_FALSE(IsWindowVisible(later->Handle()));
  // The address asked for before the first show was tried right after it (there is no
  // engine here to show it).
  EXPECT_TRUE(main->Web->NavigateFailed());
  EXPECT_EQ(main->Web->LocationURL(), L"http://127.0.0.1:9/top.htm");
  ASSERT_TRUE(main->Away->HandleAllocated());
  EXPECT_FALSE(main->Away->WindowComesLater());
  EXPECT_EQ(main->LateNews, std::vector<bool>{true}) << "the form hears of its late windows once";
  // Whenever its window came, a control later in the list lies above the earlier ones.
  std::vector<HWND> fromTop;
  for (HWND w = GetWindow(main->Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    fromTop.push_back(w);
  EXPECT_EQ(fromTop,
            (std::vector<HWND>{main->AskedFor->Handle(), main->Away->Handle(),
                               main->Upper->Handle(), main->Lower->Handle(), main->Web->Handle()}));

  // A window leads to its control only when it is one of the framework's own.
  EXPECT_EQ(TWinControl::FindControl(main->Web->Handle()), main->Web);
  EXPECT_EQ(TWinControl::FindControl(later->Handle()), later);
  HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, main->Handle(), nullptr,
                               nullptr, nullptr);
  EXPECT_EQ(TWinControl::FindControl(plain), nullptr);
  EXPECT_EQ(TWinControl::FindControl(GetDesktopWindow()), nullptr);
  DestroyWindow(plain);

  // Forms made once the main form is on screen get their windows at once.
  TLaterForm* after = nullptr;
  Application->CreateForm(after);
  EXPECT_TRUE(after->HandleAllocated());
  delete after;
  delete later;
  delete main;
}
