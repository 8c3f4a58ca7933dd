// skinbench: how fast the default skin unpacks and loads.
//
//   skinbench SKIN [ROUNDS]
//
// Prints the unpacker's throughput on the skin (MB of unpacked bytes per second), the
// time to read the archive directory, and the time to load the whole skin into the
// model (unpacking, settings, pictures).
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/lzh/Lzh.h"
#include "core/skin/SkinModel.h"
#include "core/skin/SkinReader.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: skinbench SKIN [ROUNDS]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<uint8_t> packed(std::istreambuf_iterator<char>(in), {});
  if (packed.size() < 4) return 1;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 50;
  using clock = std::chrono::steady_clock;
  const int32_t size = vpn::skin::ReadLE32(packed.data());

  auto t0 = clock::now();
  size_t produced = 0;
  for (int i = 0; i < rounds; ++i)
    produced += vpn::lzh::Unpack(std::span<const uint8_t>(packed).subspan(4), size).size();
  const double unpack = std::chrono::duration<double>(clock::now() - t0).count();

  t0 = clock::now();
  for (int i = 0; i < rounds; ++i) {
    TSkinReader r;
    if (!r.Load(packed)) return 1;
  }
  const double read = std::chrono::duration<double>(clock::now() - t0).count();

  t0 = clock::now();
  for (int i = 0; i < rounds; ++i) {
    TSkinModel m;
    m.PackedSkin = packed;
    if (!m.LoadSkinStore()) return 1;
  }
  const double load = std::chrono::duration<double>(clock::now() - t0).count();

  std::printf("skin: %zu packed bytes, %d unpacked\n", packed.size() - 4, size);
  std::printf("unpack: %.1f MB/s (%.3f ms per skin)\n", produced / unpack / 1e6, unpack / rounds * 1e3);
  std::printf("archive read (unpack + directory): %.3f ms\n", read / rounds * 1e3);
  std::printf("whole skin into the model: %.3f ms\n", load / rounds * 1e3);
  return 0;
}
