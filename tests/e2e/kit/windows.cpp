// Finding windows and controls of another process and reading what they show.
#include "tests/e2e/kit/e2e_kit.h"
#include "tests/e2e/kit/reply_receiver.h"
#include "tests/support/wait_until.h"
// (after <windows.h>)
#include <commctrl.h>

#include <map>

namespace e2e {
namespace {

constexpr DWORD kSendLimitMs = 5000;

[[noreturn]] void Fail(const std::string& text) {
  throw Failure(text);
}

UINT DescribeMessage() {
  static UINT msg = RegisterWindowMessageW(L"VpnClient.DescribeControls");
  return msg;
}

// Memory in another process for messages whose buffers the system does not carry across.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND w, size_t size) : size_(size) {
    process_ =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, PidOf(w));
    if (!process_) Fail("OpenProcess for a remote buffer failed");
    mem_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!mem_) {
      CloseHandle(process_);
      Fail("VirtualAllocEx failed");
    }
  }
  ~RemoteBuffer() {
    VirtualFreeEx(process_, mem_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  LPARAM Address() const { return reinterpret_cast<LPARAM>(mem_); }
  void Read(void* out, size_t n) const {
    SIZE_T got = 0;
    if (n > size_ || !ReadProcessMemory(process_, mem_, out, n, &got) || got != n)
      Fail("ReadProcessMemory failed");
  }

 private:
  HANDLE process_ = nullptr;
  void* mem_ = nullptr;
  size_t size_;
};

LRESULT Send(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(w, msg, wp, lp, SMTO_NORMAL, kSendLimitMs, &result)) return -1;
  return static_cast<LRESULT>(result);
}

std::vector<std::wstring> Split(const std::wstring& s, wchar_t sep, size_t max_parts) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (parts.size() + 1 < max_parts) {
    size_t end = s.find(sep, start);
    if (end == std::wstring::npos) break;
    parts.push_back(s.substr(start, end - start));
    start = end + 1;
  }
  parts.push_back(s.substr(start));
  return parts;
}

// Captions keep to one line: a tab, line break or backslash in them comes as \t, \n, \r
// or \\.
std::wstring Unescape(const std::wstring& s) {
  std::wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != L'\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    wchar_t n = s[++i];
    out += n == L't' ? L'\t' : n == L'n' ? L'\n' : n == L'r' ? L'\r' : n;
  }
  return out;
}

}  // namespace

std::wstring ClassOf(HWND w) {
  wchar_t buf[256];
  int n = GetClassNameW(w, buf, 256);
  return std::wstring(buf, n > 0 ? n : 0);
}

std::wstring TextOf(HWND w) {
  LRESULT len = Send(w, WM_GETTEXTLENGTH, 0, 0);
  if (len <= 0) return {};
  std::wstring s(size_t(len) + 1, 0);
  // WM_GETTEXT's buffer is carried across processes by the system.
  LRESULT got = Send(w, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
  s.resize(got > 0 ? size_t(got) : 0);
  return s;
}

DWORD PidOf(HWND w) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  return pid;
}

SIZE ClientSize(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

RECT RectIn(HWND w, HWND form) {
  RECT r{};
  GetWindowRect(w, &r);
  MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

namespace {
struct TopWindowSearch {
  DWORD pid;
  const wchar_t* cls;
  const wchar_t* caption;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopWindow(HWND w, LPARAM lp) {
  auto* c = reinterpret_cast<TopWindowSearch*>(lp);
  if (c->pid && PidOf(w) != c->pid) return TRUE;
  if (c->cls && ClassOf(w) != c->cls) return TRUE;
  if (c->caption && TextOf(w) != c->caption) return TRUE;
  c->found.push_back(w);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls, const wchar_t* caption) {
  TopWindowSearch search{pid, cls, caption, {}};
  EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindTopWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption) {
  auto all = TopWindows(pid, cls, caption);
  return all.empty() ? nullptr : all.front();
}

namespace {
HWND FindDescendant(HWND parent, const std::function<bool(HWND)>& match) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (match(c)) return c;
    if (HWND deeper = FindDescendant(c, match)) return deeper;
  }
  return nullptr;
}
}  // namespace

HWND FindChild(HWND parent, const wchar_t* cls, const wchar_t* caption) {
  return FindDescendant(parent, [&](HWND w) {
    return (!cls || ClassOf(w) == cls) && (!caption || TextOf(w) == caption);
  });
}

std::wstring ControlName(HWND w) {
  auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(w, L"VpnControlName")));
  if (!atom) return {};
  wchar_t buf[256];
  UINT n = GlobalGetAtomNameW(atom, buf, 256);
  return std::wstring(buf, n);
}

