// Starting and stopping the program under test, files, registry.
#include "tests/e2e/kit/e2e_kit.h"
// (after <windows.h>)
#include <tlhelp32.h>

#include <cwctype>
#include <map>

namespace e2e {
namespace {

std::wstring Lower(std::wstring_view s) {
  std::wstring out(s);
  for (auto& c : out) c = static_cast<wchar_t>(std::towlower(c));
  return out;
}

std::wstring FileName(std::wstring_view path) {
  size_t slash = path.find_last_of(L"\\/");
  return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::wstring LastErrorText(const char* what) {
  return Utf8ToWide(what) + L" failed, error " + std::to_wstring(GetLastError());
}

[[noreturn]] void Fail(const std::wstring& text) {
  throw Failure(WideToUtf8(text));
}

// The environment of this process with `changes` applied, as a sorted Unicode block.
std::vector<wchar_t> EnvironmentBlock(
    const std::vector<std::pair<std::wstring, std::wstring>>& changes) {
  // Names compare case-insensitively, as Windows does; the original spelling is kept.
  std::map<std::wstring, std::pair<std::wstring, std::wstring>> vars;
  wchar_t* env = GetEnvironmentStringsW();
  for (const wchar_t* p = env; *p; p += wcslen(p) + 1) {
    std::wstring_view entry(p);
    size_t eq = entry.find(L'=', 1);  // "=C:=..." entries start with '='
    if (eq == std::wstring_view::npos) continue;
    std::wstring name(entry.substr(0, eq));
    vars[Lower(name)] = {name, std::wstring(entry.substr(eq + 1))};
  }
  FreeEnvironmentStringsW(env);
  for (const auto& [name, value] : changes) vars[Lower(name)] = {name, value};
  std::vector<wchar_t> block;
  for (const auto& [key, nv] : vars) {
    std::wstring entry = nv.first + L"=" + nv.second;
    block.insert(block.end(), entry.begin(), entry.end());
    block.push_back(0);
  }
  block.push_back(0);
  return block;
}

std::wstring CurrentEnv(const wchar_t* name) {
  wchar_t buf[4096];
  DWORD n = GetEnvironmentVariableW(name, buf, 4096);
  return n > 0 && n < 4096 ? std::wstring(buf, n) : std::wstring();
}

}  // namespace

std::wstring Utf8ToWide(std::string_view s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring out(n, 0);
  MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), out.data(), n);
  return out;
}

std::string WideToUtf8(std::wstring_view s) {
  if (s.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, 0);
  WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring BinDir() {
  wchar_t path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L"\\/"));
}

std::wstring ProgramPath() {
  return BinDir() + L"\\vpnclient.exe";
}

std::wstring ArtifactPath(std::wstring_view name) {
  std::wstring dir = BinDir() + L"\\e2e-artifacts";
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir + L"\\" + std::wstring(name);
}

bool FileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> ReadLines(const std::wstring& path) {
  std::vector<std::string> lines;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return lines;
  std::string data;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
  CloseHandle(f);
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find('\n', start);
    if (end == std::string::npos) end = data.size();
    std::string line = data.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  bool ok = f != INVALID_HANDLE_VALUE &&
            WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  if (!ok) Fail(L"cannot write " + path);
}

RassimFiles UseRassim(StartOptions& options, std::wstring_view tag, std::string_view scenario) {
  std::wstring base = ArtifactPath(std::wstring(tag));
  RassimFiles files{base + L"-scenario.ini", base + L"-journal.txt", base + L"-phonebook.txt"};
  WriteBytes(files.scenario, scenario);
  DeleteFileW(files.journal.c_str());
  DeleteFileW(files.phonebook.c_str());
  options.env.push_back({L"RASSIM_SCENARIO", files.scenario});
  options.env.push_back({L"RASSIM_JOURNAL", files.journal});
  options.env.push_back({L"RASSIM_PHONEBOOK", files.phonebook});
  return files;
}

// ---- Registry ---------------------------------------------------------------------------

namespace {
std::optional<std::vector<BYTE>> RegRaw(HKEY root, const wchar_t* key, const wchar_t* value,
                                        DWORD* type) {
  HKEY k;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return std::nullopt;
  DWORD size = 0;
  LONG rc = RegQueryValueExW(k, value, nullptr, type, nullptr, &size);
  std::vector<BYTE> data(size);
  if (rc == ERROR_SUCCESS && size > 0)
    rc = RegQueryValueExW(k, value, nullptr, type, data.data(), &size);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  data.resize(size);
  return data;
}

HKEY CreateKey(HKEY root, const wchar_t* key) {
  HKEY k;
  if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
    Fail(std::wstring(L"cannot create registry key ") + key);
  return k;
}
}  // namespace

