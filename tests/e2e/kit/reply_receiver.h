// The hidden window of the kit's thread that takes what the programs under test send
// back by WM_COPYDATA: the forms' control lists, the menu probe's item lists and its
// answers to sync requests, told apart by the message's dwData. And the probe
// (e2e_menu_probe.dll) hooked into a thread of a program.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

enum class ReplyKind : ULONG_PTR {
  Controls = 0x56504E31,  // a form's DescribeControls reply
  Menu = 0x56504E32,      // the menu probe's reply
  Sync = 0x56504E33,      // the probe's answer to a sync request
};

// The probe's hook procedure `proc` of kind `hook` (WH_CALLWNDPROC, WH_GETMESSAGE) set on
// `thread` of a program, once per thread and kind; throws Failure when it cannot be.
void HookProbe(DWORD thread, int hook, const char* proc);

class ReplyReceiver {
 public:
  struct Reply {
    std::string text;    // the last one
    unsigned count = 0;  // how many have come
  };
  // Made on first use; throws Failure when the window cannot be made.
  static ReplyReceiver& Get();
  HWND Window() const { return hwnd_; }
  const Reply& Last(ReplyKind kind) const {
    return kind == ReplyKind::Menu ? menu_ : kind == ReplyKind::Sync ? sync_ : controls_;
  }

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;
  Reply controls_, menu_, sync_;
};

}  // namespace e2e
