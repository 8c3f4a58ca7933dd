// Unpacks the LZHUF bit stream of a packed skin: LZSS dictionary coding with a 4096-byte
// window and matches of 3 to 60 bytes, adaptive Huffman coding of literals and match
// lengths, and a fixed code for the upper six bits of match positions.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "core/text/Exception.h"

class ElzhException : public Exception {
 public:
  using Exception::Exception;
};

// ReadBytes fills up to count bytes and answers how many it gave; fewer than asked
// means the input has ended, and every later bit reads as 0. WriteBytes takes count
// bytes of output.
using TLzhReadBytes = std::function<int(uint8_t* buffer, int count)>;
using TLzhWriteBytes = std::function<void(const uint8_t* buffer, int count)>;

class TLZH {
 public:
  // Decodes until UnpackedSize bytes have been produced (nothing for 0 or less). A match
  // that is under way when the size is reached is still copied to its end, so the
  // output can run up to 59 bytes past UnpackedSize. There is no check value: a
  // damaged stream decodes to other bytes, and input that ends early reads as zeros.
  void Unpack(int32_t UnpackedSize, const TLzhReadBytes& ReadBytes,
              const TLzhWriteBytes& WriteBytes);
};

namespace vpn::lzh {

// The same decoding over a bit stream held in memory.
std::vector<uint8_t> Unpack(std::span<const uint8_t> bits, int32_t unpackedSize);

}  // namespace vpn::lzh
