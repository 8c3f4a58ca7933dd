// The connection log's file, written by its own thread as the program writes it.
#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>
#include <vector>

#include "app/ConnectionLog.h"

namespace {

std::wstring TempFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId());
}

std::string FileBytes(const std::wstring& path) {
  std::string out;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return out;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
  CloseHandle(f);
  return out;
}

void RemoveFolder(const std::wstring& folder) {
  DeleteFileW((folder + L"\\connection.log").c_str());
  RemoveDirectoryW(folder.c_str());
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back(text.substr(at) + "<no line end>");
      break;
    }
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

// UTF-8 of "[错误]" and "[信息]", as the file holds them.
const std::string kErrorTag = "[\xE9\x94\x99\xE8\xAF\xAF]";
const std::string kStatusTag = "[\xE4\xBF\xA1\xE6\x81\xAF]";

TEST(ConnectionLogFile, TenThousandEntriesStayUnderTheLimitInWholeLines) {
  const std::wstring folder = TempFolder(L"vpnlog-many-");
  RemoveFolder(folder);
  const std::wstring path = folder + L"\\connection.log";
  {
    TConnectionLog log(path);
    EXPECT_EQ(log.Path(), path);
    for (int i = 0; i < 10000; ++i) {
      // As long as an error entry with its advice: the file must be cut on the way.
      log.Add(i % 2 ? vpn::app::LogKind::Error : vpn::app::LogKind::Status,
              "第" + std::to_string(i) +
                  "条 无法连接，错误号为:691 用户名或密码不对，或帐户已到期：请核对用户名和密码后"
                  "再连接，仍不行请联系客服。");
      // The file is cut while entries come.
      if (i % 1000 == 0) {
        ASSERT_TRUE(log.Flush());
      }
    }
    ASSERT_TRUE(log.Flush());
  }
  const std::string file = FileBytes(path);
  ASSERT_FALSE(file.empty()) << "no log file (the folder was to be made)";
  EXPECT_LE(file.size(), vpn::app::kLogLimitBytes);
  EXPECT_GT(file.size(), vpn::app::kLogLimitBytes / 2 - 1024) << "more than the older half went";
  ASSERT_EQ(file.substr(0, 3), std::string(vpn::app::kUtf8Mark));
  const std::vector<std::string> lines = LinesOf(file.substr(3));
  ASSERT_FALSE(lines.empty());
  // Whole lines only, each with its time and kind, numbered on without gaps to the newest.
  const std::regex shape(
      "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} (\\[[^ ]+\\]) "
      "\xE7\xAC\xAC(\\d+)\xE6\x9D\xA1 .*");
  int expected = -1;
  for (const std::string& line : lines) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, shape)) << line;
    const int number = std::stoi(m[2]);
    EXPECT_EQ(m[1], number % 2 ? kErrorTag : kStatusTag);
    if (expected >= 0) {
      ASSERT_EQ(number, expected);
    }
    expected = number + 1;
  }
  EXPECT_EQ(expected, 10000) << "the newest entry is missing";
  EXPECT_GT(std::stoi(lines.front().substr(lines.front().find("\xE7\xAC\xAC") + 3)), 0)
      << "nothing old was dropped";
  // The window's reading of it: the same lines in the program's text, the mark gone.
  const std::string shown = ReadConnectionLog(path);
  EXPECT_TRUE(shown.ends_with("请联系客服。\r\n"));
  EXPECT_NE(shown.find("第9999条"), std::string::npos);
  EXPECT_EQ(shown.find("\xEF\xBB\xBF"), std::string::npos);
  RemoveFolder(folder);
}

TEST(ConnectionLogFile, AddsAfterWhatIsThereAndSurvivesAFolderItCannotMake) {
  const std::wstring folder = TempFolder(L"vpnlog-add-");
  RemoveFolder(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + L"\\connection.log";
  {
    // A file without a line end at its end, as a crash may leave it.
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const char old[] = "\xEF\xBB\xBFold line\r\ncut sh";
    DWORD n = 0;
    WriteFile(f, old, sizeof old - 1, &n, nullptr);
    CloseHandle(f);
  }
  std::string line;
  {
    TConnectionLog log(path);
    line = log.Add(vpn::app::LogKind::State, "正在连接 → 已连接（LineUp）");
    // What Add returns is the line as the window shows it.
    EXPECT_NE(line.find("[状态] 正在连接 → 已连接（LineUp）\r\n"), std::string::npos) << line;
  }  // the writer finishes before the log goes
  const std::string shown = ReadConnectionLog(path);
  EXPECT_EQ(shown, "old line\r\ncut sh\r\n" + line) << "the new line went onto the cut one";

  // A place where no file can be made: entries are dropped, nothing else happens.
  TConnectionLog nowhere(L"Q:\\no\\such\\drive\\connection.log");
  nowhere.Add(vpn::app::LogKind::System, "x");
  EXPECT_TRUE(nowhere.Flush());
  EXPECT_TRUE(ReadConnectionLog(L"Q:\\no\\such\\drive\\connection.log").empty());
  RemoveFolder(folder);
}

}  // namespace
