#include "tests/e2e/kit/reply_receiver.h"

#include <map>
#include <utility>

#include "tests/e2e/kit/e2e_kit.h"

namespace e2e {

LRESULT CALLBACK ReplyReceiver::Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_COPYDATA) return DefWindowProcW(w, msg, wp, lp);
  auto* self = reinterpret_cast<ReplyReceiver*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
  if (!self || !cds) return 0;
  Reply* r = cds->dwData == static_cast<ULONG_PTR>(ReplyKind::Controls) ? &self->controls_
             : cds->dwData == static_cast<ULONG_PTR>(ReplyKind::Menu)   ? &self->menu_
             : cds->dwData == static_cast<ULONG_PTR>(ReplyKind::Sync)   ? &self->sync_
                                                                        : nullptr;
  if (!r) return 0;
  r->text.assign(static_cast<const char*>(cds->lpData), cds->cbData);
  ++r->count;
  return 1;
}

ReplyReceiver& ReplyReceiver::Get() {
  static ReplyReceiver r;
  if (!r.hwnd_) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VpnE2eReceiver";
    RegisterClassW(&wc);
    r.hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
    if (!r.hwnd_) throw Failure("cannot create the kit's receiver window");
    SetWindowLongPtrW(r.hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&r));
  }
  return r;
}

void HookProbe(DWORD thread, int hook, const char* proc) {
  static std::map<std::pair<DWORD, int>, HHOOK> hooks;
  if (hooks.count({thread, hook})) return;
  static HMODULE probe = LoadLibraryW((BinDir() + L"\\e2e_menu_probe.dll").c_str());
  if (!probe) throw Failure("e2e_menu_probe.dll is missing beside the test");
  // Through a plain pointer: the looked-up address has no function type of its own.
  auto address = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, proc)));
  HHOOK h = address ? SetWindowsHookExW(hook, address, probe, thread) : nullptr;
  if (!h)
    throw Failure(std::string("the probe's ") + proc + " could not be hooked into the program");
  hooks[{thread, hook}] = h;
}

}  // namespace e2e
