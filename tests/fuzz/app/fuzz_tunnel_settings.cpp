// Arbitrary texts read from the settings as the tunnel choice (Protocol) and the earlier
// ProhibitIpSec (ProhibitIpSecBefore): what is taken is one of the program's own spellings,
// and a remembered value written again reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/app/tunnel_choice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto choice = vpn::app::ChoiceOfProtocol(text)) {
    if (vpn::app::ProtocolValue(*choice).size() != text.size()) std::abort();
    if (vpn::app::TunnelsToDial(*choice, true, true).empty()) std::abort();
  }
  if (const auto earlier = vpn::app::ParseEarlierProhibitIpSec(text)) {
    if (vpn::app::ParseEarlierProhibitIpSec(vpn::app::EarlierProhibitIpSecText(*earlier)) !=
        earlier)
      std::abort();
  }
  return 0;
}
