// TDialUp against the simulated service: saved user name and password, synchronous and
// asynchronous dials, the hand-over of notifications to the GUI thread, and hang-up.
#include <atomic>
#include <memory>
#include <new>

#include "dialup/DialUp.h"
#include "dialup/VpnEntry.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "rassim_fixture.h"
#include "tests/support/wait_until.h"

namespace {

namespace r = vpn::ras;

struct Event {
  std::int32_t state, error;
  std::string text;
  DWORD thread;
};

class DialUpTest : public RassimTest {
 protected:
  void SetUp() override {
    RassimTest::SetUp();
    dialer_ = std::make_unique<TDialUp>(nullptr);
    dialer_->SetEntry("VPN Connection");
    dialer_->SetLanguage(Portuguese);
    dialer_->OnAsyncEvent = [this](TObject* sender, std::int32_t state, std::int32_t error,
                                   const std::string& text) {
      EXPECT_EQ(sender, dialer_.get());
      events_.push_back({state, error, text, GetCurrentThreadId()});
    };
    dialer_->OnError = [this](TObject*, std::int32_t code, const std::string& text) {
      errors_.push_back({0, code, text, GetCurrentThreadId()});
    };
  }
  void TearDown() override {
    // The component goes only after its dial has finished reporting.
    WaitFor([this] { return DialFinished(); }, 5000);
    dialer_.reset();
    RassimTest::TearDown();
  }
  // The service's dial thread has handed over its last notification.
  bool DialFinished() const {
    const auto notified = Journal("notified");
    const auto notify = Journal("notify");
    return notified.size() == notify.size() && !dialer_->EventPending();
  }
  void WriteEntry() {
    ASSERT_TRUE(dialup::WriteVpnEntry("VPN Connection", "vpn.demo.test", false));
    ASSERT_EQ(dialer_->SetEntryUserName("demo"), 0u);
    ASSERT_EQ(dialer_->SetEntryPassword("demo"), 0u);
  }
  std::vector<std::int32_t> States() const {
    std::vector<std::int32_t> s;
    for (const auto& e : events_) s.push_back(e.state);
    return s;
  }