HWND FindControl(HWND form, std::wstring_view name) {
  return FindDescendant(form, [&](HWND w) { return ControlName(w) == name; });
}

HWND Control(HWND form, std::wstring_view name) {
  HWND w = FindControl(form, name);
  // Controls out of sight at the first show get their windows right after it.
  if (!w) WaitUntil([&] { return (w = FindControl(form, name)) != nullptr; }, 5000, 5);
  if (!w) Fail("no control named " + WideToUtf8(name) + " in window " + WideToUtf8(TextOf(form)));
  return w;
}

std::vector<ControlInfo> DescribeControls(HWND form) {
  ReplyReceiver& r = ReplyReceiver::Get();
  const ReplyReceiver::Reply& reply = r.Last(ReplyKind::Controls);
  unsigned before = reply.count;
  // The form sends its WM_COPYDATA reply while this call waits; this thread takes it then.
  LRESULT answered = Send(form, DescribeMessage(), reinterpret_cast<WPARAM>(r.Window()), 0);
  if (answered != 1 || reply.count == before)
    Fail("window '" + WideToUtf8(TextOf(form)) + "' did not answer the DescribeControls request");
  std::vector<ControlInfo> controls;
  for (const std::wstring& line : Split(Utf8ToWide(reply.text), L'\n', size_t(-1))) {
    if (line.empty()) continue;
    auto f = Split(line, L'\t', 10);
    if (f.size() != 10) Fail("malformed DescribeControls line: " + WideToUtf8(line));
    ControlInfo c;
    c.name = f[0];
    c.cls = f[1];
    c.left = std::stoi(f[2]);
    c.top = std::stoi(f[3]);
    c.width = std::stoi(f[4]);
    c.height = std::stoi(f[5]);
    c.visible = f[6] == L"1";
    c.enabled = f[7] == L"1";
    c.hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::stoull(f[8], nullptr, 16)));
    c.caption = Unescape(f[9]);
    controls.push_back(std::move(c));
  }
  return controls;
}

std::optional<ControlInfo> DescribeControl(HWND form, std::wstring_view name) {
  for (auto& c : DescribeControls(form))
    if (c.name == name) return c;
  return std::nullopt;
}

namespace {

// Whether the form's program answers the describe request itself (the test builds do, a
// shipped program does not even know it); asked once per process.
bool AnswersDescribe(HWND form) {
  static std::map<DWORD, bool> known;
  const DWORD pid = PidOf(form);
  if (auto it = known.find(pid); it != known.end()) return it->second;
  const bool answers = Send(form, DescribeMessage(),
                            reinterpret_cast<WPARAM>(ReplyReceiver::Get().Window()), 0) == 1;
  known[pid] = answers;
  return answers;
}

UINT SyncMessage() {
  static UINT msg = RegisterWindowMessageW(L"VpnE2e.Sync");
  return msg;
}

}  // namespace

