// The simulated service reads its scenario and phonebook files and tests read its
// journal tokens: any bytes must parse without faults, and what is written back must
// read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/rassim/sim_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto ini = vpn::rassim::ParseIni(text);
  if (vpn::rassim::ParseIni(vpn::rassim::FormatIni(ini)) != ini) std::abort();
  for (const auto& [s, keys] : ini) {
    for (const auto& [k, v] : keys) vpn::rassim::IniNumber(ini, s, k, 0);
  }
  vpn::rassim::HexDecode(text);
  vpn::rassim::UnescapeToken(text);
  if (vpn::rassim::UnescapeToken(vpn::rassim::EscapeToken(text)) != text) std::abort();
  if (vpn::rassim::HexDecode(vpn::rassim::HexEncode(text)) != text) std::abort();
  return 0;
}
