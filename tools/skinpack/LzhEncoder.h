// Packs bytes into the LZHUF bit stream that the skin unpacker reads: LZSS with a
// 4096-byte window, matches of 3 to 60 bytes found through binary search trees, and the
// same adaptive Huffman tree and position code as the unpacker.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace skinpack {

// The bit stream alone (no size word); empty for empty input.
std::vector<uint8_t> LzhEncode(std::span<const uint8_t> data);

// The packed layout: 32-bit little-endian unpacked size, then the bit stream.
std::vector<uint8_t> LzhPack(std::span<const uint8_t> data);

}  // namespace skinpack
