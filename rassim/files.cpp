// Files of the simulated service: paths, scenario, journal and phonebook.
#include <mutex>

#include "rassim/rassim.h"

namespace rassim {

namespace {

std::wstring ModuleFolder() {
  HMODULE self = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ModuleFolder), &self);
  wchar_t path[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(self, path, MAX_PATH * 2);
  std::wstring p(path, n);
  const auto slash = p.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1);
}

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (valid()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

std::mutex journal_mutex;

}  // namespace

std::wstring FilePath(const wchar_t* env_name, const wchar_t* default_name) {
  wchar_t buf[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(env_name, buf, MAX_PATH * 2);
  if (n > 0 && n < MAX_PATH * 2) return std::wstring(buf, n);
  return ModuleFolder() + default_name;
}

std::string ReadWholeFile(const std::wstring& path) {
  Handle f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.valid()) return {};
  std::string out;
  char buf[16384];
  DWORD got = 0;
  while (ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  return out;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  Handle f(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.valid()) return false;
  DWORD put = 0;
  return WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
         put == bytes.size();
}

vpn::rassim::Ini Scenario() {
  return vpn::rassim::ParseIni(ReadWholeFile(FilePath(L"RASSIM_SCENARIO", L"rassim.ini")));
}

void Journal(const std::string& event, const std::string& fields) {
  std::string line = event + " pid=" + std::to_string(GetCurrentProcessId()) +
                     " tid=" + std::to_string(GetCurrentThreadId()) +
                     " t=" + std::to_string(GetTickCount64());
  if (!fields.empty()) line += " " + fields;
  line += "\r\n";
  std::lock_guard<std::mutex> lock(journal_mutex);
  // Appends from several processes land whole: each line is one write at the end.
  Handle f(CreateFileW(FilePath(L"RASSIM_JOURNAL", L"rassim-journal.txt").c_str(), FILE_APPEND_DATA,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f.valid()) return;
  DWORD put = 0;
  WriteFile(f.get(), line.data(), static_cast<DWORD>(line.size()), &put, nullptr);
}

PhonebookLock::PhonebookLock() : mutex_(CreateMutexW(nullptr, FALSE, L"rassim-phonebook-lock")) {
  if (mutex_) WaitForSingleObject(mutex_, 10000);
}

PhonebookLock::~PhonebookLock() {
  if (mutex_) {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }
}

Phonebook LoadPhonebook() {
  using vpn::rassim::HexDecode;
  using vpn::rassim::IniString;
  const auto ini =
      vpn::rassim::ParseIni(ReadWholeFile(FilePath(L"RASSIM_PHONEBOOK", L"rassim-phonebook.txt")));
  Phonebook book;
  for (const auto& [section, keys] : ini) {
    const auto name = HexDecode(section);
    if (!name || name->empty()) continue;
    Entry e;
    e.record = HexDecode(IniString(ini, section, "record")).value_or("");
    e.user = HexDecode(IniString(ini, section, "user")).value_or("");
    e.password = HexDecode(IniString(ini, section, "password")).value_or("");
    e.domain = HexDecode(IniString(ini, section, "domain")).value_or("");
    e.psk = HexDecode(IniString(ini, section, "psk")).value_or("");
    e.saved_password = IniString(ini, section, "saved_password") == "1";
    book[*name] = e;
  }
  return book;
}

void SavePhonebook(const Phonebook& book) {
  using vpn::rassim::HexEncode;
  vpn::rassim::Ini ini;
  for (const auto& [name, e] : book) {
    auto& s = ini[HexEncode(name)];
    s["name"] = vpn::rassim::EscapeToken(name);
    s["record"] = HexEncode(e.record);
    s["user"] = HexEncode(e.user);
    s["password"] = HexEncode(e.password);
    s["domain"] = HexEncode(e.domain);
    s["psk"] = HexEncode(e.psk);
    s["saved_password"] = e.saved_password ? "1" : "0";
  }
  WriteWholeFile(FilePath(L"RASSIM_PHONEBOOK", L"rassim-phonebook.txt"),
                 vpn::rassim::FormatIni(ini));
}

}  // namespace rassim
