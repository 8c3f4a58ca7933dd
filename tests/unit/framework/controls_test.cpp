// Controls and forms on real windows under the test's own message queue.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "framework/Framework.h"
#include "tests/support/wait_until.h"
#include "tests/unit/framework/place_control.h"

using formtest::Place;

namespace {

class TTestForm : public TForm {
 public:
  explicit TTestForm(TComponent* owner) : TForm(owner) {
    SetBorderStyle(bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    SetClientSize(300, 200);
    Font()->SetName("宋体");
    Font()->SetHeight(12);
  }
};

std::unique_ptr<TTestForm> NewForm() {
  auto form = std::make_unique<TTestForm>(Application);
  form->AfterConstruction();
  return form;
}

std::wstring ClassOf(HWND wnd) {
  return WindowClassName(wnd);
}

}  // namespace

TEST(Forms, WindowClassesCarryTheClassNames) {
  auto form = NewForm();
  auto* button = Place<TButton>(form.get(), "Button1", 10, 10, 64, 27);
  auto* edit = Place<TEdit>(form.get(), "Edit1", 10, 40, 100, 20);
  auto* mask = Place<TMaskEdit>(form.get(), "Mask1", 10, 70, 100, 20);
  auto* combo = Place<TComboBox>(form.get(), "Combo1", 10, 100, 100, 23);
  auto* list = Place<TListBox>(form.get(), "List1", 120, 10, 100, 80);
  auto* check = Place<TCheckBox>(form.get(), "Check1", 120, 100, 80, 17);
  auto* panel = Place<TPanel>(form.get(), "Panel1", 120, 130, 100, 25);
  auto* status = Place<TStatusBar>(form.get(), "Status1", 0, 180, 300, 20);
  EXPECT_EQ(ClassOf(form->Handle()), L"TTestForm");
  EXPECT_EQ(ClassOf(button->Handle()), L"TButton");
  EXPECT_EQ(ClassOf(edit->Handle()), L"TEdit");
  EXPECT_EQ(ClassOf(mask->Handle()), L"TMaskEdit");
  EXPECT_EQ(ClassOf(combo->Handle()), L"TComboBox");
  EXPECT_EQ(ClassOf(list->Handle()), L"TListBox");
  EXPECT_EQ(ClassOf(check->Handle()), L"TCheckBox");
  EXPECT_EQ(ClassOf(panel->Handle()), L"TPanel");
  EXPECT_EQ(ClassOf(status->Handle()), L"TStatusBar");
  // Every form is owned by the hidden application window.
  EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), Application->Handle());
  EXPECT_EQ(ClassOf(Application->Handle()), L"TApplication");
  // The control's name rides on its window for tools that look from outside.
  auto atom =
      static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(edit->Handle(), L"VpnControlName")));
  wchar_t name[64] = {};
  GlobalGetAtomNameW(atom, name, 64);
  EXPECT_STREQ(name, L"Edit1");
}

TEST(Forms, ClientSizeAndFixedBorder) {
  auto form = NewForm();
  RECT r;
  GetClientRect(form->Handle(), &r);
  EXPECT_EQ(r.right, 300);
  EXPECT_EQ(r.bottom, 200);
  LONG_PTR style = GetWindowLongPtrW(form->Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  form->Show();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  // While a form is visible the application window is shown too (the task-bar button).
  EXPECT_TRUE(IsWindowVisible(Application->Handle()));
  form->Hide();
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
}

namespace {
class TIconForm : public TTestForm {
 public:
  using TTestForm::TTestForm;
};

// A form of its own class with a copy of one of the system's icons (an IDI_ number).
std::unique_ptr<TIconForm> NewIconForm(int systemIcon) {
  auto form = std::make_unique<TIconForm>(Application);
  form->AfterConstruction();
  form->Icon()->SetHandle(CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(systemIcon))));
  return form;
}

// The icon a caption shows: the window's own small one, else its class's, else the big.
HICON CaptionIcon(HWND wnd) {
  if (auto i = reinterpret_cast<HICON>(SendMessageW(wnd, WM_GETICON, ICON_SMALL2, 0))) return i;
  if (auto i = reinterpret_cast<HICON>(GetClassLongPtrW(wnd, GCLP_HICONSM))) return i;
  if (auto i = reinterpret_cast<HICON>(SendMessageW(wnd, WM_GETICON, ICON_BIG, 0))) return i;
  return reinterpret_cast<HICON>(GetClassLongPtrW(wnd, GCLP_HICON));
}

bool IconAlive(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return true;
}
}  // namespace

