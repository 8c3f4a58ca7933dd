// The skin's one way of subclassing: chains of subclasses on one window taken out in any
// order, procedures from outside the skin put above the skin's, framework controls'
// WindowProc, and a skinned window given the skin again after an outside procedure was
// put above the skin's.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "skin/SkinData.h"
#include "skin/SkinForm.h"
#include "skin/SkinManager.h"
#include "skin/SkinSubclass.h"
#include "tests/unit/skin/frame_test_support.h"

using namespace frametest;

namespace {

constexpr UINT kProbe = WM_APP + 40;  // the test windows' own message

// Who saw the probe, in order; the window's own procedure writes "window".
std::vector<std::string> gSeen;

LRESULT CALLBACK OwnProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == kProbe) {
    gSeen.push_back("window");
    return 7;
  }
  return DefWindowProcW(w, m, wp, lp);
}

HWND OwnWindow() {
  return CreateWindowExW(0, TestWindowClass(L"SubclassTestWindow", OwnProc), L"Subclasses",
                         WS_OVERLAPPEDWINDOW, 50, 50, 200, 120, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

// A subclass of the skin's kind that notes the probe and hands it on.
TSkinSubclass::THandler Noting(const char* name, TSkinSubclass& self) {
  return [name, &self](TMessage& m) {
    if (m.Msg == kProbe) gSeen.push_back(name);
    self.CallNext(m);
  };
}

// A procedure from outside the skin, put above whatever the window has.
WNDPROC gUnderOutside = nullptr;
LRESULT CALLBACK OutsideProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == kProbe) gSeen.push_back("outside");
  return CallWindowProcW(gUnderOutside, w, m, wp, lp);
}

using Seen = std::vector<std::string>;

Seen Probe(HWND w, LRESULT expected = 7) {
  gSeen.clear();
  EXPECT_EQ(SendMessageW(w, kProbe, 0, 0), expected);
  return gSeen;
}

}  // namespace

TEST(SkinSubclass, SubclassesOfOneWindowComeOffInAnyOrder) {
  const size_t chainsBefore = TSkinSubclass::ChainCount();
  HWND w = OwnWindow();
  const LONG_PTR own = GetWindowLongPtrW(w, GWLP_WNDPROC);
  TSkinSubclass first, second, third;
  ASSERT_TRUE(first.Attach(w, nullptr, Noting("first", first)));
  ASSERT_TRUE(second.Attach(w, nullptr, Noting("second", second)));
  ASSERT_TRUE(third.Attach(w, nullptr, Noting("third", third)));
  EXPECT_EQ(Probe(w), (Seen{"third", "second", "first", "window"}));

  // The middle one goes, then the oldest: the chain closes over the gaps.
  second.Remove();
  EXPECT_EQ(Probe(w), (Seen{"third", "first", "window"}));
  first.Remove();
  EXPECT_EQ(Probe(w), (Seen{"third", "window"}));
  EXPECT_NE(GetWindowLongPtrW(w, GWLP_WNDPROC), own);
  // The last one out gives the window its own procedure back.
  third.Remove();
  EXPECT_EQ(GetWindowLongPtrW(w, GWLP_WNDPROC), own);
  EXPECT_EQ(Probe(w), (Seen{"window"}));
  EXPECT_EQ(TSkinSubclass::ChainCount(), chainsBefore);
  DestroyWindow(w);
}

TEST(SkinSubclass, AnOutsideProcedureAboveTheSkinKeepsItsPlace) {
  const size_t chainsBefore = TSkinSubclass::ChainCount();
  HWND w = OwnWindow();
  TSkinSubclass skin;
  ASSERT_TRUE(skin.Attach(w, nullptr, Noting("skin", skin)));
  gUnderOutside = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OutsideProc)));
  EXPECT_EQ(Probe(w), (Seen{"outside", "skin", "window"}));

  // Taken out from under the outside procedure: it stays on top and reaches the window.
  skin.Remove();
  EXPECT_EQ(GetWindowLongPtrW(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(OutsideProc));
  EXPECT_EQ(Probe(w), (Seen{"outside", "window"}));

  // A new subclass joins below the outside procedure: every procedure once, none twice.
  TSkinSubclass again;
  ASSERT_TRUE(again.Attach(w, nullptr, Noting("again", again)));
  EXPECT_EQ(Probe(w), (Seen{"outside", "again", "window"}));
  again.Remove();
  EXPECT_EQ(Probe(w), (Seen{"outside", "window"}));

  // The outside code puts back the procedure it found (the skin's), and then the skin's
  // own: the window is as it was made.
  SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gUnderOutside));
  EXPECT_EQ(Probe(w), (Seen{"window"}));
  DestroyWindow(w);
  EXPECT_EQ(TSkinSubclass::ChainCount(), chainsBefore) << "the window's chain outlived it";
}

