// What the main window's end-to-end tests and the connect benchmark share: the program
// started against rassim with a scenario of the test's own, the status history recorded
// inside the program, a stand-in for the shell's notification area that receives the
// program's icon records, the rassim journal, and the Windows version Wine reports.
#pragma once

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/kit/e2e_kit.h"

namespace mw {

// One line of the rassim journal: the event and its fields (texts still escaped).
struct JournalEntry {
  std::string event;
  std::map<std::string, std::string> fields;
  std::string Field(const std::string& key) const {
    auto it = fields.find(key);
    return it == fields.end() ? std::string() : it->second;
  }
};
std::vector<JournalEntry> ReadJournal(const std::wstring& path);
// The escaped text of a journal field, decoded to its bytes (GBK for the program's texts).
std::string Unescaped(const std::string& token);
// The record bytes of a journal field (hexadecimal in the journal).
std::string RecordBytes(const std::string& hex);

// A record the program handed to the notification area (Wine's shell passes each one on
// to the window of class "Shell_TrayWnd" as WM_COPYDATA).
struct TrayRecord {
  DWORD message = 0;  // NIM_ADD, NIM_MODIFY, NIM_DELETE, ...
  HWND wnd = nullptr;
  UINT id = 0, flags = 0, callback = 0;
  std::wstring tip, info, info_title;
  UINT timeout = 0;
  DWORD info_flags = 0;
  bool main_window_visible = false;  // the program's main window was on screen at the call
};

// A hidden, topmost "Shell_TrayWnd" of the test process: the shell finds it before the
// desktop's own and sends it the program's records. Pumped by the kit's waits.
class FakeNotificationArea {
 public:
  FakeNotificationArea();
  ~FakeNotificationArea();
  FakeNotificationArea(const FakeNotificationArea&) = delete;
  FakeNotificationArea& operator=(const FakeNotificationArea&) = delete;
  const std::vector<TrayRecord>& Records() const { return records_; }
  // The icon is shown when the last NIM_ADD came after the last NIM_DELETE.
  bool IconShown() const;
  // Waits until the program has shown a balloon (its last step on the way to the tray).
  bool WaitForBalloon(DWORD ms, size_t seen_before = 0) const;
  size_t BalloonCount() const;
  // Clicks the icon as the shell would: the callback message with the button messages,
  // posted to the window and icon id of the program's last NIM_ADD. The program reads the
  // pointer's place itself, as it does for a click on a real notification area.
  void ClickIcon() const;
  void RightClickIcon() const;

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  void Deliver(UINT down, UINT up) const;
  HWND wnd_ = nullptr;
  std::vector<TrayRecord> records_;
};

class Session;
// The idle window: every input and Connect enabled, Disconnect not.
bool InputsEnabled(const Session& s);
// The demo account on this machine's server, typed into the three fields.
void FillDemoAccount(Session& s);

// Which Windows version Wine reports to vpnclient.exe: "winxp" (5.1) makes it dial with
// progress notifications; an empty name removes the override (Windows 7).
void SetReportedVersion(const std::wstring& version);

// The program's connection log (in the user's local application data).
std::wstring ConnectionLogPath();

class Session {
 public:
  // Starts vpnclient.exe with rassim answering from `scenario`, after the settings key
  // has been deleted when `clean_settings`. Waits for the main window.
  // Without `record_status` no hook is set and StatusHistory stays empty.
  // `exe` names another copy of the program (empty: the build's own).
  Session(const std::wstring& tag, const std::string& scenario, bool clean_settings = true,
          bool record_status = true, const std::wstring& exe = L"");
  ~Session();

  HWND Main() const { return main_; }
  HWND C(const wchar_t* name) const { return e2e::Control(main_, name); }
  e2e::Program& App() { return app_; }
  std::wstring Status() const { return e2e::StatusText(C(L"StatusBar1")); }
  // The texts the status bar was given since the window appeared, in order.
  std::vector<std::wstring> StatusHistory() const;
  std::vector<JournalEntry> Journal() const { return ReadJournal(files_.journal); }
  // rassim reads its scenario at every call: a new one takes effect at once.
  void SetScenario(const std::string& scenario) { e2e::WriteBytes(files_.scenario, scenario); }
  // The phonebook rassim keeps (one section per entry, named by the entry name's hex).
  std::vector<std::string> Phonebook() const { return e2e::ReadLines(files_.phonebook); }
  // Entries of one event.
  std::vector<JournalEntry> Journal(const std::string& event) const;
  // Replaces an edit's text the way a user does: select all, type over it.
  void Fill(const wchar_t* edit, const std::wstring& text);
  bool Enabled(const wchar_t* name) const { return IsWindowEnabled(C(name)) != FALSE; }
  bool Visible() const { return IsWindowVisible(main_) != FALSE; }

 private:
  e2e::Program app_;
  e2e::RassimFiles files_;
  HWND main_ = nullptr;
  HHOOK hook_ = nullptr;
  HMODULE hook_dll_ = nullptr;
  std::wstring hook_log_;
};

}  // namespace mw
