#include "app/WebLinks.h"

#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include "app/ServiceConfig.h"
#include "core/app/connect_rules.h"
#include "framework/Forms.h"
#include "framework/Gbk.h"
#include "framework/SystemLibrary.h"

#ifndef VPN_VERSION
#define VPN_VERSION "1.0.0"
#endif

// The service's pages come from its configuration (service.ini or the build's values).
std::string BannerAddress() {
  return ServiceConfiguration().config.banner;
}

std::string RegisterPageAddress() {
  return ServiceConfiguration().config.register_page;
}

std::string PasswordPageAddress() {
  return ServiceConfiguration().config.password_page;
}

std::string RechargeAddress() {
  return ServiceConfiguration().config.recharge_page;
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
