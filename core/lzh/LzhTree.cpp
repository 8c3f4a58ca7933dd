#include "core/lzh/LzhTree.h"

#include <algorithm>

namespace vpn::lzh {

namespace {

PositionTables MakePositions() {
  struct Group {
    int values, codesEach, bits;
  };
  constexpr Group groups[] = {{1, 32, 3}, {3, 16, 4}, {8, 8, 5},
                              {12, 4, 6}, {24, 2, 7}, {16, 1, 8}};
  PositionTables t;
  int byte = 0, upper = 0;
  for (const Group& g : groups)
    for (int v = 0; v < g.values; ++v, ++upper)
      for (int c = 0; c < g.codesEach; ++c, ++byte) {
        t.code[byte] = static_cast<uint8_t>(upper);
        t.len[byte] = static_cast<uint8_t>(g.bits);
      }
  return t;
}

}  // namespace

const PositionTables& Positions() {
  static const PositionTables tables = MakePositions();
  return tables;
}

void HuffTree::Start() {
  for (int i = 0; i < kSymbols; ++i) {
    freq[i] = 1;
    son[i] = static_cast<int16_t>(i + kNodes);
    prnt[i + kNodes] = static_cast<int16_t>(i);
  }
  for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
    freq[j] = static_cast<uint16_t>(freq[i] + freq[i + 1]);
    son[j] = static_cast<int16_t>(i);
    prnt[i] = prnt[i + 1] = static_cast<int16_t>(j);
  }
  freq[kNodes] = 0xFFFF;  // sentinel: no count ever passes it
  prnt[kRoot] = 0;
  rebuilds = 0;
}

// Halves every leaf count and builds the tree again from the leaves, keeping the
// counts sorted ascending so that the sibling property holds.
void HuffTree::Rebuild() {
  int j = 0;
  for (int i = 0; i < kNodes; ++i) {
    if (son[i] >= kNodes) {
      freq[j] = static_cast<uint16_t>((freq[i] + 1) / 2);
      son[j] = son[i];
      ++j;
    }
  }
  for (int i = 0, n = kSymbols; n < kNodes; i += 2, ++n) {
    const uint16_t f = static_cast<uint16_t>(freq[i] + freq[i + 1]);
    int k = n - 1;
    while (f < freq[k]) --k;
    ++k;
    std::copy_backward(freq.begin() + k, freq.begin() + n, freq.begin() + n + 1);
    std::copy_backward(son.begin() + k, son.begin() + n, son.begin() + n + 1);
    freq[k] = f;
    son[k] = static_cast<int16_t>(i);
  }
  for (int i = 0; i < kNodes; ++i) {
    const int k = son[i];
    if (k >= kNodes) {
      prnt[k] = static_cast<int16_t>(i);
    } else {
      prnt[k] = prnt[k + 1] = static_cast<int16_t>(i);
    }
  }
  ++rebuilds;
}

void HuffTree::Update(int symbol) {
  if (freq[kRoot] == kMaxFreq) Rebuild();
  int c = prnt[symbol + kNodes];
  do {
    const uint16_t k = ++freq[c];
    int l = c + 1;
    if (k > freq[l]) {
      // Move this node behind the last one with a smaller count and swap the subtrees.
      while (k > freq[++l]) {
      }
      --l;
      freq[c] = freq[l];
      freq[l] = k;
      const int i = son[c];
      prnt[i] = static_cast<int16_t>(l);
      if (i < kNodes) prnt[i + 1] = static_cast<int16_t>(l);
      const int j = son[l];
      son[l] = static_cast<int16_t>(i);
      prnt[j] = static_cast<int16_t>(c);
      if (j < kNodes) prnt[j + 1] = static_cast<int16_t>(c);
      son[c] = static_cast<int16_t>(j);
      c = l;
    }
  } while ((c = prnt[c]) != 0);
}

}  // namespace vpn::lzh
