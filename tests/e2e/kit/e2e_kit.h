// End-to-end kit: drives vpnclient.exe (or any window program of this build) from another
// process on the same Wine desktop, the way a person would: start it, find its windows and
// controls, type, click, read captions, the status bar, lists and the registry, take
// screenshots, wait for conditions with time limits, and stop it.
//
//   e2e::Program app = e2e::Program::Start();               // settings key deleted first
//   HWND main = app.WaitForWindow(L"TFrmMain", L"Morlu连接器");
//   e2e::TypeText(e2e::FindControl(main, L"IPAddrTxt"), L"127.0.0.1");
//   e2e::Click(e2e::FindControl(main, L"Button1"));
//   HWND bar = e2e::FindControl(main, L"StatusBar1");
//   EXPECT_TRUE(e2e::WaitForStatus(bar, L"连接完成", 10000));
//   e2e::SaveScreenshot(e2e::ArtifactPath(L"connected.bmp"), main);
//   app.Stop();                                             // WM_CLOSE, then terminate
//
// Conventions
// - Texts are UTF-16 (std::wstring); the program's GBK texts arrive converted by the
//   system. Only file contents (ReadLines) are raw bytes.
// - Lookups return nullptr / std::nullopt / an empty list when nothing matches. Waits return
//   false on time-out. Faults of the test set-up (the program cannot be started, a remote
//   buffer cannot be allocated, a form does not answer the DescribeControls request) throw
//   e2e::Failure, which GoogleTest reports with its message.
// - Input goes through the target's own message loop: characters are posted as WM_CHAR,
//   keys as WM_KEYDOWN/WM_KEYUP (the target's TranslateMessage makes the characters of
//   Tab, Enter, Backspace and Escape), mouse clicks as WM_MOUSEMOVE/WM_LBUTTONDOWN/
//   WM_LBUTTONUP at a client point. Sync(form) returns once the form's thread has handled
//   everything posted before it. SendKeysToForeground uses SendInput instead.
// - Controls are named by the window property L"VpnControlName" (a global atom) on windowed
//   controls; DescribeControls asks a form for all of its controls, windowless labels too.
// - The kit is used from one thread (it keeps a hidden receiver window on that thread).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace e2e {

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// ---- Files and places -------------------------------------------------------------------

std::wstring BinDir();                              // folder of the running test program
std::wstring ProgramPath();                         // vpnclient.exe in BinDir()
std::wstring ArtifactPath(std::wstring_view name);  // BinDir()\e2e-artifacts\name (created)
bool FileExists(const std::wstring& path);
// Lines of a text file (e.g. the rassim journal) without their line ends; empty if the file
// is missing. Bytes are returned as stored.
std::vector<std::string> ReadLines(const std::wstring& path);
// Writes `bytes` as the whole file; throws Failure when it cannot.
void WriteBytes(const std::wstring& path, std::string_view bytes);

std::wstring Utf8ToWide(std::string_view s);
std::string WideToUtf8(std::wstring_view s);

// ---- Registry ---------------------------------------------------------------------------

inline constexpr const wchar_t* kSettingsKey = L"SOFTWARE\\vpnclient";  // under HKLM

std::optional<std::wstring> RegString(HKEY root, const wchar_t* key, const wchar_t* value);
std::optional<DWORD> RegDword(HKEY root, const wchar_t* key, const wchar_t* value);
// The type of a value (REG_SZ, REG_DWORD, ...), or nullopt when it is missing.
std::optional<DWORD> RegType(HKEY root, const wchar_t* key, const wchar_t* value);
void RegSetString(HKEY root, const wchar_t* key, const wchar_t* value, std::wstring_view data);
void RegSetDword(HKEY root, const wchar_t* key, const wchar_t* value, DWORD data);
void RegDeleteTree(HKEY root, const wchar_t* key);  // no error when missing
// Shortcuts for the program's settings key HKLM\SOFTWARE\vpnclient.
inline std::optional<std::wstring> Setting(const wchar_t* value) {
  return RegString(HKEY_LOCAL_MACHINE, kSettingsKey, value);
}
// The settings of the user (the remembered password and its choice) go with them.
inline void DeleteSettings() {
  RegDeleteTree(HKEY_LOCAL_MACHINE, kSettingsKey);
  RegDeleteTree(HKEY_CURRENT_USER, kSettingsKey);
}

