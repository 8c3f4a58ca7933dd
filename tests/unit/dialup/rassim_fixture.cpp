#include "rassim_fixture.h"

#include <fstream>
#include <sstream>

#include "core/rassim/sim_text.h"
#include "dialup/Ras.h"

std::string JournalLine::Text(const std::string& key) const {
  const auto it = fields.find(key);
  if (it == fields.end()) return "<missing>";
  return vpn::rassim::UnescapeToken(it->second).value_or("<bad>");
}

std::string JournalLine::Record() const {
  const auto it = fields.find("record");
  if (it == fields.end()) return {};
  return vpn::rassim::HexDecode(it->second).value_or("");
}

unsigned long long JournalLine::Number(const std::string& key) const {
  const auto it = fields.find(key);
  if (it == fields.end()) return ~0ull;
  return std::stoull(it->second, nullptr, 0);
}

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t buf[1024];
  const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
  return std::wstring(buf, n < 1024 ? n : 0);
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE f =
      CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD put = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(f);
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
  CloseHandle(f);
  return out;
}

}  // namespace

std::wstring WinePath(const std::string& unix_path) {
  std::wstring w = L"Z:";
  for (char c : unix_path) w += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return w;
}

void RassimTest::SetUp() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  folder_ = std::wstring(temp) + L"rassim-test-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder_.c_str(), nullptr);
  SetEnvironmentVariableW(L"RASSIM_SCENARIO", (folder_ + L"rassim.ini").c_str());
  SetEnvironmentVariableW(L"RASSIM_JOURNAL", (folder_ + L"journal.txt").c_str());
  SetEnvironmentVariableW(L"RASSIM_PHONEBOOK", (folder_ + L"phonebook.txt").c_str());
  DeleteFileW((folder_ + L"phonebook.txt").c_str());
  Scenario("state_delay_ms=0\nhangup_delay_ms=0\n");
  ClearJournal();
}

void RassimTest::TearDown() {
  // Lines left up by a test are dropped so that the next one starts with none.
  Scenario("state_delay_ms=0\nhangup_delay_ms=0\n");
  vpn::ras::RasConnA conns[64] = {};
  conns[0].dwSize = sizeof(vpn::ras::RasConnA);
  DWORD size = sizeof conns, count = 0;
  if (dialup::RasEnumConnectionsA(conns, &size, &count) == 0) {
    for (DWORD i = 0; i < count; ++i) dialup::RasHangUpA(conns[i].hrasconn);
  }
  WaitFor(
      [] {
        vpn::ras::RasConnA c[64] = {};
        c[0].dwSize = sizeof(vpn::ras::RasConnA);
        DWORD s = sizeof c, n = 0;
        return dialup::RasEnumConnectionsA(c, &s, &n) == 0 && n == 0;
      },
      5000);
}

void RassimTest::Scenario(const std::string& service, const std::string& extra) {
  WriteFileBytes(folder_ + L"rassim.ini",
                 "[service]\n" + service + "\n[account demo]\npassword=demo\n" + extra);
}

void RassimTest::ClearJournal() const {
  DeleteFileW((folder_ + L"journal.txt").c_str());
}

std::vector<JournalLine> RassimTest::Journal() const {
  std::vector<JournalLine> lines;
  std::istringstream in(ReadFileBytes(folder_ + L"journal.txt"));
  std::string raw;
  while (std::getline(in, raw)) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    std::istringstream words(raw);
    JournalLine line;
    words >> line.event;
    std::string w;
    while (words >> w) {
      const auto eq = w.find('=');
      if (eq != std::string::npos) line.fields[w.substr(0, eq)] = w.substr(eq + 1);
    }
    lines.push_back(line);
  }
  return lines;
}

std::vector<JournalLine> RassimTest::Journal(const std::string& event) const {
  std::vector<JournalLine> out;
  for (auto& l : Journal()) {
    if (l.event == event) out.push_back(l);
  }
  return out;
}

std::string RunProcess(const std::wstring& exe, const std::wstring& args,
                       const std::wstring& folder, const std::wstring& overrides) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  CreatePipe(&read_end, &write_end, &sa, 0);
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write_end;
  si.hStdError = write_end;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  const std::wstring saved = Env(L"WINEDLLOVERRIDES");
  SetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides.c_str());
  std::wstring cmd = L"\"" + exe + L"\" " + args;
  const BOOL started = CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      folder.c_str(), &si, &pi);
  SetEnvironmentVariableW(L"WINEDLLOVERRIDES", saved.c_str());
  CloseHandle(write_end);
  std::string out;
  if (started) {
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(read_end, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  } else {
    out = "cannot start process " + std::to_string(GetLastError());
  }
  CloseHandle(read_end);
  return out;
}