TEST(Forms, EveryWindowOfAFormClassShowsItsOwnFormsIcon) {
  auto first = NewIconForm(32515);
  auto second = NewIconForm(32513);
  EXPECT_EQ(CaptionIcon(first->Handle()), first->Icon()->Handle());
  EXPECT_EQ(CaptionIcon(second->Handle()), second->Icon()->Handle());
  // The first window's icon came with its class: a window of that class made after the
  // first form is gone still finds a live icon there, and the form's own icon can be
  // replaced without taking it away.
  HICON classIcon = reinterpret_cast<HICON>(GetClassLongPtrW(second->Handle(), GCLP_HICON));
  first->Icon()->SetHandle(CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32514))));
  first.reset();
  auto third = NewIconForm(32516);
  EXPECT_TRUE(IconAlive(classIcon));
  EXPECT_TRUE(IconAlive(reinterpret_cast<HICON>(GetClassLongPtrW(third->Handle(), GCLP_HICONSM))));
  EXPECT_EQ(CaptionIcon(third->Handle()), third->Icon()->Handle());
}

TEST(Controls, AControlWithAFramePaintsItAsThePlainControlDoes) {
  auto form = NewForm();
  auto* edit = Place<TEdit>(form.get(), "Edit1", 20, 20, 120, 24);
  auto* button = Place<TButton>(form.get(), "Button1", 20, 100, 80, 26);
  // The same edit made without the framework, for the frame the system paints.
  HWND plain = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE, 20, 60, 120,
                               24, form->Handle(), nullptr, nullptr, nullptr);
  form->Show();
  UpdateWindow(form->Handle());
  Application->ProcessMessages();
  auto pixel = [](HWND w, int x, int y) {
    HDC dc = GetWindowDC(w);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(w, dc);
    return c;
  };
  // The sunken frame lies outside the client area: painted as on the plain edit, around
  // the white inside.
  EXPECT_EQ(pixel(edit->Handle(), 60, 12), RGB(255, 255, 255));
  for (int at : {0, 1})
    EXPECT_EQ(pixel(edit->Handle(), at, at), pixel(plain, at, at)) << "frame pixel " << at;
  // A button has nothing outside its client area: its picture is all its own painting.
  RECT w{}, c{};
  GetWindowRect(button->Handle(), &w);
  GetClientRect(button->Handle(), &c);
  EXPECT_EQ(c.right, w.right - w.left);
  DestroyWindow(plain);
  form->Hide();
}

TEST(Controls, CaptionsRoundTripThroughTheWindowAsGbk) {
  auto form = NewForm();
  form->SetCaption("Morlu连接器");
  auto* edit = Place<TEdit>(form.get(), "Edit1", 10, 10, 100, 20);
  edit->SetText("选择服务器 ");
  wchar_t buf[64];
  GetWindowTextW(form->Handle(), buf, 64);
  EXPECT_STREQ(buf, L"Morlu\u8FDE\u63A5\u5668");
  GetWindowTextW(edit->Handle(), buf, 64);
  EXPECT_STREQ(buf, L"\u9009\u62E9\u670D\u52A1\u5668 ");
  // What a user types comes back as GBK.
  SetWindowTextW(edit->Handle(), L"\u5BC6\u3000\u7801");
  EXPECT_EQ(edit->Text(), "密　码");
  // The text survives the window being made again.
  edit->RecreateWnd();
  EXPECT_EQ(edit->Text(), "密　码");
}

TEST(Controls, WindowProcCanBeReplacedAndPutBack) {
  auto form = NewForm();
  auto* button = Place<TButton>(form.get(), "Button1", 10, 10, 64, 27);
  int clicks = 0;
  button->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, button);
    ++clicks;
  };
  std::vector<UINT> seen;
  TWndMethod old = button->WindowProc;
  button->WindowProc = [&](TMessage& m) {
    seen.push_back(m.Msg);
    if (m.Msg == WM_USER + 5) {
      m.Result = 42;
      return;
    }
    old(m);
  };
  EXPECT_EQ(SendMessageW(button->Handle(), WM_USER + 5, 0, 0), 42);
  SendMessageW(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  EXPECT_NE(std::find(seen.begin(), seen.end(), CN_COMMAND), seen.end());
  button->WindowProc = old;
  seen.clear();
  EXPECT_EQ(SendMessageW(button->Handle(), WM_USER + 5, 0, 0), 0);
  SendMessageW(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 2);
  EXPECT_TRUE(seen.empty());
}

