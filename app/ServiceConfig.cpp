#include "app/ServiceConfig.h"

#include <windows.h>

#include <vector>

#include "Endpoints.h"
#include "app/ProgramFile.h"
#include "framework/Handles.h"

vpn::app::ServiceConfig BuiltInServiceConfig() {
  namespace e = vpn::endpoints;
  return {e::kAccountQuery, e::kRegisterPage, e::kPasswordPage, e::kRechargePage,
          e::kBanner,       e::kNodeList,     e::kPreSharedKey, e::kTunnelType};
}

vpn::app::ServiceConfigReading ReadServiceConfigFile(const std::wstring& Path) {
  using vpn::app::ServiceConfigFault;
  const vpn::app::ServiceConfig defaults = BuiltInServiceConfig();
  TKernelHandle file(CreateFileW(Path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {defaults};
    return {defaults, ServiceConfigFault::kUnreadable};
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return {defaults, ServiceConfigFault::kUnreadable};
  if (size.QuadPart > static_cast<LONGLONG>(vpn::app::kMaxServiceConfigBytes))
    return {defaults, ServiceConfigFault::kTooLarge};
  // One byte more than the limit: a file that grew meanwhile is still seen as too large.
  std::string text(vpn::app::kMaxServiceConfigBytes + 1, '\0');
  DWORD total = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), text.data() + total, static_cast<DWORD>(text.size() - total), &got,
                  nullptr))
      return {defaults, ServiceConfigFault::kUnreadable};
    if (got == 0) break;
    total += got;
    if (total == text.size()) break;
  }
  text.resize(total);
  return vpn::app::ReadServiceConfig(text, defaults);
}

namespace {

// The program's own folder with a backslash at its end.
std::wstring ProgramFolder() {
  const std::wstring full = ProgramFile();
  return full.substr(0, full.find_last_of(L"\\/") + 1);
}

}  // namespace

const vpn::app::ServiceConfigReading& ServiceConfiguration() {
  static const vpn::app::ServiceConfigReading reading = [] {
    const std::wstring folder = ProgramFolder();
    if (folder.empty()) return vpn::app::ServiceConfigReading{BuiltInServiceConfig()};
    return ReadServiceConfigFile(folder + L"service.ini");
  }();
  return reading;
}

std::string ServiceConfigurationProblem() {
  return vpn::app::ServiceConfigStatus(ServiceConfiguration());
}
