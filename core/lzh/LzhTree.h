// The adaptive Huffman coding shared by the skin packer and the skin unpacker: one tree
// over the 314 literal and match-length symbols whose counts follow the data, and the
// fixed code of the upper six bits of a match position.
#pragma once

#include <array>
#include <cstdint>

namespace vpn::lzh {

constexpr int kWindow = 4096;                           // N: dictionary window
constexpr int kMaxMatch = 60;                           // F: longest match
constexpr int kThreshold = 2;                           // matches longer than this are coded
constexpr int kSymbols = 256 - kThreshold + kMaxMatch;  // N_CHAR: 314
constexpr int kNodes = 2 * kSymbols - 1;                // T: 627
constexpr int kRoot = kNodes - 1;                       // R: 626
constexpr int kMaxFreq = 0x8000;                        // root count that rebuilds the tree
constexpr int kFirstWrite = kWindow - kMaxMatch;        // 4036: where the first byte goes

// Upper six bits of a position from the first byte of its code, and the code's total
// length in bits (3 to 8). Built from the groups of the published code: 1 value with
// 32 codes of 3 bits, 3 with 16 of 4, 8 with 8 of 5, 12 with 4 of 6, 24 with 2 of 7
// and 16 with 1 of 8.
struct PositionTables {
  std::array<uint8_t, 256> code{};  // d_code
  std::array<uint8_t, 256> len{};   // d_len
};
const PositionTables& Positions();

class HuffTree {
 public:
  HuffTree() { Start(); }
  void Start();  // every symbol with count 1 in a balanced tree (StartHuff)
  void Update(int symbol);

  // The tree as the decoder walks it: son[R] is the root's first child.
  std::array<uint16_t, kNodes + 1> freq{};
  std::array<int16_t, kNodes + kSymbols> prnt{};
  std::array<int16_t, kNodes> son{};

  int rebuilds = 0;  // how often the counts were halved (for tests and the benchmark)

 private:
  void Rebuild();
};

}  // namespace vpn::lzh
