// A packed skin from outside: the unpacker, the archive directory, every member, and
// the pictures among them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/skin/SkinPicture.h"
#include "core/skin/SkinReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TSkinReader reader;
  int messages = 0;
  reader.OnMessage = [&](const std::string&) { ++messages; };
  if (!reader.Load(std::span<const uint8_t>(data, size))) return 0;
  std::vector<uint8_t> member;
  for (const std::string& name : reader.Names) {
    reader.GetMember(name, member);
    if (name.ends_with(".bmp")) (void)vpn::skin::DecodeBmp(member);
  }
  std::string found;
  reader.FindMember(".ini", member, found);
  return 0;
}