TEST(SkinSubclass, AControlsWindowProcHookComesOffUnderAnotherHook) {
  auto form = std::make_unique<TForm>(Application);
  auto* button = new TButton(form.get());
  button->SetParent(form.get());
  HWND w = button->Handle();
  std::vector<std::string> seen;
  TSkinSubclass skin;
  ASSERT_TRUE(skin.Attach(button, w, form.get(), [&](TMessage& m) {
    if (m.Msg == kProbe) seen.push_back("skin");
    skin.CallNext(m);
  }));
  EXPECT_EQ(TSkinSubclass::OwnerOf<TForm>(w), form.get());
  // Another hook of the control's WindowProc, the framework's way.
  TWndMethod underOther = button->WindowProc;
  button->WindowProc = [&](TMessage& m) {
    if (m.Msg == kProbe) seen.push_back("other");
    underOther(m);
  };
  button->Perform(kProbe);
  EXPECT_EQ(seen, (std::vector<std::string>{"other", "skin"}));
  skin.Remove();
  EXPECT_EQ(TSkinSubclass::OwnerOf<TForm>(w), nullptr);
  seen.clear();
  button->Perform(kProbe);
  EXPECT_EQ(seen, (std::vector<std::string>{"other"})) << "the other hook was cut off";
  // The control still does its own work behind both.
  button->SetCaption("Still a button");
  EXPECT_EQ(button->Caption(), "Still a button");
}

namespace {

class SkinAgain : public ::testing::Test {
 protected:
  void SetUp() override {
    data_.reset(LoadTestSkin("testskin-a.skin"));
    ASSERT_TRUE(data_) << "test skin missing";
  }
  void TearDown() override {
    if (IsWindow(w_)) DestroyWindow(w_);
    DropSkin(data_);
  }
  std::unique_ptr<TSkinData> data_;
  HWND w_ = nullptr;
};

}  // namespace

TEST_F(SkinAgain, AWindowSkinnedAgainUnderAnOutsideProcedureWorksAsBefore) {
  const size_t chainsBefore = TSkinSubclass::ChainCount();
  w_ = OwnWindow();
  ASSERT_TRUE(ShowUntilSkinned(w_));
  gUnderOutside = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(w_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OutsideProc)));
  EXPECT_EQ(Probe(w_), (Seen{"outside", "window"}));

  // The skin is switched off and on again: the window gets a new skinned frame, whose
  // procedure must not call itself through the outside one for ever.
  data_->SetActive(false);
  SkinManager->RunAction();
  ASSERT_EQ(SkinManager->FindSkinForm(w_), nullptr);
  EXPECT_EQ(SendMessageW(w_, SM_QUERYSKINNED, 0, 0), 0);
  data_->SetActive(true);
  SkinManager->RunAction();
  ASSERT_TRUE(SkinManager->SkinWindow(w_));
  EXPECT_EQ(SendMessageW(w_, SM_QUERYSKINNED, 0, 0), 1);
  EXPECT_EQ(Probe(w_), (Seen{"outside", "window"}));
  ASSERT_TRUE(PumpUntil([&] { return SkinManager->FindSkinForm(w_)->State() == sfsSkinned; }));
  // The frame works: the title drags, the client is the client.
  EXPECT_EQ(SendMessageW(w_, WM_NCHITTEST, 0, ScreenParam(w_, 60, 10)), HTCAPTION);
  EXPECT_EQ(SendMessageW(w_, WM_NCHITTEST, 0, ScreenParam(w_, 60, 60)), HTCLIENT);
  // Gone with the window, chain and all.
  DestroyWindow(w_);
  Pump(20);
  EXPECT_EQ(TSkinSubclass::ChainCount(), chainsBefore);
}
