// Writes the unpacked skin archive layout: format tag 20000, the byte length of the
// name list, two unused words, the names each ended by CR LF, one 32-bit size per
// member, then the member contents back to back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skinpack {

struct Member {
  std::string name;
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> WriteArchive(const std::vector<Member>& members);

// The skin stream as a window layout stores it: 32-bit length, then the packed bytes.
std::vector<uint8_t> FrameSkinStream(const std::vector<uint8_t>& packed);

// A C++ source that defines the bytes as `const unsigned char <symbol>[]` and
// `const unsigned <symbol>Size`.
std::string EmbedSource(const std::vector<uint8_t>& bytes, const std::string& symbol);

}  // namespace skinpack
