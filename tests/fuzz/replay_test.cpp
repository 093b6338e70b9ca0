// Feeds every libFuzzer entry of fuzz/ its kept inputs and a few thousand
// generated ones. Kept inputs are tests/data/fuzz/<target>/* (valid files
// made by the program's own tools and inputs that once broke a parser).
// Generated inputs are mutations of the kept ones (bit flips, overwritten,
// inserted, removed and duplicated runs, cuts, splices, boundary values)
// plus plain random bytes, from a fixed seed so any failure repeats. A
// failing input is written to <build>/fuzz-failures/ to be kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"

namespace quillon::fuzz {

namespace {

std::map<std::string, Entry>& Registry() {
  static std::map<std::string, Entry> targets;
  return targets;
}

struct CheckFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace

bool Register(const char* name, Entry entry) {
  Registry()[name] = entry;
  return true;
}

void CheckFailed(const char* condition, const char* file, int line) {
  std::ostringstream text;
  text << file << ":" << line << ": " << condition;
  throw CheckFailure(text.str());
}

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Inputs generated per target beside the kept ones.
constexpr int kGenerated = 3000;
// Generated inputs stay below this size.
constexpr std::size_t kMaxGenerated = 16384;
// Generation stops early once a target has run this long (slow machines,
// sanitizer builds); the kept inputs always run.
constexpr auto kGenerateBudget = std::chrono::seconds(20);

// The targets: one per fuzz/<name>_fuzz.cpp, listed by the build.
std::vector<std::string> EntryNames() {
  std::vector<std::string> names;
  std::stringstream list(QUILLON_FUZZ_ENTRIES);
  for (std::string name; std::getline(list, name, ',');)
    if (!name.empty()) names.push_back(name);
  return names;
}
const std::vector<std::string> kTargets = EntryNames();

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> KeptInputs(const std::string& target) {
  std::vector<fs::path> files;
  const fs::path dir = fs::path(QUILLON_TEST_DATA_DIR) / "fuzz" / target;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(dir, ec))
    if (item.is_regular_file()) files.push_back(item.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Runs ENTRY on INPUT; a failed check or an escaping exception fails the
// test, names the input and keeps a copy of it.
void RunOne(const std::string& target, Entry entry, const Bytes& input, const std::string& label) {
  std::string failure;
  try {
    entry(input.data(), input.size());
    return;
  } catch (const CheckFailure& check) {
    failure = std::string("check failed: ") + check.what();
  } catch (const std::exception& e) {
    failure = std::string("exception escaped: ") + e.what();
  } catch (...) {
    failure = "unknown exception escaped";
  }
  const fs::path dir = fs::path(QUILLON_BINARY_DIR) / "fuzz-failures";
  std::error_code ec;
  fs::create_directories(dir, ec);
  std::string name = label;
  std::replace(name.begin(), name.end(), '/', '_');
  const fs::path kept = dir / (target + "-" + name);
  std::ofstream(kept, std::ios::binary).write(reinterpret_cast<const char*>(input.data()),
                                              static_cast<std::streamsize>(input.size()));
  ADD_FAILURE() << target << " on " << label << " (" << input.size() << " bytes, kept as " << kept.string()
                << "): " << failure;
}

class Mutator {
 public:
  explicit Mutator(std::uint32_t seed) : random_(seed) {}

  std::size_t Below(std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Below(256)); }

  Bytes RandomBytes() {
    Bytes out(Below(Below(2) ? 64 : 2048));
    for (auto& b : out) b = Byte();
    return out;
  }

  // One to eight edits of SOURCE; OTHER is spliced in now and then.
  Bytes Mutate(const Bytes& source, const Bytes& other) {
    Bytes out = source;
    const std::size_t edits = 1 + Below(8);
    for (std::size_t n = 0; n < edits; ++n) Edit(out, other);
    if (out.size() > kMaxGenerated) out.resize(kMaxGenerated);
    return out;
  }

 private:
  void Edit(Bytes& out, const Bytes& other) {
    static constexpr std::uint8_t kBoundary[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0xFE, '\r', '\n', '=', '[', ']', ',', ':'};
    switch (Below(9)) {
      case 0:  // flip a bit
        if (!out.empty()) out[Below(out.size())] ^= static_cast<std::uint8_t>(1u << Below(8));
        break;
      case 1:  // set a byte to a boundary value
        if (!out.empty()) out[Below(out.size())] = kBoundary[Below(std::size(kBoundary))];
        break;
      case 2:  // overwrite a 16- or 32-bit word with an extreme
        if (out.size() >= 4) {
          const std::size_t at = Below(out.size() - 3);
          const std::uint8_t fill = Below(2) ? 0xFF : 0x00;
          std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(at), Below(2) ? 2 : 4, fill);
          if (Below(2)) out[at + Below(4)] = 0x7F;
        }
        break;
      case 3:  // random run
        if (!out.empty()) {
          const std::size_t at = Below(out.size());
          const std::size_t n = std::min(out.size() - at, 1 + Below(16));
          for (std::size_t i = 0; i < n; ++i) out[at + i] = Byte();
        }
        break;
      case 4:  // insert bytes
      {
        const std::size_t at = Below(out.size() + 1);
        Bytes run(1 + Below(32));
        for (auto& b : run) b = Below(3) ? Byte() : kBoundary[Below(std::size(kBoundary))];
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), run.begin(), run.end());
        break;
      }
      case 5:  // remove a run
        if (!out.empty()) {
          const std::size_t at = Below(out.size());
          const std::size_t n = std::min(out.size() - at, 1 + Below(64));
          out.erase(out.begin() + static_cast<std::ptrdiff_t>(at), out.begin() + static_cast<std::ptrdiff_t>(at + n));
        }
        break;
      case 6:  // cut the tail
        out.resize(Below(out.size() + 1));
        break;
      case 7:  // duplicate a run
        if (!out.empty()) {
          const std::size_t at = Below(out.size());
          const std::size_t n = std::min(out.size() - at, 1 + Below(256));
          const Bytes run(out.begin() + static_cast<std::ptrdiff_t>(at), out.begin() + static_cast<std::ptrdiff_t>(at + n));
          out.insert(out.begin() + static_cast<std::ptrdiff_t>(Below(out.size() + 1)), run.begin(), run.end());
        }
        break;
      default:  // splice with another input
        if (!other.empty()) {
          const std::size_t keep = Below(out.size() + 1);
          const std::size_t from = Below(other.size());
          out.resize(keep);
          out.insert(out.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
        }
        break;
    }
  }

