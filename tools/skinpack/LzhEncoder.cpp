#include "tools/skinpack/LzhEncoder.h"

#include <array>
#include <stdexcept>

#include "core/lzh/LzhTree.h"

namespace skinpack {

namespace {

using namespace vpn::lzh;

constexpr int kNil = kWindow;  // "no node" in the search trees

class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
  void Bit(int b) {
    acc_ = static_cast<uint8_t>((acc_ << 1) | (b & 1));
    if (++n_ == 8) {
      out_.push_back(acc_);
      acc_ = 0;
      n_ = 0;
    }
  }
  void Bits(unsigned value, int count) {  // the lowest `count` bits, highest first
    for (int i = count - 1; i >= 0; --i) Bit((value >> i) & 1);
  }
  void Finish() {
    if (n_ > 0) out_.push_back(static_cast<uint8_t>(acc_ << (8 - n_)));
    acc_ = 0;
    n_ = 0;
  }

 private:
  std::vector<uint8_t>& out_;
  uint8_t acc_ = 0;
  int n_ = 0;
};

class Encoder {
 public:
  Encoder(std::span<const uint8_t> data, std::vector<uint8_t>& out) : data_(data), bits_(out) {
    for (int i = kWindow + 1; i <= kWindow + 256; ++i) rson_[i] = kNil;
    for (int i = 0; i < kWindow; ++i) dad_[i] = kNil;
    // Inverse of the unpacker's position tables: first code byte and length per value.
    const PositionTables& p = Positions();
    for (int b = 255; b >= 0; --b) {
      posCode_[p.code[b]] = static_cast<uint8_t>(b);
      posLen_[p.code[b]] = p.len[b];
    }
  }

  void Run() {
    int s = 0, r = kFirstWrite;
    for (int i = s; i < r; ++i) text_[i] = ' ';
    int len = 0;
    while (len < kMaxMatch && Next()) text_[r + len++] = last_;
    for (int i = 1; i <= kMaxMatch; ++i) InsertNode(r - i);
    InsertNode(r);
    do {
      if (matchLength_ > len) matchLength_ = len;
      if (matchLength_ <= kThreshold) {
        matchLength_ = 1;
        EncodeChar(text_[r]);
      } else {
        EncodeChar(255 - kThreshold + matchLength_);
        EncodePosition(matchPosition_);
      }
      const int lastMatch = matchLength_;
      int i = 0;
      for (; i < lastMatch && Next(); ++i) {
        DeleteNode(s);
        text_[s] = last_;
        if (s < kMaxMatch - 1) text_[s + kWindow] = last_;  // mirror for comparisons
        s = (s + 1) & (kWindow - 1);
        r = (r + 1) & (kWindow - 1);
        InsertNode(r);
      }
      while (i++ < lastMatch) {
        DeleteNode(s);
        s = (s + 1) & (kWindow - 1);
        r = (r + 1) & (kWindow - 1);
        if (--len) InsertNode(r);
      }
    } while (len > 0);
    bits_.Finish();
  }

 private:
  bool Next() {
    if (pos_ >= data_.size()) return false;
    last_ = data_[pos_++];
    return true;
  }

  // Inserts the string at r into its tree and finds the longest earlier match of it;
  // of equally long matches the nearest is kept.
  void InsertNode(int r) {
    int cmp = 1;
    const uint8_t* key = &text_[r];
    int p = kWindow + 1 + key[0];
    rson_[r] = lson_[r] = kNil;
    matchLength_ = 0;
    for (;;) {
      if (cmp >= 0) {
        if (rson_[p] != kNil) {
          p = rson_[p];
        } else {
          rson_[p] = r;
          dad_[r] = p;
          return;
        }
      } else {
        if (lson_[p] != kNil) {
          p = lson_[p];
        } else {
          lson_[p] = r;
          dad_[r] = p;
          return;
        }
      }
      int i = 1;
      for (; i < kMaxMatch; ++i)
        if ((cmp = key[i] - text_[p + i]) != 0) break;
      if (i > kThreshold) {
        const int distance = ((r - p) & (kWindow - 1)) - 1;
        if (i > matchLength_) {
          matchPosition_ = distance;
          if ((matchLength_ = i) >= kMaxMatch) break;
        } else if (i == matchLength_ && distance < matchPosition_) {
          matchPosition_ = distance;
        }
      }
    }
    // A full-length match: r takes p's place in the tree.
    dad_[r] = dad_[p];
    lson_[r] = lson_[p];
    rson_[r] = rson_[p];
    dad_[lson_[p]] = r;
    dad_[rson_[p]] = r;
    if (rson_[dad_[p]] == p) {
      rson_[dad_[p]] = r;
    } else {
      lson_[dad_[p]] = r;
    }
    dad_[p] = kNil;
  }

  void DeleteNode(int p) {
    if (dad_[p] == kNil) return;
    int q;
    if (rson_[p] == kNil) {
      q = lson_[p];
    } else if (lson_[p] == kNil) {
      q = rson_[p];
    } else {
      q = lson_[p];
      if (rson_[q] != kNil) {
        do {
          q = rson_[q];
        } while (rson_[q] != kNil);
        rson_[dad_[q]] = lson_[q];
        dad_[lson_[q]] = dad_[q];
        lson_[q] = lson_[p];
        dad_[lson_[p]] = q;
      }
      rson_[q] = rson_[p];
      dad_[rson_[p]] = q;
    }
    dad_[q] = dad_[p];
    if (rson_[dad_[p]] == p) {
      rson_[dad_[p]] = q;
    } else {
      lson_[dad_[p]] = q;
    }
    dad_[p] = kNil;
  }

  // The code of a symbol is its path from the root: at each node, 1 for the second
  // child of a pair. Paths may be longer than 16 bits; they are written bit by bit.
  void EncodeChar(int symbol) {
    int depth = 0;
    int k = tree_.prnt[symbol + kNodes];
    do {
      path_[depth++] = static_cast<uint8_t>(k & 1);
      k = tree_.prnt[k];
    } while (k != kRoot);
    while (depth > 0) bits_.Bit(path_[--depth]);
    tree_.Update(symbol);
  }

  void EncodePosition(int position) {
    const int upper = position >> 6;
    bits_.Bits(posCode_[upper] >> (8 - posLen_[upper]), posLen_[upper]);
    bits_.Bits(static_cast<unsigned>(position & 0x3F), 6);
  }

  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  uint8_t last_ = 0;
  BitWriter bits_;
  HuffTree tree_;
  std::array<uint8_t, kWindow + kMaxMatch - 1> text_{};
  std::array<int, kWindow + 1> lson_{};
  std::array<int, kWindow + 257> rson_{};
  std::array<int, kWindow + 1> dad_{};
  std::array<uint8_t, kNodes> path_{};
  std::array<uint8_t, 64> posCode_{};
  std::array<uint8_t, 64> posLen_{};
  int matchPosition_ = 0;
  int matchLength_ = 0;
};

}  // namespace

std::vector<uint8_t> LzhEncode(std::span<const uint8_t> data) {
  std::vector<uint8_t> out;
  if (data.empty()) return out;
  Encoder(data, out).Run();
  return out;
}

std::vector<uint8_t> LzhPack(std::span<const uint8_t> data) {
  if (data.size() > 0x7FFFFFFF) throw std::length_error("more than 2 GB cannot be packed");
  const uint32_t size = static_cast<uint32_t>(data.size());
  std::vector<uint8_t> out = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                              static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
  const std::vector<uint8_t> bits = LzhEncode(data);
  out.insert(out.end(), bits.begin(), bits.end());
  return out;
}

}  // namespace skinpack
