// Package block codec: decode throughput on 10 MiB of mixed data (text,
// noise, runs and repeats) and encoding at levels 1-5 (speed and size).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "pkgreader/PkgBlockCodec.h"

namespace {

using quillon::CPkgBlockCodec;

const std::vector<uint8_t>& MixedData() {
  static const std::vector<uint8_t> data = [] {
    constexpr size_t kSize = 10u << 20;
    std::mt19937 rng(42);
    std::vector<uint8_t> out;
    out.reserve(kSize);
    const std::string words[] = {"[model_0]\r\n", "TypeId=4\r\n", "BrandId=17\r\n", "ModelName=DVD-100\r\n",
                                 "POWER", "PLAY", "STOP", "Drvpkg=ABC\r\nVersion=1,2,5\r\n"};
    while (out.size() < kSize) {
      switch (rng() % 5) {
        case 0:
        case 1: {
          const std::string& w = words[rng() % 8];
          out.insert(out.end(), w.begin(), w.end());
          break;
        }
        case 2:
          for (int i = 0; i < 64; ++i) out.push_back(static_cast<uint8_t>(rng()));
          break;
        case 3:
          out.insert(out.end(), 8 + rng() % 200, static_cast<uint8_t>(rng()));
          break;
        default:
          if (out.size() > 4096) {
            const size_t back = 1 + rng() % 4000;
            const size_t len = 16 + rng() % 600;
            const size_t from = out.size() - back;
            for (size_t i = 0; i < len; ++i) out.push_back(out[from + i]);
          }
      }
    }
    out.resize(kSize);
    return out;
  }();
  return data;
}

void BM_Decode(benchmark::State& state) {
  const auto& data = MixedData();
  const auto packed = CPkgBlockCodec::Encode(data.data(), data.size(), static_cast<int>(state.range(0)));
  std::vector<uint8_t> out;
  for (auto _ : state) {
    if (!CPkgBlockCodec::Decode(packed.data(), packed.size(), out)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.size()));
  state.counters["ratio"] = static_cast<double>(packed.size()) / static_cast<double>(data.size());
}
BENCHMARK(BM_Decode)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_Encode(benchmark::State& state) {
  const auto& data = MixedData();
  const int level = static_cast<int>(state.range(0));
  size_t packedSize = 0;
  for (auto _ : state) {
    const auto packed = CPkgBlockCodec::Encode(data.data(), data.size(), level);
    packedSize = packed.size();
    benchmark::DoNotOptimize(packed.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.size()));
  state.counters["packed_bytes"] = static_cast<double>(packedSize);
  state.counters["ratio"] = static_cast<double>(packedSize) / static_cast<double>(data.size());
}
BENCHMARK(BM_Encode)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