// ---- The program under test -------------------------------------------------------------

struct StartOptions {
  std::wstring exe;                       // empty: ProgramPath()
  std::wstring args;                      // appended to the command line
  bool clean_settings = true;             // DeleteSettings() before the start
  bool prefer_rassim = true;              // rasapi32.dll beside the exe is preferred (if it exists)
  bool allow_other_copies = false;        // else Start fails if the same exe already runs
  std::wstring main_class = L"TFrmMain";  // the window Stop() closes
  std::vector<std::pair<std::wstring, std::wstring>> env;  // set/override variables
};

class Program {
 public:
  static Program Start(const StartOptions& options = {});
  Program() = default;
  Program(Program&& other) noexcept;
  Program& operator=(Program&& other) noexcept;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();  // stops a program that still runs

  DWORD Pid() const { return pid_; }
  HANDLE Process() const { return process_; }
  bool Running() const;
  // Waits up to `ms` for the end of the process; its exit code, or nullopt on time-out.
  std::optional<DWORD> WaitExit(DWORD ms) const;

  // Top-level windows of the process, in z-order; class/caption filter when not null.
  std::vector<HWND> Windows(const wchar_t* cls = nullptr, const wchar_t* caption = nullptr) const;
  // Waits for a top-level window of the process (visible unless `visible` is false).
  HWND WaitForWindow(const wchar_t* cls, const wchar_t* caption = nullptr, DWORD ms = 15000,
                     bool visible = true) const;

  // Posts WM_CLOSE to the main-class windows (every visible top-level window when there is
  // none), waits up to `ms`, then terminates the process. Returns the exit code.
  DWORD Stop(DWORD ms = 5000);
  bool WasTerminated() const { return terminated_; }  // Stop had to terminate it

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  std::wstring main_class_;
  bool terminated_ = false;
};

// The simulated remote-access service's files for one test, in the artifacts folder and
// named after `tag`: writes the scenario (INI text), removes an old journal and phonebook,
// and points the program at them through its environment (RASSIM_SCENARIO, RASSIM_JOURNAL,
// RASSIM_PHONEBOOK). Read the journal afterwards with ReadLines(files.journal).
struct RassimFiles {
  std::wstring scenario, journal, phonebook;
};
RassimFiles UseRassim(StartOptions& options, std::wstring_view tag, std::string_view scenario);

// Ids of running processes whose image file name is `exe_name` (e.g. L"vpnclient.exe").
std::vector<DWORD> ProcessesNamed(std::wstring_view exe_name);
// Full path of a module loaded in process `pid` (e.g. L"rasapi32.dll"); empty if not loaded.
std::wstring ModulePath(DWORD pid, std::wstring_view module_name);

// ---- Windows and controls ---------------------------------------------------------------

std::wstring ClassOf(HWND w);
std::wstring TextOf(HWND w);  // WM_GETTEXT, across processes
DWORD PidOf(HWND w);
SIZE ClientSize(HWND w);
// Rectangle of `w` in the client coordinates of `form` (left, top, right, bottom).
RECT RectIn(HWND w, HWND form);
// Top-level window by class and/or caption (null = any); pid 0 = any process.
HWND FindTopWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption = nullptr);
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* cls = nullptr,
                             const wchar_t* caption = nullptr);