  std::unique_ptr<TDialUp> dialer_;
  std::vector<Event> events_;
  std::vector<Event> errors_;
};

const std::vector<std::int32_t> kAllStates = {0, 1, 2, 3, 4, 5, 6, 10, 14, 8192};

TEST_F(DialUpTest, UserNameAndPasswordAreSavedWithTheEntryApartOrTogether) {
  ASSERT_TRUE(dialup::WriteVpnEntry("VPN Connection", "vpn.demo.test", false));
  EXPECT_EQ(dialer_->SetEntryUserName(" 张三 "), 0u);
  EXPECT_EQ(dialer_->SetEntryPassword(" secret "), 0u);
  EXPECT_EQ(dialer_->SetEntryUserName(" 张三 "), 0u);  // the password stays saved
  r::RasDialParamsA p;
  r::BuildEntryDialParams("VPN Connection", p);
  BOOL has = FALSE;
  ASSERT_EQ(dialup::RasGetEntryDialParamsA(nullptr, &p, &has), 0u);
  EXPECT_EQ(r::FieldText(p.szUserName), " 张三 ");
  EXPECT_EQ(r::FieldText(p.szPassword), " secret ");
  EXPECT_TRUE(has);
  // The component hands over the oldest form of the record, with the remove flag clear.
  const auto set = Journal("RasSetEntryDialParamsA");
  ASSERT_EQ(set.size(), 3u);
  EXPECT_EQ(set[1].Record().size(), 1052u);
  EXPECT_EQ(set[1].Number("remove_password"), 0u);

  ClearJournal();
  EXPECT_EQ(dialer_->SetEntryPassword(std::string(257, 'p')),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(dialer_->SetEntryAccount("李四", std::string(257, 'p')),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(Journal("RasSetEntryDialParamsA").empty());

  // The whole account in one write; a refused one left the saved one as it was.
  ASSERT_EQ(dialup::RasGetEntryDialParamsA(nullptr, &p, &has), 0u);
  EXPECT_EQ(r::FieldText(p.szUserName), " 张三 ");
  EXPECT_EQ(dialer_->SetEntryAccount("李四 ", "pass word"), 0u);
  EXPECT_EQ(Journal("RasSetEntryDialParamsA").size(), 1u);
  ASSERT_EQ(dialup::RasGetEntryDialParamsA(nullptr, &p, &has), 0u);
  EXPECT_EQ(r::FieldText(p.szUserName), "李四 ");
  EXPECT_EQ(r::FieldText(p.szPassword), "pass word");

  dialer_->SetEntry("No Such Entry");
  EXPECT_EQ(dialer_->SetEntryUserName("x"), 623u);
  EXPECT_EQ(dialer_->SetEntryAccount("x", "y"), 623u);
  EXPECT_EQ(Journal("RasSetEntryDialParamsA").size(), 1u);
}

TEST_F(DialUpTest, SyncDialConnectsOrReportsTheFailure) {
  WriteEntry();
  dialer_->SetDialMode(dmSync);
  std::vector<std::string> order;
  dialer_->OnDialing = [&](TObject*) { order.push_back("dialing"); };
  dialer_->OnConnect = [&](TObject*) { order.push_back("connect"); };
  dialer_->OnNotConnected = [&](TObject*, std::int32_t code, const std::string& text) {
    order.push_back("not connected " + std::to_string(code) + " " + text);
  };
  EXPECT_EQ(dialer_->Dial(), 0u);
  EXPECT_EQ(order, (std::vector<std::string>{"dialing", "connect"}));
  ASSERT_NE(dialer_->ConnHandle(), nullptr);
  const auto first = reinterpret_cast<std::uintptr_t>(dialer_->ConnHandle());
  EXPECT_EQ(Journal("RasDialA").at(0).Record().substr(4, 15), std::string("VPN Connection\0", 15));

  // The next dial lets the previous line go first, and waits until it is gone.
  ASSERT_EQ(dialer_->SetEntryPassword("wrong"), 0u);
  ClearJournal();
  order.clear();
  EXPECT_EQ(dialer_->Dial(), 691u);
  EXPECT_EQ(order, (std::vector<std::string>{
                       "dialing",
                       "not connected 691 Access was denied because the username and/or password "
                       "was invalid on the domain."}));
  const auto lines = Journal();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0].event, "RasHangUpA");
  EXPECT_EQ(lines[0].Number("handle"), first);
  std::size_t gone = 0, dial = 0, failed_hangup = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].event == "RasGetConnectStatusA" && lines[i].Number("result") == 6 && !gone)
      gone = i;
    if (lines[i].event == "RasDialA") dial = i;
    if (lines[i].event == "RasHangUpA" && i > 0) failed_hangup = i;
  }
  EXPECT_LT(gone, dial);
  // The failed dial's half-open line is hung up before the failure is reported.
  EXPECT_GT(failed_hangup, dial);
  EXPECT_EQ(lines[failed_hangup].Number("handle"), lines[dial].Number("handle"));
}

TEST_F(DialUpTest, MissingEntryIsReportedThroughOnError) {
  bool dialing = false;
  dialer_->OnDialing = [&](TObject*) { dialing = true; };
  for (TDialMode mode : {dmSync, dmAsync}) {
    dialer_->SetDialMode(mode);
    errors_.clear();
    EXPECT_EQ(dialer_->Dial(), 623u);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].error, 623);
    EXPECT_EQ(errors_[0].text, "GetEntryDialParams failed");
  }
  EXPECT_FALSE(dialing);
  EXPECT_TRUE(Journal("RasDialA").empty());
}

TEST_F(DialUpTest, AsyncDialDeliversEveryStateInOrderOnTheGuiThread) {
  Scenario("state_delay_ms=10\nhangup_delay_ms=0");
  WriteEntry();
  EXPECT_EQ(dialer_->Dial(), 0u);
  EXPECT_EQ(ActiveDialer.load(), dialer_.get());
  ASSERT_TRUE(WaitFor([this] { return events_.size() == kAllStates.size(); }, 10000));
  EXPECT_EQ(States(), kAllStates);
  for (const auto& e : events_) {
    EXPECT_EQ(e.thread, GetCurrentThreadId());
    EXPECT_EQ(e.error, 0);
  }
  EXPECT_EQ(events_[0].text, "打开端口");
  EXPECT_EQ(events_[7].text, "状态: 连接中...");
  EXPECT_EQ(events_.back().text, "连接完成");
  EXPECT_TRUE(errors_.empty());
  EXPECT_TRUE(WaitFor([this] { return DialFinished(); }, 2000));
  EXPECT_FALSE(dialer_->EventTimer()->Enabled());
  EXPECT_EQ(Journal("notify").at(0).Number("message"), 0xCCCDu);
}

