// The three windows as their layouts build them.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Unit_FrmMain.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "framework/Framework.h"

namespace {

template <class T>
std::unique_ptr<T> Make() {
  auto form = std::make_unique<T>(Application);
  form->AfterConstruction();
  form->HandleNeeded();
  return form;
}

std::wstring ClassOf(HWND wnd) {
  return WindowClassName(wnd);
}

// Left, top, width, height, visible, enabled, tab stop of a windowed control.
struct Row {
  int l, t, w, h;
  bool visible, enabled, tabStop;
  intptr_t tag;
};

}  // namespace

TEST(MainWindow, EveryControlAsDesigned) {
  auto f = Make<TFrmMain>();
  EXPECT_EQ(ClassOf(f->Handle()), L"TFrmMain");
  EXPECT_EQ(f->Caption(), "Morlu连接器");
  RECT client;
  GetClientRect(f->Handle(), &client);
  EXPECT_EQ(client.right, 351);
  EXPECT_EQ(client.bottom, 239);
  LONG_PTR style = GetWindowLongPtrW(f->Handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_TRUE((style & WS_MINIMIZEBOX) && (style & WS_SYSMENU));
  EXPECT_EQ(f->Font()->Name(), "宋体");
  EXPECT_EQ(f->Font()->Height(), 12);

  std::map<std::string, Row> expected = {
      {"Button2", {271, 161, 64, 27, true, false, true, 6}},
      {"Button4", {499, 104, 64, 27, false, true, false, 0}},
      {"StatusBar1", {0, 218, 356, 25, true, true, false, 0}},
      {"UserNameTxt", {91, 143, 166, 20, true, true, true, 1}},
      {"CheckBox1", {94, 193, 83, 17, true, true, true, 4}},
      {"PasswordTxt", {91, 168, 166, 20, true, true, true, 2}},
      {"Button3", {497, 216, 56, 25, true, true, false, 0}},
      {"CheckBox2", {172, 193, 89, 17, true, true, true, 3}},
      {"Button5", {491, 263, 64, 27, true, true, false, 0}},
      {"Button1", {271, 121, 64, 27, true, true, true, 5}},
      {"IPAddrTxt", {90, 118, 167, 20, true, true, true, 0}},
      {"WebBrowser1", {-1, -1, 352, 102, true, true, false, 0}},
      {"Panel1", {488, 307, 201, 25, true, true, false, 0}},
  };
  for (auto& [name, row] : expected) {
    auto* c = dynamic_cast<TWinControl*>(f->FindComponent(name));
    ASSERT_NE(c, nullptr) << name;
    RECT r;
    GetWindowRect(c->Handle(), &r);
    MapWindowPoints(nullptr, GetParent(c->Handle()), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, row.l) << name;
    EXPECT_EQ(r.top, row.t) << name;
    EXPECT_EQ(r.right - r.left, row.w) << name;
    EXPECT_EQ(r.bottom - r.top, row.h) << name;
    EXPECT_EQ(c->Visible(), row.visible) << name;
    EXPECT_EQ(IsWindowEnabled(c->Handle()) != FALSE, row.enabled) << name;
    EXPECT_EQ(c->TabStop(), row.tabStop) << name;
    EXPECT_EQ(c->Tag(), row.tag) << name;
  }
  EXPECT_EQ(f->Label5->Parent(), f->Panel1);
  EXPECT_EQ(f->Button1->Caption(), "连 接");
  EXPECT_TRUE(f->Button1->Font()->Bold());
  EXPECT_FALSE(f->UserNameTxt->Font()->Bold());
  EXPECT_EQ(f->AreaTxt->Font()->Name(), "黑体");
  EXPECT_EQ(f->AreaTxt->Items()->Count(), 1);
  EXPECT_EQ((*f->IPAddrTxtold->Items())[0], "选择服务器 ");
  EXPECT_TRUE(GetWindowLongPtrW(f->AreaTxt->Handle(), GWL_STYLE) & CBS_UPPERCASE);
  EXPECT_EQ(SendMessageW(f->PasswordTxt->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(f->StatusBar1->PanelText(0), "断开");
  EXPECT_EQ(f->StatusBar1->Cursor(), crHandPoint);
  EXPECT_EQ(f->Button4->PopupMenu(), f->PopupMenu2);
  EXPECT_EQ(f->Label3->Caption(), "密　码(PS):");
  // Every event of the layout is bound.
  for (TButton* b : {f->Button1, f->Button2, f->Button3, f->Button4, f->Button5})
    EXPECT_TRUE(b->OnClick) << b->Name();
  for (TEdit* e :
       {static_cast<TEdit*>(f->IPAddrTxt), f->UserNameTxt, static_cast<TEdit*>(f->PasswordTxt)})
    EXPECT_TRUE(e->OnKeyPress) << e->Name();
  EXPECT_TRUE(f->OnCreate && f->OnCloseQuery && f->OnClose);
}

TEST(MainWindow, MenusCarryTheirItemsInOrder) {
  auto f = Make<TFrmMain>();
  std::vector<std::string> tray, settings;
  for (int i = 0; i < f->PopupMenu1->Items()->Count(); ++i)
    tray.push_back(f->PopupMenu1->Items()->Items(i)->Caption());
  for (int i = 0; i < f->PopupMenu2->Items()->Count(); ++i)
    settings.push_back(f->PopupMenu2->Items()->Items(i)->Caption());
  EXPECT_EQ(tray, (std::vector<std::string>{"连接(&C)", "断开(&D)", "断线自动重连", "设置(&S)", "-",
                                            "退出(&X)"}));
  // "设置" holds "连接协议": one radio item per tunnel choice, then the key's window.
  std::vector<std::string> protocols;
  for (int i = 0; i < f->P1->Count(); ++i) {
    TMenuItem* item = f->P1->Items(i);
    protocols.push_back(item->Caption());
    EXPECT_EQ(item->RadioItem(), i < 6) << item->Caption();
    EXPECT_EQ(static_cast<bool>(item->OnClick), !item->IsLine()) << item->Caption();
  }
  EXPECT_EQ(protocols,
            (std::vector<std::string>{"自动(&A)", "IKEv2(&I)", "SSTP(&S)", "L2TP/IPsec(&L)",
                                      "L2TP(&T)", "PPTP(&P)", "-", "预共享密钥(&K)..."}));
  EXPECT_EQ(settings, (std::vector<std::string>{"帐户注册", "修改密码", "-", "帐户查询", "自助充值",
                                                "-", "关于"}));
  // The settings sub-menu of the tray menu: the tunnel types, start with Windows, connect
  // once started, the log.
  std::vector<std::string> sub;
  for (int i = 0; i < f->S1->Count(); ++i) sub.push_back(f->S1->Items(i)->Caption());
  EXPECT_EQ(sub, (std::vector<std::string>{"连接协议(&P)", "-", "开机启动(&B)", "启动后自动连接(&O)",
                                           "连接日志(&L)"}));
  EXPECT_TRUE(f->B1->OnClick && f->O1->OnClick && f->L1->OnClick);
  EXPECT_FALSE(f->N7->Enabled());
  EXPECT_TRUE(f->C1->OnClick && f->D1->OnClick && f->A1->OnClick && f->X1->OnClick);
  for (TMenuItem* i : {f->N2, f->N6, f->N3, f->N4, f->N5}) EXPECT_TRUE(i->OnClick) << i->Name();
}

TEST(MainWindow, TabKeyVisitsOnlyTheVisibleInputs) {
  auto f = Make<TFrmMain>();
  f->Show();
  Application->ProcessMessages();
  // The first control in tab order has the focus when the window comes up.
  EXPECT_TRUE(f->Button1->Focused());
  std::vector<std::string> visited;
  TWinControl* current = f->Button1;
  for (int i = 0; i < 8; ++i) {
    current = f->FindNextControl(current, true, true);
    visited.push_back(current->Name());
  }
  // Disconnect starts disabled; the node selector, speed test, account and settings
  // buttons and the browsers are never reached.
  EXPECT_EQ(visited,
            (std::vector<std::string>{"IPAddrTxt", "UserNameTxt", "PasswordTxt", "CheckBox1",
                                      "CheckBox2", "Button1", "IPAddrTxt", "UserNameTxt"}));
  f->Button2->SetEnabled(true);
  EXPECT_EQ(f->FindNextControl(f->CheckBox2, true, true), f->Button2);
  f->Hide();
}

TEST(MainWindow, CentredOnTheScreenWhenFirstShown) {
  auto f = Make<TFrmMain>();
  f->Show();
  RECT r;
  GetWindowRect(f->Handle(), &r);
  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  // Centred as the system frames it; the skin's frame, on from the first picture, grows
  // around the client area from the same top-left corner.
  EXPECT_NEAR((r.left + r.right) / 2, sw / 2, 8);
  EXPECT_NEAR((r.top + r.bottom) / 2, sh / 2, 8);
  // The skin's outline is on before anything waiting in the queue runs: the first picture
  // is the skinned one.
  HRGN outline = CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(f->Handle(), outline), ERROR);
  DeleteObject(outline);
  f->Hide();
}

TEST(OtherWindows, SpeedTestAndAccountWindowsAsDesigned) {
  auto f1 = Make<TForm1>();
  EXPECT_EQ(ClassOf(f1->Handle()), L"TForm1");
  EXPECT_EQ(f1->Caption(), "服务器速度测试");
  EXPECT_FALSE(IsWindowVisible(f1->Handle()));
  EXPECT_EQ(f1->ClientWidth(), 215);
  EXPECT_EQ(f1->ClientHeight(), 194);
  RECT r;
  GetWindowRect(f1->Handle(), &r);
  EXPECT_EQ(r.left, 661);
  EXPECT_EQ(r.top, 301);
  EXPECT_EQ(f1->ListBox1->Parent(), f1->Panel1);
  EXPECT_EQ(f1->ListBox1->Color(), clMoneyGreen);
  EXPECT_EQ(SendMessageW(f1->ListBox1->Handle(), LB_GETITEMHEIGHT, 0, 0), 13);
  EXPECT_EQ(f1->Button1->Caption(), "重测");
  EXPECT_EQ(f1->Button2->TabOrder(), 2);

  auto f2 = Make<TForm2>();
  EXPECT_EQ(ClassOf(f2->Handle()), L"TForm2");
  EXPECT_EQ(f2->Caption(), "帐户信息");
  EXPECT_EQ(f2->ClientWidth(), 220);
  EXPECT_EQ(f2->ClientHeight(), 190);
  EXPECT_EQ(f2->Label2->Font()->Color(), clBlue);
  EXPECT_EQ(f2->Label2->Font()->Charset(), GB2312_CHARSET);
  EXPECT_TRUE(f2->Label1->Transparent());
  EXPECT_EQ(f2->Label1->Caption(), "这里显示用户帐户信息");
  EXPECT_TRUE(f2->Button1->OnClick);
}
