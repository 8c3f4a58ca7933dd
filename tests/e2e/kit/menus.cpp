// Popup menus of another process: found as its "#32768" window, read through the probe
// that the kit's hook loads into the program (e2e_menu_probe.dll), picked with the real
// mouse or the item's key.
#include "tests/e2e/kit/e2e_kit.h"
#include "tests/e2e/kit/reply_receiver.h"

namespace e2e {
namespace {

[[noreturn]] void Fail(const std::string& text) {
  throw Failure(text);
}

UINT DescribeMenuMessage() {
  static UINT msg = RegisterWindowMessageW(L"VpnE2e.DescribeMenu");
  return msg;
}

// The probe hooked into the thread that shows the menu.
void EnsureProbe(DWORD thread) {
  HookProbe(thread, WH_CALLWNDPROC, "MenuProbeProc");
}

std::vector<std::string> SplitLine(const std::string& line, size_t fields) {
  std::vector<std::string> out;
  size_t start = 0;
  while (out.size() + 1 < fields) {
    size_t tab = line.find('\t', start);
    if (tab == std::string::npos) break;
    out.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  out.push_back(line.substr(start));
  return out;
}

std::string UnescapeLine(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char n = s[++i];
    out += n == 't' ? '\t' : n == 'n' ? '\n' : n;
  }
  return out;
}

// The text a person reads: without the mnemonic marks ("&&" stays one "&") and without
// the shortcut after a tab.
std::wstring Readable(std::wstring_view text) {
  std::wstring out;
  for (size_t i = 0; i < text.size() && text[i] != L'\t'; ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

wchar_t Mnemonic(std::wstring_view text) {
  for (size_t i = 0; i + 1 < text.size() && text[i] != L'\t'; ++i)
    if (text[i] == L'&') {
      if (text[i + 1] != L'&') return text[i + 1];
      ++i;
    }
  return 0;
}

}  // namespace

HWND FindPopupMenu(DWORD pid) {
  for (HWND w : TopWindows(pid, L"#32768"))
    if (IsWindowVisible(w)) return w;
  return nullptr;
}

HWND WaitForPopupMenu(DWORD pid, DWORD ms) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindPopupMenu(pid)) != nullptr; }, ms);
  return found;
}

std::vector<MenuItem> MenuItems(HWND popup) {
  EnsureProbe(GetWindowThreadProcessId(popup, nullptr));
  ReplyReceiver& r = ReplyReceiver::Get();
  const ReplyReceiver::Reply& reply = r.Last(ReplyKind::Menu);
  const unsigned before = reply.count;
  DWORD_PTR ignored = 0;
  // The probe sends its reply while this call waits; this thread takes it then.
  SendMessageTimeoutW(popup, DescribeMenuMessage(), reinterpret_cast<WPARAM>(r.Window()), 0,
                      SMTO_NORMAL, 5000, &ignored);
  if (reply.count == before) Fail("the open menu did not answer the probe");
  if (reply.text == "no menu\n") Fail("the menu window shows no menu");
  std::vector<MenuItem> items;
  size_t start = 0;
  while (start < reply.text.size()) {
    size_t end = reply.text.find('\n', start);
    if (end == std::string::npos) end = reply.text.size();
    const auto f = SplitLine(reply.text.substr(start, end - start), 8);
    start = end + 1;
    if (f.size() != 8) Fail("malformed menu probe line");
    MenuItem item;
    item.id = UINT(std::stoul(f[0]));
    const UINT state = UINT(std::stoul(f[1])), type = UINT(std::stoul(f[2]));
    item.enabled = !(state & (MFS_DISABLED | MFS_GRAYED));
    item.checked = (state & MFS_CHECKED) != 0;
    item.is_default = (state & MFS_DEFAULT) != 0;
    item.separator = (type & MFT_SEPARATOR) != 0;
    item.owner_drawn = (type & MFT_OWNERDRAW) != 0;
    item.radio = (type & MFT_RADIOCHECK) != 0;
    item.rect = {std::stol(f[3]), std::stol(f[4]), std::stol(f[5]), std::stol(f[6])};
    item.text = Utf8ToWide(UnescapeLine(f[7]));
    items.push_back(std::move(item));
  }
  return items;
}

bool SameMenuText(std::wstring_view item, std::wstring_view wanted) {
  return item == wanted || Readable(item) == Readable(wanted);
}

MenuItem MenuItemNamed(HWND popup, std::wstring_view text) {
  std::string seen;
  for (MenuItem& item : MenuItems(popup)) {
    if (!item.separator && SameMenuText(item.text, text)) return item;
    seen += " [" + WideToUtf8(item.text) + "]";
  }
  Fail("the open menu has no item " + WideToUtf8(text) + "; it has" + seen);
}

void PickMenuItem(HWND popup, std::wstring_view text) {
  const MenuItem item = MenuItemNamed(popup, text);
  const POINT centre{(item.rect.left + item.rect.right) / 2,
                     (item.rect.top + item.rect.bottom) / 2};
  // Onto the item first, so that the menu selects it, then a click as a hand gives it.
  MoveMouse(centre);
  MouseDown(centre);
  MouseUp(centre);
}

void PickMenuItemByKey(HWND popup, std::wstring_view text) {
  const wchar_t key = Mnemonic(MenuItemNamed(popup, text).text);
  if (!key) Fail("the item " + WideToUtf8(text) + " has no key");
  const SHORT vk = VkKeyScanW(key);
  if (vk == -1) Fail("no key gives the character of " + WideToUtf8(text));
  SendKeyToForeground(LOBYTE(vk));
}

bool CloseMenu(HWND popup, DWORD ms) {
  SendKeyToForeground(VK_ESCAPE);
  return WaitUntil([&] { return !IsWindow(popup) || !IsWindowVisible(popup); }, ms);
}

}  // namespace e2e