TEST(Controls, KeyPressSeesTheCharacterAndCanChangeOrSwallowIt) {
  auto form = NewForm();
  auto* edit = Place<TEdit>(form.get(), "Edit1", 10, 10, 100, 20);
  std::vector<int> keys;
  edit->OnKeyPress = [&](TObject*, char& key) {
    keys.push_back(static_cast<unsigned char>(key));
    if (key == 'x') key = 'y';
    if (key == 'q') key = 0;
  };
  for (wchar_t c : std::wstring(L"axq\r")) SendMessageW(edit->Handle(), WM_CHAR, c, 1);
  EXPECT_EQ(keys, (std::vector<int>{'a', 'x', 'q', 13}));
  EXPECT_EQ(edit->Text(), "ay");
}

TEST(Controls, FocusMovesByCallAndByTabOrder) {
  auto form = NewForm();
  auto* a = Place<TEdit>(form.get(), "A", 10, 10, 100, 20);
  auto* b = Place<TEdit>(form.get(), "B", 10, 40, 100, 20);
  auto* c = Place<TButton>(form.get(), "C", 10, 70, 64, 27);
  auto* hidden = Place<TButton>(form.get(), "Hidden", 10, 100, 64, 27);
  hidden->SetVisible(false);
  c->SetTabOrder(0);
  EXPECT_EQ(c->TabOrder(), 0);
  EXPECT_EQ(a->TabOrder(), 1);
  form->Show();
  b->SetFocus();
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(form->ActiveControl(), b);
  EXPECT_EQ(form->FindNextControl(b, true, true), c);  // past the hidden button, wrapping
  EXPECT_EQ(form->FindNextControl(c, false, true), b);
  // A real Tab key press goes through the application's message handling.
  PostMessageW(b->Handle(), WM_KEYDOWN, VK_TAB, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(c->Focused());
  // A disabled control cannot take the focus.
  a->SetEnabled(false);
  a->SetFocus();
  EXPECT_TRUE(c->Focused());
  form->Hide();
}

TEST(Controls, LabelSizesItselfToItsLinesWithoutWrapping) {
  auto form = NewForm();
  auto* label = Place<TLabel>(form.get(), "Label1", 16, 56, 120, 13);
  label->SetCaption("one line");
  int oneLineHeight = label->Height();
  int oneLineWidth = label->Width();
  EXPECT_GT(oneLineHeight, 8);
  EXPECT_GT(oneLineWidth, 20);
  label->SetCaption("one line\r\nsecond\r\nthird line is the longest of all");
  EXPECT_EQ(label->Height(), 3 * oneLineHeight);
  EXPECT_GT(label->Width(), 2 * oneLineWidth);
  label->SetCaption("x");
  EXPECT_EQ(label->Height(), oneLineHeight);
  EXPECT_LT(label->Width(), oneLineWidth);
  // A bold font makes the same text wider.
  label->SetCaption("wide wide wide");
  int regular = label->Width();
  label->Font()->SetBold(true);
  EXPECT_GT(label->Width(), regular);
  // Without AutoSize the designed bounds stay.
  label->SetAutoSize(false);
  label->SetBounds(1, 2, 30, 40);
  label->SetCaption("a much longer text than thirty pixels");
  EXPECT_EQ(label->Width(), 30);
  EXPECT_EQ(label->Height(), 40);
}

TEST(Controls, ItemsAndChecksLiveInTheWindows) {
  auto form = NewForm();
  auto* combo = Place<TComboBox>(form.get(), "Combo1", 10, 10, 120, 23);
  combo->SetStyle(csDropDownList);
  combo->Items()->Add("选择线路");
  combo->Items()->Add("second");
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 2);
  combo->SetItemIndex(0);
  EXPECT_EQ(combo->Text(), "选择线路");
  auto* list = Place<TListBox>(form.get(), "List1", 10, 40, 120, 80);
  list->Items()->Add("a");
  list->Items()->Add("b");
  list->Items()->Delete(0);
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 1);
  list->Items()->Clear();
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETCOUNT, 0, 0), 0);
  auto* check = Place<TCheckBox>(form.get(), "Check1", 10, 130, 80, 17);
  int clicks = 0;
  check->OnClick = [&](TObject*) { ++clicks; };
  SendMessageW(check->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(clicks, 1);
  check->SetChecked(false);
  EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  auto* status = Place<TStatusBar>(form.get(), "Status1", 0, 180, 300, 20);
  status->Panels()->Add()->SetWidth(50);
  status->SetSimpleText("断开");
  EXPECT_EQ(status->PanelText(0), "断开");
  auto* mask = Place<TMaskEdit>(form.get(), "Pass", 10, 150, 100, 20);
  mask->SetPasswordChar('*');
  EXPECT_EQ(SendMessageW(mask->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
}

TEST(Menus, ItemsBuildTheSystemMenuAndDispatchCommands) {
  TComponent owner(nullptr);
  auto* menu = new TPopupMenu(&owner);
  const char* captions[] = {"连接(&C)", "断开(&D)", "-", "退出(&X)"};
  std::vector<TMenuItem*> items;
  for (const char* c : captions) {
    auto* item = new TMenuItem(&owner);
    item->SetCaption(c);
    menu->Items()->Add(item);
    items.push_back(item);
  }
  items[1]->SetEnabled(false);
  items[0]->SetDefault(true);
  HMENU h = menu->Handle();
  ASSERT_EQ(GetMenuItemCount(h), 4);
  wchar_t text[64];
  GetMenuStringW(h, 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"\u8FDE\u63A5(&C)");
  EXPECT_TRUE(GetMenuState(h, 1, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(h, 2, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(GetMenuDefaultItem(h, TRUE, 0), 0u);
  int clicked = 0;
  items[3]->OnClick = [&](TObject* s) { clicked = s == items[3] ? 1 : -1; };
  EXPECT_TRUE(TMenuItem::DispatchCommand(items[3]->Command()));
  EXPECT_EQ(clicked, 1);
  // A disabled item does not run.
  items[1]->OnClick = [&](TObject*) { clicked = 2; };
  TMenuItem::DispatchCommand(items[1]->Command());
  EXPECT_EQ(clicked, 1);
  // Freeing an item takes it out of the menu.
  delete items[2];
  EXPECT_EQ(GetMenuItemCount(menu->Handle()), 3);
}

TEST(Timers, FireOnlyWhileEnabledWithAHandler) {
  TComponent owner(nullptr);
  auto* timer = new TTimer(&owner);
  EXPECT_EQ(timer->Interval(), 1000u);
  EXPECT_TRUE(timer->Enabled());
  EXPECT_FALSE(timer->Running());
  int ticks = 0;
  timer->SetInterval(10);
  timer->SetOnTimer([&](TObject*) {
    if (++ticks == 3) timer->SetEnabled(false);
  });
  EXPECT_TRUE(timer->Running());
  testwait::PumpUntil([&] { return !timer->Enabled(); }, 5000);
  EXPECT_EQ(ticks, 3);
  EXPECT_FALSE(timer->Running());
}

// The timers' hidden window lives from the first timer to the last; a timer made after
// that gets a new one that works, also for a switch asked for from another thread.
TEST(Timers, ShareOneWindowFromTheFirstTimerToTheLast) {
  auto timerWindow = [] { return FindWindowExW(HWND_MESSAGE, nullptr, L"TTimerWindow", nullptr); };
  ASSERT_EQ(timerWindow(), nullptr) << "a timer of another test is still alive";
  auto first = std::make_unique<TTimer>(nullptr);
  auto second = std::make_unique<TTimer>(nullptr);
  HWND shared = timerWindow();
  ASSERT_NE(shared, nullptr);
  first.reset();
  EXPECT_EQ(timerWindow(), shared);
  second.reset();
  EXPECT_EQ(timerWindow(), nullptr);
  EXPECT_FALSE(IsWindow(shared));

  TTimer timer(nullptr);
  ASSERT_NE(timerWindow(), nullptr);
  int ticks = 0;
  timer.SetEnabled(false);
  timer.SetInterval(10);
  timer.SetOnTimer([&](TObject*) { ++ticks; });
  std::thread([&] { timer.SetEnabled(true); }).join();
  EXPECT_FALSE(timer.Enabled());  // switched on the window's thread, not the caller's
  testwait::PumpUntil([&] { return ticks >= 2; }, 5000);
  EXPECT_TRUE(timer.Running());
  EXPECT_GE(ticks, 2);
}

// The system ticks no faster than every 10 ms: a shorter timer switched on (from another
// thread, as a notifier does) ticks at the very next pump instead, once; one switched off
// again before that pump does not tick at all.
TEST(Timers, AShortTimerTicksAtTheNextPumpNotAtTheSystemsNextTick) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetEnabled(false);
  timer.SetInterval(1);
  timer.SetOnTimer([&](TObject*) {
    ++ticks;
    timer.SetEnabled(false);
  });
  std::thread([&] { timer.SetEnabled(true); }).join();
  Application->ProcessMessages();
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(timer.Running());

  timer.SetEnabled(true);
  timer.SetEnabled(false);
  Application->ProcessMessages();
  Sleep(30);
  Application->ProcessMessages();
  EXPECT_EQ(ticks, 1);

  // One still on after its first tick goes on at the system's rhythm from there; before
  // that tick it has no system timer (the dial's event timer, switched off in its first
  // tick, never asks for one).
  int more = 0;
  timer.SetOnTimer([&](TObject*) { ++more; });
  timer.SetEnabled(true);
  EXPECT_FALSE(timer.Running());
  Application->ProcessMessages();
  EXPECT_EQ(more, 1);
  EXPECT_TRUE(timer.Running());
  testwait::PumpUntil([&] { return more >= 3; }, 5000);
  EXPECT_GE(more, 3);
  timer.SetEnabled(false);
  EXPECT_FALSE(timer.Running());

  // A long timer keeps the system's rhythm: nothing at the next pump.
  timer.SetInterval(200);
  timer.SetEnabled(true);
  Application->ProcessMessages();
  EXPECT_EQ(ticks, 1);
  EXPECT_TRUE(timer.Running());
}

TEST(Application, MinimisingTheMainFormMinimisesTheApplicationAndRestoreBringsItBack) {
  auto form = NewForm();
  TForm* previousMain = Application->MainForm();
  form->Show();
  // The minimise command of a form that is not the main form minimises only that form.
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  if (!previousMain) {
    EXPECT_TRUE(IsIconic(form->Handle()));
    ShowWindow(form->Handle(), SW_RESTORE);
  }
  Application->Minimize();
  EXPECT_TRUE(IsIconic(Application->Handle()));
  // The forms go with the application window; the form itself stays "visible".
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(form->Visible());
  int restored = 0;
  Application->OnRestore = [&](TObject*) { ++restored; };
  Application->Restore();
  Application->OnRestore = nullptr;
  EXPECT_FALSE(IsIconic(Application->Handle()));
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(restored, 1);
  // A restore from outside (the normal-show command another program sends) brings the
  // forms back as well.
  Application->Minimize();
  ShowWindow(Application->Handle(), SW_SHOWNORMAL);
  Application->ProcessMessages();
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  form->Hide();
}

TEST(Application, HooksSeeTheApplicationWindowsMessagesFirst) {
  std::vector<UINT> seen;
  int token = Application->HookMainWindow([&](TMessage& m) {
    seen.push_back(m.Msg);
    if (m.Msg == WM_USER + 9) {
      m.Result = 77;
      return true;
    }
    return false;
  });
  EXPECT_EQ(SendMessageW(Application->Handle(), WM_USER + 9, 0, 0), 77);
  EXPECT_EQ(SendMessageW(Application->Handle(), WM_USER + 10, 0, 0), 0);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 9, WM_USER + 10}));
  Application->UnhookMainWindow(token);
  EXPECT_EQ(SendMessageW(Application->Handle(), WM_USER + 9, 0, 0), 0);
  EXPECT_EQ(seen.size(), 2u);
}

TEST(Controls, HintsBecomeToolTipsWhileShowHintIsOn) {
  auto form = NewForm();
  auto* button = Place<TButton>(form.get(), "Button1", 10, 10, 64, 27);
  HWND tips = nullptr;
  auto count = [&] {
    tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
    while (tips && GetWindow(tips, GW_OWNER) != Application->Handle())
      tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr);
    return tips ? SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0) : 0;
  };
  button->HandleNeeded();
  button->SetHint("连接到服务器");
  LRESULT before = count();
  button->SetShowHint(true);
  EXPECT_EQ(count(), before + 1);
  button->SetShowHint(false);
  EXPECT_EQ(count(), before);
  // A window made later picks the hint up.
  button->SetShowHint(true);
  button->RecreateWnd();
  EXPECT_EQ(count(), before + 1);
  delete button;
  EXPECT_EQ(count(), before);
}

TEST(Fonts, TheLayoutsChineseFontsHaveChineseGlyphs) {
  // The layouts ask for these two faces; without a font that has the characters the
  // windows show boxes.
  for (const char* face : {"宋体", "黑体"}) {
    TFont font;
    font.SetName(face);
    font.SetHeight(12);
    TWindowDC dc(nullptr);
    TSelectObject select(dc.Get(), font.Handle());
    WORD glyphs[3] = {};
    ASSERT_EQ(
        GetGlyphIndicesW(dc.Get(), L"\u8FDE\u63A5\u5668", 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS),
        3u);
    for (WORD g : glyphs)
      EXPECT_NE(g, 0xFFFF) << "no Chinese glyphs for " << face
                           << ": install fonts-wqy-microhei (scripts/setup.sh)";
  }
}
