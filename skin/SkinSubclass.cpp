#include "skin/SkinSubclass.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "framework/Controls.h"

// What a control subclass stands in front of: the control's WindowProc before it.
struct TSkinSubclass::TControlHook {
  TSkinSubclass* Subclass;  // null once taken out from under another hook
  TControl* Control;
  TWndMethod Previous;
  void CallPrevious(TMessage& m) const {
    if (Previous)
      Previous(m);
    else
      Control->WndProc(m);
  }
};

// What stands in the control's WindowProc; recognised by its type when the subclass is
// taken out.
struct TSkinSubclass::TControlHookCall {
  std::shared_ptr<TControlHook> Hook;
  void operator()(TMessage& m) const {
    if (Hook->Subclass)
      Hook->Subclass->Dispatch(m);
    else
      Hook->CallPrevious(m);
  }
};

// The chains of the thread's windows (the skin runs on the GUI thread only).
struct TSubclassChains {
  struct TChain {
    // The window's procedure below the skin's, or null when only control subclasses
    // name the window.
    WNDPROC Original = nullptr;
    std::vector<TSkinSubclass*> Entries;  // newest first
  };
  static std::unordered_map<HWND, TChain>& Map() {
    static std::unordered_map<HWND, TChain> map;
    return map;
  }

  // The mark a probe carries (any value other code is unlikely to send).
  static constexpr LPARAM kProbeMark = 0x53554243;
  static inline bool ProbeReached = false;

  static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == PM_SUBCLASSPROBE && lParam == kProbeMark) {
      ProbeReached = true;
      return 0;
    }
    TMessage m{msg, wParam, lParam, 0};
    CallAfter(wnd, UINT64_MAX, m);
    if (msg == WM_NCDESTROY) Forget(wnd);
    return m.Result;
  }

  // The message for the newest window subclass of the chain older than Seq, or for the
  // procedure below them all.
  static void CallAfter(HWND wnd, uint64_t Seq, TMessage& m) {
    auto it = Map().find(wnd);
    if (it == Map().end() || !it->second.Original) {
      m.Result = DefWindowProcW(wnd, m.Msg, m.WParam, m.LParam);
      return;
    }
    for (TSkinSubclass* s : it->second.Entries)
      if (s->FSeq < Seq && !s->FControl) {
        // Nothing raised may travel through the system's code: the guard reports it.
        GuardedCall([&] { s->Dispatch(m); });
        return;
      }
    m.Result = CallWindowProcW(it->second.Original, wnd, m.Msg, m.WParam, m.LParam);
  }

  // The window is gone: its window subclasses have nothing left to take out.
  static void Forget(HWND wnd) {
    auto it = Map().find(wnd);
    if (it == Map().end()) return;
    for (TSkinSubclass* s : it->second.Entries)
      if (!s->FControl) {
        s->FAttached = false;
        s->FOriginal = it->second.Original;
      }
    std::erase_if(it->second.Entries, [](TSkinSubclass* s) { return !s->FControl; });
    it->second.Original = nullptr;
    if (it->second.Entries.empty()) Map().erase(it);
  }

  // Whether the skin's procedure still stands in the window's chain: when code outside
  // the skin has put a procedure above it, that one normally hands the probe down.
  static bool StillChained(HWND wnd) {
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC)) == &Proc) return true;
    ProbeReached = false;
    SendMessageW(wnd, PM_SUBCLASSPROBE, 0, kProbeMark);
    return ProbeReached;
  }

  static uint64_t NextSeq() {
    static uint64_t seq = 0;
    return ++seq;
  }
};

TSkinSubclass::~TSkinSubclass() {
  Remove();
}