// Descendant of `parent` by class and/or caption (null = any), depth first.
HWND FindChild(HWND parent, const wchar_t* cls, const wchar_t* caption = nullptr);
// The L"VpnControlName" of a window ("" when it has none).
std::wstring ControlName(HWND w);
// Descendant of `form` whose L"VpnControlName" is `name`.
HWND FindControl(HWND form, std::wstring_view name);
// Like FindControl, but waits up to 5 s for a window made after the form's first show, then
// throws Failure naming the control when it is missing.
HWND Control(HWND form, std::wstring_view name);

struct ControlInfo {
  std::wstring name, cls;
  int left = 0, top = 0, width = 0, height = 0;  // form client coordinates
  bool visible = false, enabled = false;
  HWND hwnd = nullptr;   // null for windowless controls
  std::wstring caption;  // a tab, line break or backslash arrives escaped and is restored
};
// Every control of a form, all nesting levels, in creation order (the DescribeControls
// request); throws Failure when the form does not answer.
std::vector<ControlInfo> DescribeControls(HWND form);
std::optional<ControlInfo> DescribeControl(HWND form, std::wstring_view name);
// Returns once the form's thread has handled every message posted to it before. A program
// that does not answer the kit's requests (a shipped one) is asked through the probe the
// kit hooks into its thread (e2e_menu_probe.dll).
void Sync(HWND form, DWORD ms = 5000);

// The window that has the keyboard focus in the thread of `w`, and the name of the
// nearest named control around it ("" when none).
HWND FocusedWindow(HWND w);
std::wstring FocusedControlName(HWND w);
HWND ForegroundWindow();

std::wstring StatusText(HWND status_bar, int part = 0);  // SB_GETTEXTW via remote memory
std::vector<std::wstring> ListItems(HWND list_box);      // LB_GETTEXT
std::vector<std::wstring> ComboItems(HWND combo_box);    // CB_GETLBTEXT
bool IsChecked(HWND button);                             // BM_GETCHECK == BST_CHECKED

// Message boxes and other dialogs (class "#32770") of a process.
HWND FindDialog(DWORD pid, const wchar_t* caption = nullptr);
std::wstring DialogText(HWND dialog);  // texts of its static controls, joined by '\n'
void PressDialogButton(HWND dialog, int id);

// ---- Input ------------------------------------------------------------------------------

void TypeText(HWND control, std::wstring_view text);  // WM_CHAR per UTF-16 unit
// Posts WM_KEYDOWN/WM_KEYUP of a virtual key to `target`.
void PressKey(HWND target, UINT vk);
// Presses a key at the focused window of the thread that owns `form`, then syncs.
void PressKeyInForm(HWND form, UINT vk);
// Left click at a client point of `w` (its centre by default): the move, handled before
// the press and release are posted, then the press and release.
void Click(HWND w, std::optional<POINT> client_point = std::nullopt);
// Left click at a point of `form`'s client area, delivered to the child window under it.
void ClickAt(HWND form, POINT client_point);
// Real mouse input (SendInput), as a person's mouse gives it: the pointer moves, and the
// window under it gets the moves, hot states and leave notifications that go with that.
// Points are screen coordinates; ScreenPoint turns a client point of `w` (its centre by
// default) into one.
POINT ScreenPoint(HWND w, std::optional<POINT> client_point = std::nullopt);
void MoveMouse(POINT screen);
// Moves the pointer onto `w` (its centre by default) and waits until its thread has
// handled the move.
void Hover(HWND w, std::optional<POINT> client_point = std::nullopt);
// The left button pressed or released where the pointer is after moving to `screen`.
void MouseDown(POINT screen);
void MouseUp(POINT screen);
// A right click (press and release) after moving the pointer to `screen`.
void RightClickAt(POINT screen);
// SendInput to the foreground window: Unicode characters, or virtual keys (with modifiers
// held for the whole sequence).
void SendKeysToForeground(std::wstring_view text);
void SendKeyToForeground(UINT vk, bool shift = false);
// A key pressed while another is held (VK_MENU, VK_SPACE: Alt+Space); 0 holds nothing.
void SendChordToForeground(UINT held, UINT vk);