  std::mt19937 random_;
};

class FuzzReplay : public ::testing::TestWithParam<std::string> {};

TEST(FuzzReplayTargets, EveryTargetIsBuiltIn) {
  for (const std::string& target : kTargets) EXPECT_EQ(Registry().count(target), 1u) << target;
  EXPECT_EQ(Registry().size(), kTargets.size());
}

TEST_P(FuzzReplay, KeptInputs) {
  const std::string& target = GetParam();
  const auto found = Registry().find(target);
  ASSERT_NE(found, Registry().end());
  const std::vector<fs::path> files = KeptInputs(target);
  EXPECT_FALSE(files.empty()) << "no kept inputs in tests/data/fuzz/" << target;
  for (const fs::path& file : files) RunOne(target, found->second, ReadFile(file), file.filename().string());
  // The empty input and single bytes.
  RunOne(target, found->second, Bytes{}, "empty");
  for (int b : {0x00, 0x0A, 0x5B, 0xFF}) RunOne(target, found->second, Bytes{static_cast<std::uint8_t>(b)}, "byte-" + std::to_string(b));
}

TEST_P(FuzzReplay, GeneratedInputs) {
  const std::string& target = GetParam();
  const auto found = Registry().find(target);
  ASSERT_NE(found, Registry().end());
  std::vector<Bytes> seeds;
  for (const fs::path& file : KeptInputs(target)) {
    Bytes bytes = ReadFile(file);
    if (bytes.size() > kMaxGenerated) bytes.resize(kMaxGenerated);
    seeds.push_back(std::move(bytes));
  }
  Mutator mutator(static_cast<std::uint32_t>(std::hash<std::string>{}(target) & 0xFFFFFFFFu) ^ 0x5EEDu);
  const auto start = std::chrono::steady_clock::now();
  int ran = 0;
  for (; ran < kGenerated; ++ran) {
    if (ran % 64 == 0 && std::chrono::steady_clock::now() - start > kGenerateBudget) break;
    Bytes input;
    if (seeds.empty() || ran % 10 == 0) {
      input = mutator.RandomBytes();
    } else {
      const Bytes& seed = seeds[mutator.Below(seeds.size())];
      const Bytes& other = seeds[mutator.Below(seeds.size())];
      input = mutator.Mutate(seed, other);
    }
    RunOne(target, found->second, input, "generated-" + std::to_string(ran));
    if (HasFailure()) break;  // the first failing input is enough to go on with
  }
  RecordProperty("generated", ran);
}

INSTANTIATE_TEST_SUITE_P(Parsers, FuzzReplay, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
}  // namespace quillon::fuzz