void Sync(HWND form, DWORD ms) {
  ReplyReceiver& r = ReplyReceiver::Get();
  // A program without the kit's request gets the probe, which answers from inside.
  const bool own = AnswersDescribe(form);
  if (!own) HookProbe(GetWindowThreadProcessId(form, nullptr), WH_GETMESSAGE, "SyncProbeProc");
  const ReplyReceiver::Reply& reply = r.Last(own ? ReplyKind::Controls : ReplyKind::Sync);
  unsigned before = reply.count;
  // Posted messages of one thread are handled in order: once this request is answered,
  // everything posted earlier has been handled too.
  if (!PostMessageW(form, own ? DescribeMessage() : SyncMessage(),
                    reinterpret_cast<WPARAM>(r.Window()), 0))
    Fail("cannot post to the window to synchronise with it");
  if (!WaitUntil([&] { return reply.count != before; }, ms, 1))
    Fail("window '" + WideToUtf8(TextOf(form)) + "' did not catch up with its input in time");
}

HWND FocusedWindow(HWND w) {
  GUITHREADINFO gti{};
  gti.cbSize = sizeof gti;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &gti)) return nullptr;
  return gti.hwndFocus;
}

std::wstring FocusedControlName(HWND w) {
  for (HWND f = FocusedWindow(w); f; f = GetParent(f)) {
    std::wstring name = ControlName(f);
    if (!name.empty()) return name;
  }
  return {};
}

HWND ForegroundWindow() {
  return GetForegroundWindow();
}

std::wstring StatusText(HWND bar, int part) {
  if (Send(bar, SB_ISSIMPLE, 0, 0) == TRUE) part = SB_SIMPLEID;
  LRESULT len = Send(bar, SB_GETTEXTLENGTHW, part, 0);
  if (len < 0) Fail("the status bar did not answer");
  size_t chars = LOWORD(len) + 1;
  RemoteBuffer buf(bar, chars * sizeof(wchar_t));
  Send(bar, SB_GETTEXTW, part, buf.Address());
  std::wstring s(chars, 0);
  buf.Read(s.data(), chars * sizeof(wchar_t));
  s.resize(wcsnlen(s.c_str(), chars));
  return s;
}

namespace {
std::vector<std::wstring> Items(HWND w, UINT count_msg, UINT len_msg, UINT text_msg) {
  std::vector<std::wstring> items;
  LRESULT n = Send(w, count_msg, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    LRESULT len = Send(w, len_msg, i, 0);
    if (len < 0) break;
    std::wstring s(size_t(len) + 1, 0);
    // LB_GETTEXT and CB_GETLBTEXT buffers are carried across processes by the system.
    LRESULT got = Send(w, text_msg, i, reinterpret_cast<LPARAM>(s.data()));
    s.resize(got > 0 ? size_t(got) : 0);
    items.push_back(std::move(s));
  }
  return items;
}
}  // namespace

std::vector<std::wstring> ListItems(HWND w) {
  return Items(w, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<std::wstring> ComboItems(HWND w) {
  return Items(w, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

bool IsChecked(HWND w) {
  return Send(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HWND FindDialog(DWORD pid, const wchar_t* caption) {
  for (HWND w : TopWindows(pid, L"#32770", caption))
    if (IsWindowVisible(w)) return w;
  return nullptr;
}

std::wstring DialogText(HWND dialog) {
  std::wstring text;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (_wcsicmp(ClassOf(c).c_str(), L"Static") != 0) continue;
    std::wstring t = TextOf(c);
    if (t.empty()) continue;
    if (!text.empty()) text += L'\n';
    text += t;
  }
  return text;
}

void PressDialogButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (!button) Fail("the dialog has no button with id " + std::to_string(id));
  Click(button);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD ms, DWORD poll_ms) {
  return testwait::WaitUntil(condition, ms, true, poll_ms);
}

bool WaitForStatus(HWND bar, std::wstring_view text, DWORD ms) {
  return WaitUntil([&] { return IsWindow(bar) && StatusText(bar) == text; }, ms);
}

bool WaitForText(HWND w, std::wstring_view text, DWORD ms) {
  return WaitUntil([&] { return IsWindow(w) && TextOf(w) == text; }, ms);
}

}  // namespace e2e
