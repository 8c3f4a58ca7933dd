// Measures servers at once as the speed test of a line does and prints how long each
// measurement took:
//   sweep_bench ROUNDS TIMEOUT_MS HOST...
// Each round: every host gets nine echo requests (20 ms apart) and waits up to TIMEOUT_MS
// for each. Lines: "round <i> <ms> answered <n>/<hosts>", then "median_ms <ms>".
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/NetSpeedSweep.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: sweep_bench ROUNDS TIMEOUT_MS HOST...\n");
    return 2;
  }
  const int rounds = std::max(std::atoi(argv[1]), 1);
  const int timeout = std::max(std::atoi(argv[2]), 1);
  std::vector<TSweepTarget> targets;
  for (int i = 3; i < argc; ++i) targets.push_back({argv[i], 0});
  try {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
      TNetSpeedSweep sweep;
      const auto start = std::chrono::steady_clock::now();
      const auto outcomes = sweep.Run(targets, {.Echoes = 9, .TimeoutMs = timeout, .SpacingMs = 20});
      const double ms =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      int answered = 0;
      for (const TSweepOutcome& o : outcomes) answered += o.Answered > 0;
      std::printf("round %d %.1f answered %d/%zu\n", r + 1, ms, answered, targets.size());
      times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("median_ms %.1f\n", times[times.size() / 2]);
  } catch (const std::exception& e) {
    std::printf("error: %s\n", e.what());
    return 1;
  }
  return 0;
}
