// A skin's settings text from outside, with one picture member from outside: the input
// up to the first NUL is the settings text, the rest is the member "x.bmp" of the
// archive, which every picture key may name.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/skin/SkinModel.h"
#include "tools/skinpack/SkinArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t iniSize = nul ? static_cast<size_t>(nul - data) : size;
  std::vector<skinpack::Member> members;
  members.push_back(
      {"x.bmp", nul ? std::vector<uint8_t>(nul + 1, data + size) : std::vector<uint8_t>{}});
  members.push_back({"s.ini", std::vector<uint8_t>(data, data + iniSize)});
  TSkinReader archive;
  if (!archive.ReadDirectory(skinpack::WriteArchive(members))) return 0;
  const vpn::skin::IniText ini(std::string_view(reinterpret_cast<const char*>(data), iniSize));
  TSkinModel model;
  model.LoadFromIni(ini, archive);
  // Loading twice exercises the slots an earlier load left behind.
  model.LoadFromIni(ini, archive);
  return 0;
}
