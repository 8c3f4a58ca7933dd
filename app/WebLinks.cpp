#include "app/WebLinks.h"

#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include "Endpoints.h"
#include "core/app/connect_rules.h"
#include "framework/Forms.h"
#include "framework/Gbk.h"
#include "framework/SystemLibrary.h"

#ifndef VPN_VERSION
#define VPN_VERSION "1.0.0"
#endif

// The service operator's hosts come from the build's configuration (Endpoints.h).
using vpn::endpoints::kAccountPagesHost;
using vpn::endpoints::kBannerHost;
using vpn::endpoints::kRechargeHost;

std::string BannerAddress() {
  return vpn::app::HttpAddress(kBannerHost, 80, "/ipclient/top.htm");
}

std::string AccountPagesAddress() {
  return vpn::app::HttpAddress(kAccountPagesHost, 8000, "/sysadmin/");
}

std::string RechargeAddress() {
  return vpn::app::HttpAddress(kRechargeHost, 8000, "/sysadmin/");
}

namespace {
// The shell comes with the first page the user opens.
TSystemLibrary Shell(L"shell32.dll");
TSystemFunction<decltype(&::ShellExecuteW)> ShellExecuteFn(Shell, "ShellExecuteW");
}  // namespace

void OpenWebAddress(const std::string& address) {
  const std::wstring target = GbkToWide(address);
  ShellExecuteFn(Application->Handle(), nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::string AboutText() {
  return std::string(vpn::app::kProgramCaption) +
         " " VPN_VERSION "，作者: vpnclient 开发组，客服电话: 400-000-0000";
}
