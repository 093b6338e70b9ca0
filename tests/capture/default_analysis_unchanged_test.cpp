// The specified analysis, which is what every capture gets by default (the
// capture settings as they come, through the entry the learn dialog and the
// command-line tool use), must give exactly what it gave before the enhanced
// analysis was added beside it: independent checks compare its results byte
// for byte. The digests in tests/data/capture/default_analysis_results.txt were
// written by the analysis as it stood then, over the corpus (plain, cut
// short, with dropouts and with leading noise, under three sets of capture
// settings) and over synthesised protocol captures. Rewrite them
// (QUILLON_WRITE_SPECIFIED_DIGESTS=FILE) only when the specified analysis is
// meant to change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "capture/IrImpair.h"
#include "capture/IrSynth.h"
#include "capture/TIrCaptureAnalysis.h"
#include "capture/TIrCaptureResult.h"
#include "tests/capture/CorpusCases.h"

namespace {

using namespace quillon;
using namespace quillon::testing_support;

const char* const kDigests = QUILLON_TEST_DATA_DIR "/capture/default_analysis_results.txt";

class Digest {
 public:
  void Add(uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      m_hash ^= (v >> (8 * i)) & 0xFF;
      m_hash *= 1099511628211ull;
    }
  }
  std::string Hex() const {
    std::ostringstream out;
    out << std::hex << m_hash;
    return out.str();
  }

 private:
  uint64_t m_hash = 14695981039346656037ull;
};

// Everything the analysis leaves in the result, the Halvar intervals included.
std::string Describe(int32_t code, const TIrCaptureResult& r) {
  Digest d;
  d.Add(static_cast<uint32_t>(code), 4);
  d.Add(r.divider, 2);
  d.Add(r.modulated, 1);
  d.Add(static_cast<uint32_t>(r.min_repeats), 4);
  d.Add(static_cast<uint32_t>(r.result), 4);
  d.Add(static_cast<uint32_t>(r.time_count), 4);
  for (uint16_t t : r.times) d.Add(t, 2);
  d.Add(static_cast<uint32_t>(r.header_count), 4);
  for (uint8_t s : r.header_selectors) d.Add(s, 1);
  d.Add(static_cast<uint32_t>(r.body_count), 4);
  for (uint8_t s : r.body_selectors) d.Add(s, 1);
  for (const TIrRecord& rec : r.halvar_records) {
    d.Add(rec.marker, 2);
    d.Add(rec.value, 4);
  }
  return std::to_string(code) + " " + d.Hex();
}

struct Variant {
  const char* name;
  TIrCaptureSettings settings;
  bool brief;
};

std::vector<Variant> Variants(TIrCaptureKind kind) {
  const TIrCaptureSettings defaults = TIrCaptureSettings::Defaults(kind);
  TIrCaptureSettings loose = defaults;
  if (kind == TIrCaptureKind::QVX) {
    loose.leading_discard_threshold = 2;
    loose.head_body_deviation = 25;
    loose.max_moe = 40.0f;
    loose.moe_scalar = 3.0f;
  } else {
    loose.max_carrier = 80000;
    loose.head_body_deviation = 5;
    loose.max_moe = 10.0f;
    loose.moe_scalar = 2.5f;
  }
  return {{"default", defaults, false}, {"brief", defaults, true}, {"loose", loose, false}};
}

// The first half of a capture, cut the way a learner that stopped early
// would leave it.
std::vector<uint8_t> CutShort(TIrCaptureKind kind, std::vector<uint8_t> bytes) {
  if (kind == TIrCaptureKind::QVX) {
    if (bytes.size() < 4) return bytes;
    const uint32_t count = ((uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) |
                            (uint32_t{bytes[2]} << 8) | bytes[3]) / 2;
    bytes.resize(4 + 6 * size_t{count});
    for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(count >> (24 - 8 * i));
    return bytes;
  }
  for (size_t i = 4 + 2 * 301; i < bytes.size(); ++i) bytes[i] = 0;
  return bytes;
}

std::map<std::string, std::string> Compute() {
  std::map<std::string, std::string> out;
  auto run = [&out](const std::string& key, TIrCaptureKind kind, const TIrCaptureSettings& settings,
                    bool brief, const std::vector<uint8_t>& bytes) {
    TIrCaptureResult result;
    const int32_t code = TIrCaptureAnalysis::Analyse(kind, settings, brief, bytes.data(),
                                                     static_cast<int32_t>(bytes.size()), result);
    out[key] = Describe(code, result);
  };
  const std::pair<TIrCaptureKind, const char*> kinds[] = {{TIrCaptureKind::QVX, "qvx"},
                                                          {TIrCaptureKind::Halvar, "halvar"}};
  for (const auto& [kind, folder] : kinds) {
    const TIrCaptureSettings defaults = TIrCaptureSettings::Defaults(kind);
    uint32_t seed = 0;
    for (const CorpusSignal& s : Corpus()) {
      ++seed;
      const std::string base = std::string(folder) + "/" + s.id + "/";
      for (const Variant& v : Variants(kind)) run(base + v.name, kind, v.settings, v.brief, s.Capture(kind));
      run(base + "cut", kind, defaults, false, CutShort(kind, s.Capture(kind)));
      run(base + "dropouts", kind, defaults, false, IrImpair::AddDropouts(kind, s.Capture(kind), 0.05, seed));
      run(base + "noise", kind, defaults, false, IrImpair::AddLeadingNoise(kind, s.Capture(kind), seed));
    }
    for (const std::string& protocol : IrSynth::Protocols()) {
      for (uint32_t seed = 1; seed <= 3; ++seed) {
        for (int frames : {1, 4}) {
          IrSynth::Options o;
          o.seed = seed;
          o.frames = frames;
          o.address = 0x20 + seed;
          o.command = 0x11 * seed;
          const TIrTimeline t = IrSynth::Make(protocol, o);
          const auto bytes = kind == TIrCaptureKind::QVX ? IrSynth::ToQVX(t, o) : IrSynth::ToHalvar(t, o);
          run(std::string(folder) + "/" + protocol + "-" + std::to_string(seed) + "x" +
                  std::to_string(frames) + "/default",
              kind, defaults, false, bytes);
        }
      }
    }
  }
  return out;
}

TEST(SpecifiedAnalysis, GivesExactlyWhatItGaveBefore) {
  ASSERT_EQ(Corpus().size(), 200u);
  const std::map<std::string, std::string> now = Compute();
  if (const char* path = std::getenv("QUILLON_WRITE_SPECIFIED_DIGESTS")) {
    std::ofstream out(path);
    for (const auto& [key, value] : now) out << key << " " << value << "\n";
    GTEST_SKIP() << "digests written to " << path;
  }
  std::ifstream in(kDigests);
  ASSERT_TRUE(in) << kDigests;
  std::map<std::string, std::string> before;
  std::string key, code, hash;
  while (in >> key >> code >> hash) before[key] = code + " " + hash;
  ASSERT_EQ(before.size(), now.size());
  int differing = 0;
  for (const auto& [k, v] : now) {
    const auto it = before.find(k);
    ASSERT_NE(it, before.end()) << k;
    if (it->second != v && ++differing <= 10) ADD_FAILURE() << k << ": " << v << ", before " << it->second;
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
