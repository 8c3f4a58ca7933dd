#include "core/lzh/Lzh.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>

#include "core/lzh/LzhTree.h"

namespace {

using namespace vpn::lzh;

// The state of one decoding run. Input and output pass through buffers of their own;
// the bytes produced are the same as with one byte per call.
class Decoder {
 public:
  Decoder(const TLzhReadBytes& read, const TLzhWriteBytes& write) : read_(read), write_(write) {
    // The window starts as blanks up to where the first byte goes; the tail that a
    // well-formed stream writes before it reads it stays zero.
    std::memset(text_.data(), ' ', kFirstWrite);
  }

  void Run(int32_t size) {
    int r = kFirstWrite;
    int64_t count = 0;
    while (count < size) {
      const int c = DecodeChar();
      if (c < 256) {
        Put(static_cast<uint8_t>(c));
        text_[r] = static_cast<uint8_t>(c);
        r = (r + 1) & (kWindow - 1);
        ++count;
      } else {
        const int start = (r - DecodePosition() - 1) & (kWindow - 1);
        const int length = c - 255 + kThreshold;
        for (int k = 0; k < length; ++k) {
          const uint8_t b = text_[(start + k) & (kWindow - 1)];
          Put(b);
          text_[r] = b;
          r = (r + 1) & (kWindow - 1);
          ++count;
        }
      }
    }
    Flush();
  }

 private:
  uint8_t NextByte() {
    if (inPos_ == inLen_) {
      inPos_ = inLen_ = 0;
      if (ended_) return 0;
      const int got = read_ ? read_(in_.data(), static_cast<int>(in_.size())) : 0;
      if (got < static_cast<int>(in_.size())) ended_ = true;
      if (got <= 0) return 0;
      inLen_ = got > static_cast<int>(in_.size()) ? static_cast<int>(in_.size()) : got;
    }
    return in_[inPos_++];
  }

  void Fill() {
    while (bitCount_ <= 8) {
      bitBuf_ = static_cast<uint16_t>(bitBuf_ | (NextByte() << (8 - bitCount_)));
      bitCount_ = static_cast<uint8_t>(bitCount_ + 8);
    }
  }

  int GetBit() {
    Fill();
    const int bit = bitBuf_ >> 15;
    bitBuf_ = static_cast<uint16_t>(bitBuf_ << 1);
    --bitCount_;
    return bit;
  }

  int GetByte() {
    Fill();
    const int byte = bitBuf_ >> 8;
    bitBuf_ = static_cast<uint16_t>(bitBuf_ << 8);
    bitCount_ = static_cast<uint8_t>(bitCount_ - 8);
    return byte;
  }

  int DecodeChar() {
    int x = tree_.son[kRoot];
    while (x < kNodes) x = tree_.son[x + GetBit()];
    x -= kNodes;
    tree_.Update(x);
    return x;
  }

  int DecodePosition() {
    const PositionTables& p = Positions();
    int i = GetByte();
    const int upper = p.code[i] << 6;
    for (int j = p.len[i] - 2; j > 0; --j) i = (i << 1) + GetBit();
    return upper | (i & 0x3F);
  }

  void Put(uint8_t b) {
    out_[outLen_++] = b;
    if (outLen_ == out_.size()) Flush();
  }

  void Flush() {
    if (outLen_ > 0 && write_) write_(out_.data(), static_cast<int>(outLen_));
    outLen_ = 0;
  }

  const TLzhReadBytes& read_;
  const TLzhWriteBytes& write_;
  HuffTree tree_;
  std::array<uint8_t, kWindow + kMaxMatch - 1> text_{};
  std::array<uint8_t, 4096> in_{};
  int inPos_ = 0, inLen_ = 0;
  bool ended_ = false;
  uint16_t bitBuf_ = 0;
  uint8_t bitCount_ = 0;
  std::array<uint8_t, 16384> out_{};
  size_t outLen_ = 0;
};

}  // namespace

void TLZH::Unpack(int32_t UnpackedSize, const TLzhReadBytes& ReadBytes,
                  const TLzhWriteBytes& WriteBytes) {
  std::unique_ptr<Decoder> decoder;
  try {
    decoder = std::make_unique<Decoder>(ReadBytes, WriteBytes);
  } catch (const std::bad_alloc&) {
    throw ElzhException("LZH : Cannot get memory for dictionary tables");
  }
  decoder->Run(UnpackedSize);  // the tables go with the decoder, also when it throws
}

namespace vpn::lzh {

std::vector<uint8_t> Unpack(std::span<const uint8_t> bits, int32_t unpackedSize) {
  std::vector<uint8_t> out;
  if (unpackedSize > 0) out.reserve(static_cast<size_t>(unpackedSize) + kMaxMatch);
  size_t pos = 0;
  TLZH().Unpack(
      unpackedSize,
      [&](uint8_t* buffer, int count) {
        const size_t n = std::min(static_cast<size_t>(count), bits.size() - pos);
        if (n > 0) std::memcpy(buffer, bits.data() + pos, n);
        pos += n;
        return static_cast<int>(n);
      },
      [&](const uint8_t* buffer, int count) { out.insert(out.end(), buffer, buffer + count); });
  return out;
}

}  // namespace vpn::lzh
