// Loading and saving a full driver: 126 functions with NEC-style frames,
// a few of them with a second burst, and a typical header.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchDrivers.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"

namespace {

using namespace quillon;
using quillon::bench::NecFrame;

TQVXIr MakeDriver() {
  TQVXIr ir;
  ir.GetHeader().AddText(0x81, "Generic");
  ir.GetHeader().AddText(0x82, "RX-900");
  ir.GetHeader().AddText(0x83, "RECEIVER");
  ir.GetHeader().AddText(0x84, "1");
  ir.GetHeader().AddText(0x86, "Benchmark driver");
  const std::uint8_t flags[4] = {0, 0, 0, 1};
  ir.GetHeader().AddBinary(0xFF, 4, flags);
  for (int i = 0; i < 126; ++i) {
    auto f = std::make_unique<TQVXIrFunction>();
    f->SetName("FUNCTION " + std::to_string(i));
    f->AddSubFunction(NecFrame(0x40, static_cast<std::uint8_t>(i)));
    if (i % 10 == 0) f->AddSubFunction(NecFrame(0x41, static_cast<std::uint8_t>(i)));
    ir.Append(std::move(f));
  }
  return ir;
}

std::vector<std::uint8_t> Image(TQVXIr& ir) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(ir.ComputeSize(true, 0)));
  TQVXIrSaveBuffer out(bytes.data(), bytes.size());
  ir.Save(out, 0);
  return bytes;
}

void BM_SaveDriver(benchmark::State& state) {
  TQVXIr ir = MakeDriver();
  std::size_t size = 0;
  for (auto _ : state) {
    std::vector<std::uint8_t> bytes = Image(ir);
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
  state.counters["file_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_SaveDriver);

void BM_LoadDriver(benchmark::State& state) {
  TQVXIr source = MakeDriver();
  const std::vector<std::uint8_t> bytes = Image(source);
  for (auto _ : state) {
    TQVXIr ir;
    TQVXIrLoadBuffer in(bytes.data(), bytes.size());
    ir.Load(in);
    benchmark::DoNotOptimize(ir.GetFunctionCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadDriver);

}  // namespace

BENCHMARK_MAIN();