std::optional<std::wstring> RegString(HKEY root, const wchar_t* key, const wchar_t* value) {
  DWORD type = 0;
  auto data = RegRaw(root, key, value, &type);
  if (!data || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  std::wstring s(reinterpret_cast<const wchar_t*>(data->data()), data->size() / sizeof(wchar_t));
  while (!s.empty() && s.back() == 0) s.pop_back();
  return s;
}

std::optional<DWORD> RegDword(HKEY root, const wchar_t* key, const wchar_t* value) {
  DWORD type = 0;
  auto data = RegRaw(root, key, value, &type);
  if (!data || type != REG_DWORD || data->size() != 4) return std::nullopt;
  DWORD v;
  memcpy(&v, data->data(), 4);
  return v;
}

std::optional<DWORD> RegType(HKEY root, const wchar_t* key, const wchar_t* value) {
  DWORD type = 0;
  if (!RegRaw(root, key, value, &type)) return std::nullopt;
  return type;
}

void RegSetString(HKEY root, const wchar_t* key, const wchar_t* value, std::wstring_view data) {
  HKEY k = CreateKey(root, key);
  std::wstring s(data);
  LONG rc = RegSetValueExW(k, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()),
                           DWORD((s.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS) Fail(std::wstring(L"cannot write registry value ") + value);
}

void RegSetDword(HKEY root, const wchar_t* key, const wchar_t* value, DWORD data) {
  HKEY k = CreateKey(root, key);
  LONG rc = RegSetValueExW(k, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), 4);
  RegCloseKey(k);
  if (rc != ERROR_SUCCESS) Fail(std::wstring(L"cannot write registry value ") + value);
}

void RegDeleteTree(HKEY root, const wchar_t* key) {
  LONG rc = RegDeleteTreeW(root, key);
  if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
    RegDeleteKeyW(root, key);  // RegDeleteTree empties the key; the key itself goes here
    return;
  }
  Fail(std::wstring(L"cannot delete registry key ") + key + L", error " + std::to_wstring(rc));
}

// ---- Processes --------------------------------------------------------------------------

std::vector<DWORD> ProcessesNamed(std::wstring_view exe_name) {
  std::vector<DWORD> pids;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return pids;
  PROCESSENTRY32W pe{};
  pe.dwSize = sizeof pe;
  std::wstring want = Lower(exe_name);
  for (BOOL ok = Process32FirstW(snap, &pe); ok; ok = Process32NextW(snap, &pe))
    if (Lower(FileName(pe.szExeFile)) == want) pids.push_back(pe.th32ProcessID);
  CloseHandle(snap);
  return pids;
}

std::wstring ModulePath(DWORD pid, std::wstring_view module_name) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snap == INVALID_HANDLE_VALUE) return {};
  MODULEENTRY32W me{};
  me.dwSize = sizeof me;
  std::wstring want = Lower(module_name), found;
  for (BOOL ok = Module32FirstW(snap, &me); ok; ok = Module32NextW(snap, &me))
    if (Lower(me.szModule) == want) {
      found = me.szExePath;
      break;
    }
  CloseHandle(snap);
  return found;
}

Program Program::Start(const StartOptions& options) {
  std::wstring exe = options.exe.empty() ? ProgramPath() : options.exe;
  if (!FileExists(exe)) Fail(L"program not built: " + exe);
  if (!options.allow_other_copies) {
    auto others = ProcessesNamed(FileName(exe));
    if (!others.empty())
      Fail(L"another copy of " + FileName(exe) + L" already runs in this Wine prefix (pid " +
           std::to_wstring(others.front()) + L"); end it first");
  }
  if (options.clean_settings) DeleteSettings();

  std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/"));
  auto changes = options.env;
  if (options.prefer_rassim && FileExists(dir + L"\\rasapi32.dll")) {
    // Wine prefers its own built-in rasapi32 unless told otherwise.
    std::wstring overrides = CurrentEnv(L"WINEDLLOVERRIDES");
    for (const auto& [name, value] : options.env)
      if (Lower(name) == L"winedlloverrides") overrides = value;
    overrides += overrides.empty() ? L"rasapi32=n" : L";rasapi32=n";
    changes.push_back({L"WINEDLLOVERRIDES", overrides});
  }
  std::vector<wchar_t> env = EnvironmentBlock(changes);

  std::wstring cmd = L"\"" + exe + L"\"";
  if (!options.args.empty()) cmd += L" " + options.args;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                      env.data(), dir.c_str(), &si, &pi))
    Fail(LastErrorText("CreateProcess") + L": " + exe);
  CloseHandle(pi.hThread);
  Program p;
  p.process_ = pi.hProcess;
  p.pid_ = pi.dwProcessId;
  p.main_class_ = options.main_class;
  return p;
}

Program::Program(Program&& other) noexcept {
  *this = std::move(other);
}

Program& Program::operator=(Program&& other) noexcept {
  if (this != &other) {
    if (process_) {
      if (Running()) Stop();
      CloseHandle(process_);
    }
    process_ = std::exchange(other.process_, nullptr);
    pid_ = std::exchange(other.pid_, 0);
    main_class_ = std::move(other.main_class_);
    terminated_ = other.terminated_;
  }
  return *this;
}

Program::~Program() {
  if (!process_) return;
  if (Running()) Stop(3000);
  CloseHandle(process_);
}

bool Program::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Program::WaitExit(DWORD ms) const {
  if (!process_) return std::nullopt;
  // Pump while waiting: the program may send messages to windows of this thread.
  if (!WaitUntil([&] { return !Running(); }, ms, 5)) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

std::vector<HWND> Program::Windows(const wchar_t* cls, const wchar_t* caption) const {
  return TopWindows(pid_, cls, caption);
}

HWND Program::WaitForWindow(const wchar_t* cls, const wchar_t* caption, DWORD ms,
                            bool visible) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : Windows(cls, caption))
          if (!visible || IsWindowVisible(w)) {
            found = w;
            return true;
          }
        return !Running();
      },
      ms, 10);
  return found;
}

DWORD Program::Stop(DWORD ms) {
  if (!process_) return 0;
  if (Running()) {
    auto targets = main_class_.empty() ? std::vector<HWND>{} : Windows(main_class_.c_str());
    if (targets.empty())
      for (HWND w : Windows())
        if (IsWindowVisible(w)) targets.push_back(w);
    for (HWND w : targets) PostMessageW(w, WM_CLOSE, 0, 0);
    if (!WaitExit(ms)) {
      terminated_ = true;
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, 5000);
    }
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

}  // namespace e2e