// ---- Popup menus -----------------------------------------------------------------------
// A menu handle means nothing outside the process that made it, so the items of an open
// menu are read inside the program by e2e_menu_probe.dll (beside the test), which the kit
// hooks into the menu's thread on first use.

struct MenuItem {
  std::wstring text;  // as the menu holds it: "&" marks the key, a shortcut after a tab
  UINT id = 0;
  bool enabled = false, checked = false, is_default = false, separator = false;
  bool owner_drawn = false;
  bool radio = false;  // shows a dot, not a tick, when checked
  RECT rect{};         // screen coordinates
};
// The visible popup menu window ("#32768") of a process, or null.
HWND FindPopupMenu(DWORD pid);
HWND WaitForPopupMenu(DWORD pid, DWORD ms = 5000);
// Every item of the open menu, separators included, top to bottom.
std::vector<MenuItem> MenuItems(HWND popup);
// An item's text matches when it is the same, or the same once the "&" marks and the
// shortcut are left out of both: "断开(&D)" and "断开(D)" both find the item "断开(&D)".
bool SameMenuText(std::wstring_view item, std::wstring_view wanted);
// The item of that text; throws Failure naming the items there are when none matches.
MenuItem MenuItemNamed(HWND popup, std::wstring_view text);
// Picks the item the way a hand does: the pointer onto it, a left click there.
void PickMenuItem(HWND popup, std::wstring_view text);
// Picks the item by its key (the character after "&") on the keyboard.
void PickMenuItemByKey(HWND popup, std::wstring_view text);
// Escape; waits until the menu is gone.
bool CloseMenu(HWND popup, DWORD ms = 3000);

// ---- The program's web links and settings menu ------------------------------------------

// Stands in for the default browser while it lives: the shell's handler of http addresses
// becomes e2e_link_recorder.exe (beside the test), which writes each address it is asked
// to open, one UTF-8 line each, to a log in the artifacts folder. The program finds the log
// through its environment: Watch adds it to the start options. The old handler comes back
// at the end.
class LinkRecorder {
 public:
  LinkRecorder();
  ~LinkRecorder();
  LinkRecorder(const LinkRecorder&) = delete;
  LinkRecorder& operator=(const LinkRecorder&) = delete;
  void Watch(StartOptions& options) const;
  std::vector<std::string> Opened() const;
  bool WaitFor(size_t count, DWORD ms = 10000) const;

 private:
  std::wstring log_;
  std::optional<std::wstring> old_;
};

// The main window's settings menu is opened only by Button4, which the layout keeps out of
// sight: ShowSettingsButton brings it into the window below the disconnect button, as a
// build that showed it would; OpenSettingsMenu clicks it and returns the open menu (null,
// and a screenshot, when none opened).
HWND ShowSettingsButton(HWND main);
HWND OpenSettingsMenu(DWORD pid, HWND settings_button);

// ---- Waiting ----------------------------------------------------------------------------

// Polls `condition` (pumping this thread's messages) until it holds or `ms` passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD ms, DWORD poll_ms = 20);
bool WaitForStatus(HWND status_bar, std::wstring_view text, DWORD ms);
bool WaitForText(HWND w, std::wstring_view text, DWORD ms);

// ---- Screenshots ------------------------------------------------------------------------

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
  std::uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};
// The window's rectangle as on screen (frame included), or the whole virtual screen.
Image CaptureScreen(HWND w = nullptr);
// Waits until the window's picture stays the same over two looks 100 ms apart (its
// painting has finished); false when it still changed after ms.
bool WaitStill(HWND w, DWORD ms = 3000);
void SaveBmp(const Image& image, const std::wstring& path);
// Capture + SaveBmp; returns the path.
std::wstring SaveScreenshot(const std::wstring& path, HWND w = nullptr);

}  // namespace e2e
