// Arbitrary service.ini files: a file is used whole or not at all, and what is used holds
// only addresses the program may open and a tunnel type it knows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/app/service_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vpn::app::ServiceConfig defaults;
  defaults.banner = "http://banner.test/top.htm";
  const auto r = vpn::app::ReadServiceConfig(text, defaults);
  if (r.fault != vpn::app::ServiceConfigFault::kNone) {
    if (!(r.config == defaults)) std::abort();
    if (vpn::app::ServiceConfigStatus(r).empty()) std::abort();
    return 0;
  }
  for (const std::string* address :
       {&r.config.account_query, &r.config.register_page, &r.config.password_page,
        &r.config.recharge_page, &r.config.banner, &r.config.node_list})
    if (!address->empty() && !vpn::app::IsWebAddress(*address)) std::abort();
  if (!r.config.tunnel_type.empty() &&
      vpn::app::TunnelTypeName(r.config.tunnel_type) != r.config.tunnel_type)
    std::abort();
  if (r.config.pre_shared_key.size() > vpn::app::kMaxPreSharedKey) std::abort();
  return 0;
}
