#include "tests/e2e/main_window/support.h"

#include <shlobj.h>

#include "core/rassim/sim_text.h"

namespace mw {

std::vector<JournalEntry> ReadJournal(const std::wstring& path) {
  std::vector<JournalEntry> out;
  for (const std::string& line : e2e::ReadLines(path)) {
    JournalEntry e;
    size_t pos = line.find(' ');
    e.event = line.substr(0, pos);
    while (pos != std::string::npos) {
      const size_t start = pos + 1;
      pos = line.find(' ', start);
      const std::string item = line.substr(start, pos == std::string::npos ? pos : pos - start);
      const size_t eq = item.find('=');
      if (eq != std::string::npos) e.fields[item.substr(0, eq)] = item.substr(eq + 1);
    }
    out.push_back(std::move(e));
  }
  return out;
}

std::string Unescaped(const std::string& token) {
  return vpn::rassim::UnescapeToken(token).value_or("<bad escape>");
}

std::string RecordBytes(const std::string& hex) {
  return vpn::rassim::HexDecode(hex).value_or(std::string());
}

// ---- The notification area ------------------------------------------------------------

namespace {

// How Wine's shell hands a notify-icon record to the notification area (WM_COPYDATA,
// dwData = the NIM_ message): the same fields for every caller, texts in UTF-16.
struct WineNotifyData {
  LONG hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  WCHAR szTip[128];
  DWORD dwState;
  DWORD dwStateMask;
  WCHAR szInfo[256];
  UINT uTimeout;
  WCHAR szInfoTitle[64];
  DWORD dwInfoFlags;
  GUID guidItem;
};

const wchar_t kTrayClass[] = L"Shell_TrayWnd";

}  // namespace

FakeNotificationArea::FakeNotificationArea() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kTrayClass;
  RegisterClassW(&wc);
  wnd_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTrayClass, L"", WS_POPUP, 0, 0, 0, 0,
                         nullptr, nullptr, wc.hInstance, nullptr);
  SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  if (FindWindowExW(nullptr, nullptr, kTrayClass, nullptr) != wnd_)
    throw e2e::Failure("another Shell_TrayWnd is found before the test's own");
}

FakeNotificationArea::~FakeNotificationArea() {
  if (wnd_) DestroyWindow(wnd_);
}

LRESULT CALLBACK FakeNotificationArea::Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<FakeNotificationArea*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  if (msg == WM_COPYDATA && self) {
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    if (cds->cbData >= sizeof(WineNotifyData)) {
      const auto* d = static_cast<const WineNotifyData*>(cds->lpData);
      TrayRecord r;
      r.message = static_cast<DWORD>(cds->dwData);
      r.wnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(d->hWnd));
      r.id = d->uID;
      r.flags = d->uFlags;
      r.callback = d->uCallbackMessage;
      r.tip = std::wstring(d->szTip, wcsnlen(d->szTip, 128));
      r.info = std::wstring(d->szInfo, wcsnlen(d->szInfo, 256));
      r.info_title = std::wstring(d->szInfoTitle, wcsnlen(d->szInfoTitle, 64));
      r.timeout = d->uTimeout;
      r.info_flags = d->dwInfoFlags;
      // The program waits in its shell call meanwhile: this is its state at the call.
      const HWND main = FindWindowW(L"TFrmMain", nullptr);
      r.main_window_visible = main && IsWindowVisible(main);
      self->records_.push_back(std::move(r));
    }
    return TRUE;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

bool FakeNotificationArea::IconShown() const {
  bool shown = false;
  for (const auto& r : records_) {
    if (r.message == NIM_ADD) shown = true;
    if (r.message == NIM_DELETE) shown = false;
  }
  return shown;
}

size_t FakeNotificationArea::BalloonCount() const {
  size_t n = 0;
  for (const auto& r : records_)
    if (r.message == NIM_MODIFY && (r.flags & NIF_INFO) && !r.info.empty()) ++n;
  return n;
}

bool FakeNotificationArea::WaitForBalloon(DWORD ms, size_t seen_before) const {
  return e2e::WaitUntil([&] { return BalloonCount() > seen_before; }, ms);
}

