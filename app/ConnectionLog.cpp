#include "app/ConnectionLog.h"

// shlobj.h needs the types of windows.h.
#include <shlobj.h>

#include <utility>
#include <vector>

#include "framework/Gbk.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"

namespace {

TSystemLibrary Shell(L"shell32.dll");
TSystemFunction<decltype(&::SHGetFolderPathW)> GetFolderPath(Shell, "SHGetFolderPathW");

std::string GbkToUtf8(std::string_view gbk) {
  const std::wstring wide = GbkToWide(gbk);
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return WideToGbk(wide);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written == 0)
      return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// The last `most` bytes of the file (all of it when smaller).
std::string ReadTail(HANDLE file, std::uint64_t size, std::uint64_t most) {
  const std::uint64_t from = size > most ? size - most : 0;
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(from);
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return {};
  std::string out(static_cast<size_t>(size - from), '\0');
  size_t got = 0;
  while (got < out.size()) {
    DWORD n = 0;
    if (!ReadFile(file, out.data() + got, static_cast<DWORD>(out.size() - got), &n, nullptr) ||
        n == 0)
      break;
    got += n;
  }
  out.resize(got);
  return out;
}

}  // namespace

TConnectionLog::TConnectionLog(std::wstring path, std::size_t limit)
    : FPath(std::move(path)), FLimit(limit) {}

TConnectionLog::~TConnectionLog() {
  {
    std::lock_guard lock(FLock);
    FStop = true;
  }
  FWake.notify_all();
  if (FThread.joinable()) FThread.join();
}

std::wstring TConnectionLog::DefaultPath() {
  wchar_t folder[MAX_PATH] = {};
  try {
    if (FAILED(GetFolderPath(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                             SHGFP_TYPE_CURRENT, folder)))
      return {};
  } catch (const std::exception&) {
    return {};  // a system without the function keeps no log
  }
  return std::wstring(folder) + L"\\vpnclient\\connection.log";
}

std::wstring TConnectionLog::Path() {
  std::lock_guard lock(FLock);
  if (FPath.empty()) FPath = DefaultPath();
  return FPath;
}

void TConnectionLog::Start() {
  std::lock_guard lock(FLock);
  if (!FThread.joinable() && !FStop) FThread = std::thread([this] { Writer(); });
}

std::string TConnectionLog::Add(vpn::app::LogKind kind, std::string_view text) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string line = vpn::app::LogLine(
      {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds},
      kind, text);
  Start();
  {
    std::lock_guard lock(FLock);
    FPending += line;
  }
  FWake.notify_one();
  return line;
}

bool TConnectionLog::Flush(DWORD ms) {
  std::unique_lock lock(FLock);
  return FDone.wait_for(lock, std::chrono::milliseconds(ms),
                        [this] { return FPending.empty() && !FWriting; });
}

void TConnectionLog::Writer() {
  std::unique_lock lock(FLock);
  for (;;) {
    FWake.wait(lock, [this] { return FStop || !FPending.empty(); });
    if (FPending.empty()) break;  // stopped with nothing left
    const std::string batch = std::exchange(FPending, {});
    FWriting = true;
    if (FPath.empty()) {
      lock.unlock();
      std::wstring path = DefaultPath();
      lock.lock();
      if (FPath.empty()) FPath = std::move(path);
    }
    const std::wstring path = FPath;
    lock.unlock();
    if (!path.empty()) Write(path, FLimit, GbkToUtf8(batch));
    lock.lock();
    FWriting = false;
    FDone.notify_all();
  }
  FDone.notify_all();
}

// Appends the lines; when that would take the file over its limit, the file is written
// anew with the newer half of what it held and the new lines. A file that cannot be
// opened loses these lines only: the log is the program's help, not its duty.
void TConnectionLog::Write(const std::wstring& path, std::size_t limit, const std::string& utf8) {
  const size_t slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos) CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
  TKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return;
  const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
  // A last line that a crash cut short does not swallow the first new one.
  const std::string_view brk = bytes > 0 && ReadTail(file.Get(), bytes, 1) != "\n" ? "\r\n" : "";
  if (vpn::app::AppendFits(bytes, brk.size() + utf8.size(), limit)) {
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file.Get(), end, nullptr, FILE_END)) return;
    if (bytes == 0 && !WriteAll(file.Get(), vpn::app::kUtf8Mark)) return;
    if (WriteAll(file.Get(), brk)) WriteAll(file.Get(), utf8);
    return;
  }
  const std::string kept =
      vpn::app::LogAfterAppend(ReadTail(file.Get(), bytes, limit), utf8, limit);
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN)) return;
  if (WriteAll(file.Get(), kept)) SetEndOfFile(file.Get());
}

std::string ReadConnectionLog(const std::wstring& path) {
  TKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return {};
  // More than the limit is no file of this program's: its newest part is shown.
  std::string text =
      ReadTail(file.Get(), static_cast<std::uint64_t>(size.QuadPart), vpn::app::kLogLimitBytes);
  std::string_view body = text;
  if (body.starts_with(vpn::app::kUtf8Mark)) body.remove_prefix(vpn::app::kUtf8Mark.size());
  return Utf8ToGbk(body);
}