bool TSkinSubclass::Attach(HWND Window, TObject* Owner, THandler Handler) {
  if (FAttached || !Window || !IsWindow(Window)) return false;
  auto& map = TSubclassChains::Map();
  if (auto it = map.find(Window);
      it != map.end() && it->second.Original && !TSubclassChains::StillChained(Window)) {
    // Code outside the skin took the skin's procedure out of the window's chain (it put
    // back what it found below it): the subclasses left behind never hear from the
    // window again, and the chain starts anew on top.
    TSubclassChains::Forget(Window);
  }
  auto& chain = map[Window];
  if (!chain.Original) {
    chain.Original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TSubclassChains::Proc)));
    if (!chain.Original) {
      if (chain.Entries.empty()) TSubclassChains::Map().erase(Window);
      return false;
    }
  }
  FWindow = Window;
  FControl = nullptr;
  FOwner = Owner;
  FHandler = std::move(Handler);
  FSeq = TSubclassChains::NextSeq();
  FOriginal = nullptr;
  chain.Entries.insert(chain.Entries.begin(), this);
  FAttached = true;
  return true;
}

bool TSkinSubclass::Attach(TControl* Control, HWND Window, TObject* Owner, THandler Handler) {
  if (FAttached || !Control) return false;
  FHook = std::make_shared<TControlHook>(TControlHook{this, Control, Control->WindowProc});
  Control->WindowProc = TControlHookCall{FHook};
  FWindow = Window;
  FControl = Control;
  FOwner = Owner;
  FHandler = std::move(Handler);
  FSeq = TSubclassChains::NextSeq();
  if (Window) {
    auto& entries = TSubclassChains::Map()[Window].Entries;
    entries.insert(entries.begin(), this);
  }
  FAttached = true;
  return true;
}

void TSkinSubclass::Remove() {
  if (!FAttached) return;
  FAttached = false;
  if (FControl) {
    // Another hook above this one keeps its place: this one only passes messages on.
    FHook->Subclass = nullptr;
    const auto* top = FControl->WindowProc.target<TControlHookCall>();
    if (top && top->Hook == FHook) FControl->WindowProc = FHook->Previous;
  }
  auto& map = TSubclassChains::Map();
  auto it = FWindow ? map.find(FWindow) : map.end();
  if (it == map.end()) return;
  auto& chain = it->second;
  std::erase(chain.Entries, this);
  if (FControl) {
    if (chain.Entries.empty() && !chain.Original) map.erase(it);
    return;
  }
  FOriginal = chain.Original;
  const bool windowSubclassLeft = std::any_of(chain.Entries.begin(), chain.Entries.end(),
                                              [](TSkinSubclass* s) { return !s->FControl; });
  if (windowSubclassLeft) return;
  const bool onTop =
      reinterpret_cast<WNDPROC>(GetWindowLongPtrW(FWindow, GWLP_WNDPROC)) == &TSubclassChains::Proc;
  if (!IsWindow(FWindow) || onTop) {
    if (IsWindow(FWindow))
      SetWindowLongPtrW(FWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain.Original));
    chain.Original = nullptr;
    if (chain.Entries.empty()) map.erase(it);
  }
  // Otherwise a procedure from outside the skin stands above: the chain stays and passes
  // every message on until the window is destroyed.
}

void TSkinSubclass::Dispatch(TMessage& m) {
  if (FHandler)
    FHandler(m);
  else
    CallNext(m);
}

void TSkinSubclass::CallNext(TMessage& m) const {
  if (FHook) {
    FHook->CallPrevious(m);
    return;
  }
  if (!FWindow) return;
  auto& map = TSubclassChains::Map();
  auto it = map.find(FWindow);
  if (it != map.end() && it->second.Original) {
    TSubclassChains::CallAfter(FWindow, FSeq, m);
    return;
  }
  m.Result = FOriginal ? CallWindowProcW(FOriginal, FWindow, m.Msg, m.WParam, m.LParam)
                       : DefWindowProcW(FWindow, m.Msg, m.WParam, m.LParam);
}

LRESULT TSkinSubclass::CallNext(UINT Msg, WPARAM wParam, LPARAM lParam) const {
  TMessage m{Msg, wParam, lParam, 0};
  CallNext(m);
  return m.Result;
}

void TSkinSubclass::ForEachOwner(HWND Window, const std::function<bool(TObject*)>& Stop) {
  auto& map = TSubclassChains::Map();
  auto it = map.find(Window);
  if (it == map.end()) return;
  for (TSkinSubclass* s : it->second.Entries)
    if (s->FOwner && Stop(s->FOwner)) return;
}

size_t TSkinSubclass::ChainCount() {
  return TSubclassChains::Map().size();
}