TEST_F(DialUpTest, AsyncDialEndsWithTheErrorAndItsText) {
  Scenario("state_delay_ms=0");
  WriteEntry();
  ASSERT_EQ(dialer_->SetEntryPassword("wrong"), 0u);
  EXPECT_EQ(dialer_->Dial(), 0u);
  ASSERT_TRUE(WaitFor([this] { return !events_.empty() && events_.back().error != 0; }, 10000));
  EXPECT_EQ(States(), (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(events_.back().error, 691);
  EXPECT_EQ(events_.back().text,
            "Access was denied because the username and/or password was invalid on the domain.");
}

TEST_F(DialUpTest, SecondNotificationWaitsUntilTheFirstIsDelivered) {
  Scenario("state_delay_ms=0");
  WriteEntry();
  ASSERT_EQ(dialer_->Dial(), 0u);
  // The GUI thread does not run for a while: the first notification fills the slot, the
  // second waits in the notifier, none comes after it.
  Sleep(600);
  EXPECT_TRUE(dialer_->EventPending());
  EXPECT_TRUE(events_.empty());
  const auto notify = Journal("notify");
  const auto notified = Journal("notified");
  ASSERT_EQ(notify.size(), 2u);
  EXPECT_EQ(notify[1].Number("state"), 1u);
  ASSERT_EQ(notified.size(), 1u);
  EXPECT_EQ(notified[0].Number("state"), 0u);

  ASSERT_TRUE(WaitFor([this] { return events_.size() == kAllStates.size(); }, 10000));
  EXPECT_EQ(States(), kAllStates);
}

TEST_F(DialUpTest, RaisingHandlerStillFreesTheSlotForTheNextNotification) {
  Scenario("state_delay_ms=0");
  WriteEntry();
  std::vector<std::string> caught;
  Application->OnException = [&](TObject*, const std::exception& e) { caught.push_back(e.what()); };
  dialer_->OnAsyncEvent = [this](TObject*, std::int32_t state, std::int32_t error,
                                 const std::string& text) {
    events_.push_back({state, error, text, GetCurrentThreadId()});
    throw Exception("status bar gone");
  };
  ASSERT_EQ(dialer_->Dial(), 0u);
  const bool all = WaitFor([this] { return events_.size() == kAllStates.size(); }, 10000);
  Application->OnException = nullptr;
  EXPECT_TRUE(all) << "delivery stopped after " << events_.size() << " notifications";
  EXPECT_EQ(States(), kAllStates);
  EXPECT_EQ(caught.size(), kAllStates.size());
}

// A component alone on pages of its own. Once freed, the pages stay reserved and lose
// all access, so that a later touch of the component faults instead of reading memory
// that something else may have taken.
class TFencedDialUp : public TDialUp {
 public:
  using TDialUp::TDialUp;
  static void* operator new(std::size_t size) {
    void* p = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!p) throw std::bad_alloc();
    return p;
  }
  static void operator delete(void* p, std::size_t size) {
    DWORD old = 0;
    VirtualProtect(p, size, PAGE_NOACCESS, &old);
  }
};

// Catches the service's thread at its first touch of a fenced component (a guard page)
// and holds it there until the component is freed, or half a second at most.
struct TFence {
  static inline char* Begin = nullptr;
  static inline std::size_t Size = 0;
  static inline DWORD GuiThread = 0;
  static inline HANDLE Inside = nullptr, Freed = nullptr;
  static inline std::atomic<bool> TouchedAfterFree{false};

  static LONG CALLBACK Handler(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (r->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    const auto* at = reinterpret_cast<const char*>(r->ExceptionInformation[1]);
    if (at < Begin || at >= Begin + Size || GetCurrentThreadId() == GuiThread)
      return EXCEPTION_CONTINUE_SEARCH;
    if (r->ExceptionCode == EXCEPTION_GUARD_PAGE) {
      SetEvent(Inside);
      WaitForSingleObject(Freed, 500);
      return EXCEPTION_CONTINUE_EXECUTION;  // the guard is gone; the access is made again
    }
    if (r->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) {
      TouchedAfterFree = true;
      ExitThread(0);
    }
    return EXCEPTION_CONTINUE_SEARCH;
  }
};

TEST_F(DialUpTest, ComponentFreedDuringTheHandOverIsNeverTouchedAgain) {
  Scenario("state_delay_ms=0");
  WriteEntry();
  auto* fenced = new TFencedDialUp(nullptr);
  fenced->SetEntry("VPN Connection");
  ASSERT_EQ(fenced->Dial(), 0u);
  const HRASCONN line = fenced->ConnHandle();
  // This thread runs no messages: the first notification fills the slot, the second
  // waits in the hand-over.
  testwait::WaitUntil([&] { return Journal("notify").size() >= 2; }, 5000);
  ASSERT_EQ(Journal("notify").size(), 2u);
  ASSERT_TRUE(fenced->EventPending());

  TFence::Begin = reinterpret_cast<char*>(fenced);
  TFence::Size = sizeof(TFencedDialUp);
  TFence::GuiThread = GetCurrentThreadId();
  TFence::Inside = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  TFence::Freed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  TFence::TouchedAfterFree = false;
  void* handler = AddVectoredExceptionHandler(1, &TFence::Handler);
  DWORD old = 0;
  ASSERT_TRUE(VirtualProtect(fenced, sizeof(TFencedDialUp), PAGE_READWRITE | PAGE_GUARD, &old));
  const bool caught = WaitForSingleObject(TFence::Inside, 5000) == WAIT_OBJECT_0;
  // The program closes during the dial.
  delete fenced;
  SetEvent(TFence::Freed);
  // The service goes on through the later states and finds nobody to hand them to.
  testwait::WaitUntil(
      [&] { return TFence::TouchedAfterFree || Journal("notified").size() >= kAllStates.size(); },
      10000);
  RemoveVectoredExceptionHandler(handler);
  CloseHandle(TFence::Inside);
  CloseHandle(TFence::Freed);
  EXPECT_TRUE(caught) << "the service's thread never looked at the component";
  EXPECT_FALSE(TFence::TouchedAfterFree) << "the service's thread used the freed component";
  EXPECT_EQ(Journal("notified").size(), kAllStates.size());
  EXPECT_EQ(ActiveDialer.load(), nullptr);
  dialup::RasHangUpA(line);
}

TEST_F(DialUpTest, LanguageChosenAtDeliveryTime) {
  Scenario("state_delay_ms=20");
  WriteEntry();
  dialer_->OnAsyncEvent = [this](TObject*, std::int32_t state, std::int32_t error,
                                 const std::string& text) {
    events_.push_back({state, error, text, GetCurrentThreadId()});
    if (events_.size() == 1) dialer_->SetLanguage(English);
    if (events_.size() == 2) dialer_->SetLanguage(Czech);
  };
  ASSERT_EQ(dialer_->Dial(), 0u);
  ASSERT_TRUE(WaitFor([this] { return events_.size() == kAllStates.size(); }, 10000));
  EXPECT_EQ(events_[0].text, "打开端口");
  EXPECT_EQ(events_[1].text, "Port opened");
  EXPECT_EQ(events_[2].text, "connecting device");
  EXPECT_EQ(events_.back().text, "connected");
}

TEST_F(DialUpTest, NotificationsWithoutAHandlerAreDroppedAndTheSlotFreed) {
  Scenario("state_delay_ms=0");
  WriteEntry();
  dialer_->OnAsyncEvent = nullptr;
  ASSERT_EQ(dialer_->Dial(), 0u);
  ASSERT_TRUE(WaitFor([this] { return Journal("notified").size() == kAllStates.size(); }, 10000));
  EXPECT_TRUE(WaitFor([this] { return !dialer_->EventPending(); }, 2000));
  EXPECT_TRUE(events_.empty());
}

TEST_F(DialUpTest, AsyncDialThatCannotStartFiresOnErrorOnly) {
  Scenario("state_delay_ms=0\ndial_start_error=633");
  WriteEntry();
  EXPECT_EQ(dialer_->Dial(), 633u);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].error, 633);
  EXPECT_EQ(errors_[0].text,
            "The modem (or other connecting device) is already in use or is not configured "
            "properly.");
  WaitFor([] { return false; }, 100);
  EXPECT_TRUE(events_.empty());
}

