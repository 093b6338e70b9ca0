// LZSS encode and decode throughput on 1 MiB each of text-like,
// driver-like and random data, beside zlib's deflate at level 6 on the
// same inputs when zlib is available.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "filetools/LzssOperations.h"

#ifdef QUILLON_HAVE_ZLIB
#include <zlib.h>
#endif

namespace {

constexpr size_t kSize = 1 << 20;

std::vector<uint8_t> TextLike() {
  static const char* words[] = {"POWER", "ON", "OFF", "VOLUME", "UP", "DOWN", "CHANNEL", "MUTE", "INPUT",
                                "HDMI", "menu", "select", "[Functions]", "divider=1736", "repeat=4", "\r\n"};
  std::mt19937 rng(1);
  std::vector<uint8_t> out;
  out.reserve(kSize);
  while (out.size() < kSize) {
    const std::string w = words[rng() % std::size(words)];
    out.insert(out.end(), w.begin(), w.end());
    out.push_back(rng() % 5 == 0 ? '=' : ' ');
    if (rng() % 7 == 0) {
      const std::string n = std::to_string(rng() % 1000);
      out.insert(out.end(), n.begin(), n.end());
    }
  }
  out.resize(kSize);
  return out;
}

// Driver files: short headers and many function records of time tables
// and selector bytes with small variations.
std::vector<uint8_t> DriverLike() {
  std::mt19937 rng(2);
  std::vector<uint8_t> out;
  out.reserve(kSize);
  while (out.size() < kSize) {
    const uint8_t name[] = {'K', 'E', 'Y', static_cast<uint8_t>('0' + rng() % 10), 0, 0, 0, 0};
    out.insert(out.end(), name, name + sizeof name);
    const uint16_t divider = static_cast<uint16_t>(1736 + rng() % 3);
    out.push_back(static_cast<uint8_t>(divider));
    out.push_back(static_cast<uint8_t>(divider >> 8));
    for (int t = 0; t < 15; ++t) {
      const uint16_t time = static_cast<uint16_t>((t % 4 + 1) * 21 + rng() % 2);
      out.push_back(static_cast<uint8_t>(time));
      out.push_back(static_cast<uint8_t>(time >> 8));
    }
    for (int s = 0; s < 34; ++s) out.push_back(static_cast<uint8_t>((rng() % 3 == 0) ? 0x12 : 0x13));
  }
  out.resize(kSize);
  return out;
}

std::vector<uint8_t> RandomBytes() {
  std::mt19937 rng(3);
  std::vector<uint8_t> out(kSize);
  for (auto& b : out) b = static_cast<uint8_t>(rng());
  return out;
}

const std::vector<uint8_t>& Input(int kind) {
  static const std::vector<uint8_t> inputs[] = {TextLike(), DriverLike(), RandomBytes()};
  return inputs[kind];
}

const char* KindName(int kind) { return kind == 0 ? "text" : kind == 1 ? "driver" : "random"; }

void LzssEncode(benchmark::State& state) {
  const auto& in = Input(static_cast<int>(state.range(0)));
  std::vector<uint8_t> out(in.size() * 9 / 8 + 16);
  int32_t length = 0;
  for (auto _ : state) {
    length = static_cast<int32_t>(out.size());
    quillon::filetools::EncodeMemToMem(in.data(), static_cast<int32_t>(in.size()), out.data(), &length);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
  state.SetLabel(std::string(KindName(static_cast<int>(state.range(0)))) + " ratio " +
                 std::to_string(static_cast<double>(length) / static_cast<double>(in.size())));
}

void LzssDecode(benchmark::State& state) {
  const auto& in = Input(static_cast<int>(state.range(0)));
  std::vector<uint8_t> packed(in.size() * 9 / 8 + 16);
  int32_t packedLength = static_cast<int32_t>(packed.size());
  quillon::filetools::EncodeMemToMem(in.data(), static_cast<int32_t>(in.size()), packed.data(), &packedLength);
  std::vector<uint8_t> out(in.size());
  for (auto _ : state) {
    int32_t length = static_cast<int32_t>(out.size());
    quillon::filetools::DecodeMemToMem(packed.data(), packedLength, out.data(), &length);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
  state.SetLabel(KindName(static_cast<int>(state.range(0))));
}

BENCHMARK(LzssEncode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(LzssDecode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

#ifdef QUILLON_HAVE_ZLIB
void DeflateLevel6(benchmark::State& state) {
  const auto& in = Input(static_cast<int>(state.range(0)));
  std::vector<uint8_t> out(compressBound(static_cast<uLong>(in.size())));
  uLongf length = 0;
  for (auto _ : state) {
    length = static_cast<uLongf>(out.size());
    compress2(out.data(), &length, in.data(), static_cast<uLong>(in.size()), 6);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
  state.SetLabel(std::string(KindName(static_cast<int>(state.range(0)))) + " ratio " +
                 std::to_string(static_cast<double>(length) / static_cast<double>(in.size())));
}

void InflateLevel6(benchmark::State& state) {
  const auto& in = Input(static_cast<int>(state.range(0)));
  std::vector<uint8_t> packed(compressBound(static_cast<uLong>(in.size())));
  uLongf packedLength = static_cast<uLongf>(packed.size());
  compress2(packed.data(), &packedLength, in.data(), static_cast<uLong>(in.size()), 6);
  std::vector<uint8_t> out(in.size());
  for (auto _ : state) {
    uLongf length = static_cast<uLongf>(out.size());
    uncompress(out.data(), &length, packed.data(), packedLength);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
  state.SetLabel(KindName(static_cast<int>(state.range(0))));
}

BENCHMARK(DeflateLevel6)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(InflateLevel6)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