void FakeNotificationArea::Deliver(UINT down, UINT up) const {
  const TrayRecord* add = nullptr;
  for (const auto& r : records_)
    if (r.message == NIM_ADD) add = &r;
  if (!add) throw e2e::Failure("the program never added its notification-area icon");
  PostMessageW(add->wnd, add->callback, add->id, down);
  PostMessageW(add->wnd, add->callback, add->id, up);
}

void FakeNotificationArea::ClickIcon() const {
  Deliver(WM_LBUTTONDOWN, WM_LBUTTONUP);
}

void FakeNotificationArea::RightClickIcon() const {
  Deliver(WM_RBUTTONDOWN, WM_RBUTTONUP);
}

// ---- The program ------------------------------------------------------------------------

std::wstring ConnectionLogPath() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::wstring(folder) + L"\\vpnclient\\connection.log";
}

void SetReportedVersion(const std::wstring& version) {
  const wchar_t* key = L"Software\\Wine\\AppDefaults\\vpnclient.exe";
  if (version.empty()) {
    HKEY k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
      RegDeleteValueW(k, L"Version");
      RegCloseKey(k);
    }
    return;
  }
  e2e::RegSetString(HKEY_CURRENT_USER, key, L"Version", version);
}

Session::Session(const std::wstring& tag, const std::string& scenario, bool clean_settings,
                 bool record_status, const std::wstring& exe) {
  // Wine takes rassim beside the program only when told so for the program; the override
  // in the environment does not reach the import-linked library of a child process.
  e2e::RegSetString(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\vpnclient.exe\\DllOverrides",
                    L"rasapi32", L"native,builtin");
  e2e::StartOptions options;
  options.clean_settings = clean_settings;
  options.exe = exe;
  files_ = e2e::UseRassim(options, tag, scenario);
  app_ = e2e::Program::Start(options);
  main_ = app_.WaitForWindow(L"TFrmMain", L"Morlu连接器");
  if (!main_) throw e2e::Failure("the main window did not appear");

  if (!record_status) return;
  // The status history is recorded inside the program from here on.
  hook_dll_ = LoadLibraryW((e2e::BinDir() + L"\\e2e_status_hook.dll").c_str());
  if (!hook_dll_) throw e2e::Failure("e2e_status_hook.dll is missing");
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(hook_dll_, path, MAX_PATH);
  hook_log_ = path;
  hook_log_.replace(hook_log_.size() - 4, 4, L".log");
  DeleteFileW(hook_log_.c_str());
  auto proc = reinterpret_cast<HOOKPROC>(GetProcAddress(hook_dll_, "StatusHookProc"));
  const DWORD thread = GetWindowThreadProcessId(main_, nullptr);
  hook_ = SetWindowsHookExW(WH_CALLWNDPROC, proc, hook_dll_, thread);
  if (!hook_) throw e2e::Failure("the status hook could not be set");
  e2e::Sync(main_);
}

Session::~Session() {
  if (hook_) UnhookWindowsHookEx(hook_);
  if (app_.Running()) app_.Stop();
  if (hook_dll_) FreeLibrary(hook_dll_);
}

std::vector<std::wstring> Session::StatusHistory() const {
  std::vector<std::wstring> out;
  if (hook_log_.empty()) return out;
  for (const std::string& line : e2e::ReadLines(hook_log_)) out.push_back(e2e::Utf8ToWide(line));
  return out;
}

std::vector<JournalEntry> Session::Journal(const std::string& event) const {
  std::vector<JournalEntry> out;
  for (auto& e : Journal())
    if (e.event == event) out.push_back(e);
  return out;
}

bool InputsEnabled(const Session& s) {
  for (const wchar_t* n : {L"IPAddrTxt", L"AreaTxt", L"UserNameTxt", L"PasswordTxt", L"Button1",
                           L"CheckBox1", L"CheckBox2"})
    if (!s.Enabled(n)) return false;
  return !s.Enabled(L"Button2");
}

void FillDemoAccount(Session& s) {
  s.Fill(L"IPAddrTxt", L"127.0.0.1");
  s.Fill(L"UserNameTxt", L"demo");
  s.Fill(L"PasswordTxt", L"demo");
}

void Session::Fill(const wchar_t* edit, const std::wstring& text) {
  HWND w = C(edit);
  SendMessageW(w, EM_SETSEL, 0, -1);
  e2e::TypeText(w, L"\b" + text);
  e2e::Sync(main_);
}

}  // namespace mw