TEST_F(DialUpTest, HangUpWaitsForTheLineToGo) {
  // Before any dial the handle is 0, which the service does not know.
  EXPECT_EQ(dialer_->HangUp(), 6u);
  Scenario("state_delay_ms=0\nhangup_delay_ms=300");
  WriteEntry();
  dialer_->SetDialMode(dmSync);
  ASSERT_EQ(dialer_->Dial(), 0u);
  const HRASCONN handle = dialer_->ConnHandle();
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(dialer_->HangUp(), 0u);
  EXPECT_GE(GetTickCount64() - start, 250u);
  r::RasConnStatusA st{};
  st.dwSize = sizeof st;
  EXPECT_EQ(dialup::RasGetConnectStatusA(handle, &st), 6u);
  EXPECT_EQ(dialer_->ConnHandle(), handle);  // kept after the hang-up
}

TEST_F(DialUpTest, HangUpGivesUpWhenTheLineNeverGoes) {
  EXPECT_EQ(dialer_->HangUpTimeoutMs, 30000u);
  Scenario("state_delay_ms=0\nnever_drop=1");
  WriteEntry();
  dialer_->SetDialMode(dmSync);
  ASSERT_EQ(dialer_->Dial(), 0u);
  dialer_->HangUpTimeoutMs = 700;
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(dialer_->HangUp(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_GE(GetTickCount64() - start, 700u);
  EXPECT_LT(GetTickCount64() - start, 5000u);
}

TEST_F(DialUpTest, DeleteEntryLeavesTheConnectionUp) {
  WriteEntry();
  dialer_->SetDialMode(dmSync);
  ASSERT_EQ(dialer_->Dial(), 0u);
  dialer_->DeleteEntry();
  dialer_->DeleteEntry();  // a second time fails quietly
  EXPECT_EQ(Journal("RasDeleteEntryA").back().Number("result"), 623u);
  r::RasConnStatusA st{};
  st.dwSize = sizeof st;
  EXPECT_EQ(dialup::RasGetConnectStatusA(dialer_->ConnHandle(), &st), 0u);
  EXPECT_EQ(st.rasconnstate, r::kStateConnected);
  dialer_->ControlStatistics(true, true);  // no performance object here: nothing counted
  EXPECT_EQ(dialer_->BytesXmit(), 0u);
  EXPECT_EQ(dialer_->BytesRecv(), 0u);
}

TEST_F(DialUpTest, EntryNameBeyondItsFieldIsRefused) {
  dialer_->SetEntry(std::string(257, 'e'));
  EXPECT_EQ(dialer_->Dial(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].text, "Entry name too long");
  EXPECT_TRUE(Journal("RasDialA").empty());
  EXPECT_TRUE(Journal("RasGetEntryDialParamsA").empty());
}

}  // namespace

namespace {

TEST(DialUpLayout, SettingsAndHandlersByName) {
  TDialUp d(nullptr);
  EXPECT_EQ(d.DialMode(), dmAsync);
  EXPECT_EQ(d.Language(), English);
  EXPECT_TRUE(d.SetLayoutProperty("DialMode", "dmSync"));
  EXPECT_TRUE(d.SetLayoutProperty("Language", "Portuguese"));
  EXPECT_TRUE(d.SetLayoutProperty("Entry", "VPN Connection"));
  EXPECT_EQ(d.DialMode(), dmSync);
  EXPECT_EQ(d.Language(), Portuguese);
  EXPECT_EQ(d.Entry(), "VPN Connection");
  EXPECT_THROW(d.SetLayoutProperty("Language", "Klingon"), Exception);
  EXPECT_FALSE(d.SetLayoutProperty("Colour", "red"));
  bool fired = false;
  EXPECT_TRUE(d.SetLayoutEvent("OnAsyncEvent",
                               std::any(TOnAsyncEvent([&](TObject*, std::int32_t, std::int32_t,
                                                          const std::string&) { fired = true; }))));
  ASSERT_TRUE(d.OnAsyncEvent);
  d.OnAsyncEvent(&d, 0, 0, "");
  EXPECT_TRUE(fired);
  EXPECT_THROW(d.SetLayoutEvent("OnAsyncEvent", std::any(TNotifyEvent())), Exception);
  // The component is not dialing: its timer stays off until a notification comes.
  EXPECT_FALSE(d.EventTimer()->Enabled());
  EXPECT_EQ(d.EventTimer()->Interval(), 1u);
}

}  // namespace
