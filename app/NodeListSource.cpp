#include "app/NodeListSource.h"

#include <windows.h>
// (after windows.h)
#include <shlobj.h>

#include <vector>

#include "core/text/text.h"
#include "framework/Gbk.h"
#include "framework/Handles.h"
#include "framework/SystemLibrary.h"
#include "net/NetHTTP.h"

namespace {

TSystemLibrary ShellFolders(L"shell32.dll");
TSystemFunction<decltype(&::SHGetFolderPathW)> GetFolderPath(ShellFolders, "SHGetFolderPathW");

// The first line of the kept file: the address its list came from.
std::string KeptHeader(const std::string& address) {
  return "; " + address + "\r\n";
}

bool ReadWholeFile(const std::wstring& path, size_t limit, std::string& bytes) {
  TKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bytes.assign(limit + 1, '\0');
  DWORD total = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), bytes.data() + total, DWORD(bytes.size() - total), &got, nullptr))
      return false;
    if (got == 0) break;
    total += got;
    if (total == bytes.size()) return false;  // larger than any list can be
  }
  bytes.resize(total);
  return true;
}

}  // namespace

struct TNodeListFetch::TShared {
  std::string Url;
  TNodeListLimits Limits;
  TNodeListFetchResult Result = nfFailed;
  std::string Body;
};

TNodeListFetch::TNodeListFetch(std::string Url, TNodeListLimits Limits, std::function<void()> Ended)
    : FShared(std::make_shared<TShared>()) {
  FShared->Url = std::move(Url);
  FShared->Limits = Limits;
  FWorker = std::make_unique<TNetWorker>(
      [shared = FShared](const std::atomic<bool>& abort) {
        TNetHTTP http;
        http.Request.ContentType.clear();
        http.ConnectTimeout = shared->Limits.ConnectTimeoutMs;
        http.ReadTimeout = shared->Limits.ReadTimeoutMs;
        http.MaxBodyBytes = shared->Limits.MaxBytes;
        http.Abort = &abort;
        TNetMemoryStream body;
        try {
          http.Get(shared->Url, body);
          shared->Body = body.DataString();
          shared->Result = abort ? nfFailed : nfFetched;
        } catch (const ENetReplyTooLarge&) {
          shared->Result = nfTooLarge;
        } catch (const ENetIOHandlerPropInvalid&) {
          shared->Result = nfUnsupported;
        } catch (...) {
          shared->Result = nfFailed;
        }
      },
      std::move(Ended));
}

TNodeListFetchResult TNodeListFetch::Result() const {
  if (!FWorker->Ended() || FWorker->Stopped()) return nfFailed;
  return FShared->Result;
}

const std::string& TNodeListFetch::Body() const {
  return FShared->Body;
}

std::wstring KeptNodeListFile() {
  wchar_t folder[MAX_PATH] = {};
  if (!GetFolderPath.Available() ||
      FAILED(GetFolderPath(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                           SHGFP_TYPE_CURRENT, folder)))
    return {};
  return std::wstring(folder) + L"\\vpnclient\\nodelist.ini";
}

std::optional<std::string> LoadKeptNodeList(const std::string& Address) {
  const std::wstring path = KeptNodeListFile();
  const std::string header = KeptHeader(Address);
  std::string bytes;
  if (path.empty() ||
      !ReadWholeFile(path, vpn::speedtest::kMaxNodeListBytes + header.size(), bytes))
    return std::nullopt;
  if (bytes.compare(0, header.size(), header) != 0) return std::nullopt;
  return bytes.substr(header.size());
}

bool KeepNodeList(const std::string& Address, const std::string& Bytes) {
  const std::wstring path = KeptNodeListFile();
  if (path.empty()) return false;
  CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
  const std::wstring aside = path + L".new";
  const std::string text = KeptHeader(Address) + Bytes;
  {
    TKernelHandle file(CreateFileW(aside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!WriteFile(file.Get(), text.data(), DWORD(text.size()), &written, nullptr) ||
        written != text.size() || !FlushFileBuffers(file.Get())) {
      file.Reset();
      DeleteFileW(aside.c_str());
      return false;
    }
  }
  if (!MoveFileExW(aside.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(aside.c_str());
    return false;
  }
  return true;
}

std::string NodeListText(const std::string& Bytes) {
  std::string_view text(Bytes);
  const bool marked = text.substr(0, 3) == "\xEF\xBB\xBF";
  if (marked) text.remove_prefix(3);
  bool wide = false;
  for (char c : text) wide = wide || static_cast<unsigned char>(c) >= 0x80;
  if (!marked && (!wide || !vpn::IsUtf8(text))) return Bytes;
  // UTF-8 to UTF-16 to GBK; a character GBK does not have becomes "?".
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wideText(size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wideText.data(), n);
  return WideToGbk(wideText);
}
