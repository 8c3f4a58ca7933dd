// Loaded into the program under test by the kit's thread hooks. WH_CALLWNDPROC on the
// thread that shows a popup menu: answers the kit's request to describe the open menu. A
// menu handle means nothing outside the process that made it, so the menu is read here,
// inside, and the answer goes back to the kit's receiver window as WM_COPYDATA, one UTF-8
// line per item: id, state, type, screen rectangle, text. WH_GETMESSAGE on a window's
// thread: answers the kit's sync request once the thread takes it from its queue, that is
// after everything posted before it, for programs that do not answer the kit themselves
// (the shipped ones).
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/e2e/kit/reply_receiver.h"

namespace {

constexpr ULONG_PTR kMenuTag = static_cast<ULONG_PTR>(e2e::ReplyKind::Menu);
constexpr ULONG_PTR kSyncTag = static_cast<ULONG_PTR>(e2e::ReplyKind::Sync);
constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU

UINT DescribeMenuMessage() {
  static UINT msg = RegisterWindowMessageW(L"VpnE2e.DescribeMenu");
  return msg;
}

UINT SyncMessage() {
  static UINT msg = RegisterWindowMessageW(L"VpnE2e.Sync");
  return msg;
}

bool IsMenuWindow(HWND w) {
  wchar_t cls[16] = {};
  return GetClassNameW(w, cls, 16) && lstrcmpW(cls, L"#32768") == 0;
}

std::string Utf8(const wchar_t* s) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, s, -1, out.data(), n, nullptr, nullptr);
  // One item per line: a tab (before a shortcut) or line break in a text is escaped.
  std::string escaped;
  for (char c : out) {
    if (c == '\t')
      escaped += "\\t";
    else if (c == '\n')
      escaped += "\\n";
    else if (c == '\\')
      escaped += "\\\\";
    else
      escaped += c;
  }
  return escaped;
}

void Describe(HWND menuWindow, HWND receiver) {
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, kGetMenuHandle, 0, 0));
  std::string out;
  const int count = menu ? GetMenuItemCount(menu) : -1;
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mi);
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
    RECT r{};
    GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r);
    char head[160];
    std::snprintf(head, sizeof head, "%u\t%u\t%u\t%ld\t%ld\t%ld\t%ld\t", mi.wID, mi.fState,
                  mi.fType, r.left, r.top, r.right, r.bottom);
    out += head;
    out += Utf8(text);
    out += '\n';
  }
  if (count < 0) out = "no menu\n";
  COPYDATASTRUCT cds{kMenuTag, static_cast<DWORD>(out.size()), out.data()};
  SendMessageW(receiver, WM_COPYDATA, reinterpret_cast<WPARAM>(menuWindow),
               reinterpret_cast<LPARAM>(&cds));
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (m->message == DescribeMenuMessage() && IsMenuWindow(m->hwnd))
      Describe(m->hwnd, reinterpret_cast<HWND>(m->wParam));
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK SyncProbeProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && wp == PM_REMOVE) {
    auto* m = reinterpret_cast<MSG*>(lp);
    if (m->message == SyncMessage()) {
      COPYDATASTRUCT cds{kSyncTag, 0, nullptr};
      SendMessageW(reinterpret_cast<HWND>(m->wParam), WM_COPYDATA,
                   reinterpret_cast<WPARAM>(m->hwnd), reinterpret_cast<LPARAM>(&cds));
      m->message = WM_NULL;  // not for the program
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
