// The service configuration of this run: the build's values (Endpoints.h), replaced by
// service.ini beside the program when that file can be used. It is read once, when first
// asked for; the main window's creation asks first and reports a file it could not use.
#pragma once

#include <string>

#include "core/app/service_config.h"

// The build's own values.
vpn::app::ServiceConfig BuiltInServiceConfig();

// Reads the file at Path over the build's values. A missing file is no fault: the
// build's values are used as they are.
vpn::app::ServiceConfigReading ReadServiceConfigFile(const std::wstring& Path);

// service.ini in the program's folder, read once for the whole run.
const vpn::app::ServiceConfigReading& ServiceConfiguration();

// The status-bar text telling that service.ini could not be used; empty when it was
// used or is not there.
std::string ServiceConfigurationProblem();

// The values, one accessor each.
inline const std::string& AccountQueryAddress() {
  return ServiceConfiguration().config.account_query;
}
// The service's server list; empty when the service has none.
inline const std::string& NodeListAddress() {
  return ServiceConfiguration().config.node_list;
}
// The L2TP/IPsec pre-shared key (printable ASCII, so the same bytes in every code page);
// empty when the service gives none.
inline const std::string& ServicePreSharedKey() {
  return ServiceConfiguration().config.pre_shared_key;
}
// "Auto", "IKEv2", "SSTP", "L2TP/IPsec", "L2TP" or "PPTP" (the spellings of the settings'
// Protocol value); empty when the service leaves the choice to the "L2TP模式" box.
inline const std::string& DefaultTunnelType() {
  return ServiceConfiguration().config.tunnel_type;
}
