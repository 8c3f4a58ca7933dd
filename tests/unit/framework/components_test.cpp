// Components: ownership, destruction order, notifications, class identity, GBK text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Framework.h"

namespace {

std::vector<std::string>* gLog = nullptr;

class TLogged : public TComponent {
 public:
  explicit TLogged(TComponent* owner, std::string name) : TComponent(owner) { SetName(name); }
  ~TLogged() override {
    if (gLog) gLog->push_back("free " + Name());
  }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (gLog && op == opRemove) gLog->push_back(Name() + " told " + c->Name());
  }
};

class TLoggedChild : public TLogged {
 public:
  using TLogged::TLogged;
};

struct LogScope {
  std::vector<std::string> log;
  LogScope() { gLog = &log; }
  ~LogScope() { gLog = nullptr; }
};

}  // namespace

TEST(Components, OwnerFreesItsComponentsLastFirstAndTellsTheOthers) {
  LogScope scope;
  auto* owner = new TLogged(nullptr, "owner");
  new TLogged(owner, "a");
  new TLogged(owner, "b");
  new TLogged(owner, "c");
  ASSERT_EQ(owner->ComponentCount(), 3);
  EXPECT_EQ(owner->Components(1)->Name(), "b");
  delete owner;
  // The owner's own destructor body runs first (C++ order); then its components go
  // last-first, each taken off the list before the remaining ones hear of it.
  std::vector<std::string> expected = {"free owner", "free c",   "a told c", "b told c",
                                       "free b",     "a told b", "free a"};
  EXPECT_EQ(scope.log, expected);
}

TEST(Components, FreeNotificationReachesComponentsOfOtherOwners) {
  LogScope scope;
  TLogged left(nullptr, "left");
  TLogged right(nullptr, "right");
  auto* watched = new TLogged(&left, "watched");
  auto* watcher = new TLogged(&right, "watcher");
  watched->FreeNotification(watcher);
  delete watched;
  EXPECT_NE(std::find(scope.log.begin(), scope.log.end(), "watcher told watched"), scope.log.end());
  // A watcher that goes first is forgotten: freeing the other later must not reach it.
  auto* second = new TLogged(&left, "second");
  second->FreeNotification(watcher);
  delete watcher;
  scope.log.clear();
  delete second;
  for (auto& line : scope.log) EXPECT_EQ(line.find("watcher"), std::string::npos) << line;
}

TEST(Components, FindComponentIgnoresCaseAndReparentingMovesOwnership) {
  TComponent a(nullptr), b(nullptr);
  auto* c = new TComponent(&a);
  c->SetName("Button1");
  c->SetTag(7);
  EXPECT_EQ(a.FindComponent("button1"), c);
  EXPECT_EQ(a.FindComponent(""), nullptr);
  EXPECT_EQ(c->ComponentIndex(), 0);
  b.InsertComponent(c);
  EXPECT_EQ(a.ComponentCount(), 0);
  EXPECT_EQ(c->Owner(), &b);
  EXPECT_EQ(b.FindComponent("BUTTON1")->Tag(), 7);
}

TEST(Components, ClassNamesAndInheritanceFollowTheRealClasses) {
  TLoggedChild child(nullptr, "x");
  EXPECT_EQ(child.ClassName(), "TLoggedChild");
  EXPECT_TRUE(child.InheritsFrom("TLogged"));
  EXPECT_TRUE(child.InheritsFrom("TComponent"));
  EXPECT_TRUE(child.InheritsFrom("TObject"));
  EXPECT_FALSE(child.InheritsFrom("TControl"));
  EXPECT_TRUE(child.Is<TComponent>());
  TButton button(nullptr);
  EXPECT_EQ(button.ClassName(), "TButton");
  EXPECT_TRUE(button.InheritsFrom("TWinControl"));
  EXPECT_FALSE(button.InheritsFrom("TLabel"));
}

TEST(Gbk, RoundTripsChineseTextAndFullWidthSpaces) {
  std::string gbk = "密　码(PS):";  // compiled to GBK
  ASSERT_EQ(gbk.size(), 11u);       // 3 double-byte characters + 5 single bytes
  EXPECT_EQ(GbkToWide(gbk), L"\u5BC6\u3000\u7801(PS):");
  EXPECT_EQ(WideToGbk(GbkToWide(gbk)), gbk);
  EXPECT_EQ(GbkToWide(""), L"");
  EXPECT_EQ(WideToGbk(L""), "");
  // A character GBK does not have comes back as a question mark, not as lost bytes.
  EXPECT_EQ(WideToGbk(L"a\U0001F600b").front(), 'a');
  EXPECT_EQ(WideToGbk(L"a\U0001F600b").back(), 'b');
}

TEST(Strings, ListEditsAndTextSplitting) {
  TStrings s;
  s.SetText("one\r\ntwo\nthree");
  ASSERT_EQ(s.Count(), 3);
  EXPECT_EQ(s[2], "three");
  s.Insert(0, "zero");
  s.Delete(2);
  EXPECT_EQ(s.Text(), "zero\r\none\r\nthree\r\n");
  EXPECT_EQ(s.IndexOf("three"), 2);
  EXPECT_THROW(s.Delete(3), Exception);
  EXPECT_THROW(s.Insert(-1, "x"), Exception);
  s.SetText("");
  EXPECT_EQ(s.Count(), 0);
}

TEST(ExceptionText, FullStopAddedOnlyAfterCharactersAboveIt) {
  EXPECT_EQ(TApplication::ExceptionText("Cannot allocate socket"), "Cannot allocate socket.");
  EXPECT_EQ(TApplication::ExceptionText("Done."), "Done.");
  EXPECT_EQ(TApplication::ExceptionText("Socket Error # 10061\r\n"), "Socket Error # 10061\r\n");
  EXPECT_EQ(TApplication::ExceptionText("what!"), "what!");
  EXPECT_EQ(TApplication::ExceptionText("a-"), "a-");  // '-' is below '.'
  EXPECT_EQ(TApplication::ExceptionText("a/"), "a/.");
  EXPECT_EQ(TApplication::ExceptionText(""), "");
  // The last byte of a Chinese character is always above '.'.
  EXPECT_EQ(TApplication::ExceptionText("查询失败"), std::string("查询失败") + ".");
}
