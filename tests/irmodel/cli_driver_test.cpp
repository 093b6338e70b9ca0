// quillon-cli "driver show" and "driver build": JSON output, readable
// summary, byte-exact round trips of varied drivers and error statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "irmodel/TQVXIr.h"
#include "tests/irmodel/VirTestUtil.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;

const std::string kCli = QUILLON_BINARY_DIR "/tools/cli/quillon-cli";

class CliDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kCli)) GTEST_SKIP() << "quillon-cli is not built";
    dir_ = fs::temp_directory_path() / ("quillon-cli-driver-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    if (!dir_.empty()) fs::remove_all(dir_, ec);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Runs quillon-cli with ARGS; stdout and stderr go to files read back.
  int Run(const std::string& args) {
    const std::string cmd = "timeout 60 '" + kCli + "' " + args + " >'" + Path("out.txt") + "' 2>'" +
                            Path("err.txt") + "'";
    const int status = std::system(cmd.c_str());
    out_ = Read(Path("out.txt"));
    err_ = Read(Path("err.txt"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  // show --json, then build from that JSON: the new file must equal the old.
  void ExpectRoundTrip(const std::vector<std::uint8_t>& image, const std::string& label) {
    Write(Path("in.vir"), image);
    ASSERT_EQ(Run("driver show '" + Path("in.vir") + "' --json"), 0) << label << ": " << err_;
    {
      std::ofstream json(Path("in.json"), std::ios::binary);
      json << out_;
    }
    ASSERT_EQ(Run("driver build '" + Path("in.json") + "' '" + Path("back.vir") + "' --force"), 0) << label << ": " << err_;
    const std::string back = Read(Path("back.vir"));
    EXPECT_EQ(back, std::string(image.begin(), image.end())) << label;
  }

  fs::path dir_;
  std::string out_;
  std::string err_;
};

TEST_F(CliDriver, ShowJsonFollowsTheContract) {
  TQVXIr ir;
  ir.GetHeader().AddText(0x83, "DVD");
  const std::uint8_t flags[4] = {0, 0, 0, 1};
  ir.GetHeader().AddBinary(0xFF, 4, flags);
  ir.Append(std::make_unique<TQVXIrFunction>());
  ir.GetFunction(0)->SetName("POWER");
  ir.GetFunction(0)->AddSubFunction(::quillon::testing::MakeSub(1736, {1, 2}, {0x01}, {0x10, 0x11}, 4));
  ir.Append(std::make_unique<TQVXIrFunction>());
  Write(Path("a.vir"), ::quillon::testing::SaveToBytes(ir));
  ASSERT_EQ(Run("driver show '" + Path("a.vir") + "' --json"), 0) << err_;
  EXPECT_EQ(out_,
            "{\"kind\":0,\"header\":[{\"tag\":131,\"text\":\"DVD\"},{\"tag\":255,\"hex\":\"00000001\"}],"
            "\"functions\":[{\"name\":\"POWER\",\"subfunctions\":[{\"flags\":1,\"divider\":1736,\"granularity\":1,"
            "\"header_count\":1,\"body_count\":2,\"repeat_count\":4,\"times\":[1,2],\"header_selectors\":[1],"
            "\"body_selectors\":[16,17]}]},{\"name\":\"*Empty*\",\"subfunctions\":[]}]}\n");

  ASSERT_EQ(Run("driver show '" + Path("a.vir") + "'"), 0) << err_;
  EXPECT_NE(out_.find("IR Driver:  "), std::string::npos);
  EXPECT_NE(out_.find("POWER"), std::string::npos);
  EXPECT_NE(out_.find("38.0KHz"), std::string::npos);
}

TEST_F(CliDriver, VariedDriversRoundTripByteForByte) {
  std::mt19937 rng(4242);
  for (int round = 0; round < 12; ++round) {
    TQVXIr ir;
    if (round % 4 == 3) ir.SetKind(1);
    const int count = static_cast<int>(rng() % 30);
    for (int i = 0; i < count; ++i) {
      auto f = std::make_unique<TQVXIrFunction>();
      std::string name;
      const int length = static_cast<int>(rng() % 12);
      for (int c = 0; c < length; ++c) name += static_cast<char>(1 + rng() % 255);  // any byte but NUL
      if (rng() % 5 != 0) f->SetName(name);
      const int subs = rng() % 4 == 0 ? 0 : static_cast<int>(1 + rng() % 3);
      for (int s = 0; s < subs; ++s) {
        std::vector<std::uint16_t> times(1 + rng() % 15);
        for (auto& t : times) t = static_cast<std::uint16_t>(rng());
        std::vector<std::uint8_t> header(rng() % 20), body(rng() % 20 + (header.empty() ? 1 : 0));
        for (auto& b : header) b = static_cast<std::uint8_t>(rng());
        for (auto& b : body) b = static_cast<std::uint8_t>(rng());
        auto sub = ::quillon::testing::MakeSub(static_cast<std::uint16_t>(rng()), times, header, body,
                                               static_cast<int>(rng() % 16), static_cast<std::uint8_t>(rng()));
        sub->SetGranularity(static_cast<std::uint16_t>(rng() % 3));
        f->AddSubFunction(std::move(sub));
      }
      ir.Append(std::move(f));
    }
    const int entries = static_cast<int>(rng() % 6);
    for (int e = 0; e < entries; ++e) {
      std::string text(1 + rng() % 40, 'x');
      for (auto& c : text) c = static_cast<char>(1 + rng() % 255);
      if (rng() % 3 == 0) {
        std::vector<std::uint8_t> bytes(1 + rng() % 8);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
        ir.GetHeader().AddBinary(rng() % 2 ? 0xFF : 0xF5, static_cast<int>(bytes.size()), bytes.data());
      } else {
        ir.GetHeader().AddText(0x81 + static_cast<int>(rng() % 9), text.c_str());
      }
    }
    ExpectRoundTrip(::quillon::testing::SaveToBytes(ir), "round " + std::to_string(round));
  }
}

TEST_F(CliDriver, StandardSlotsDropPlaceholderNames) {
  const std::string json = Path("slots.json");
  {
    std::ofstream out(json);
    out << R"({"kind":0,"header":[],"functions":[{"name":"SPARE","subfunctions":[]},)"
        << R"({"name":"PLAY","subfunctions":[{"flags":1,"divider":1736,"times":[5,6],)"
        << R"("header_selectors":[],"body_selectors":[1]}]}]})";
  }
  ASSERT_EQ(Run("driver build '" + json + "' '" + Path("s0.vir") + "'"), 0) << err_;
  ASSERT_EQ(Run("driver show '" + Path("s0.vir") + "' --json"), 0);
  EXPECT_NE(out_.find("\"SPARE\""), std::string::npos);
  ASSERT_EQ(Run("driver build '" + json + "' '" + Path("s1.vir") + "' --standard-slots 1"), 0) << err_;
  ASSERT_EQ(Run("driver show '" + Path("s1.vir") + "' --json"), 0);
  EXPECT_EQ(out_.find("\"SPARE\""), std::string::npos);
  EXPECT_NE(out_.find("\"*Empty*\""), std::string::npos);
}

TEST_F(CliDriver, FailuresAndUsage) {
  Write(Path("bad.vir"), {0, 1, 2, 3, 4, 5, 6});
  EXPECT_EQ(Run("driver show '" + Path("bad.vir") + "'"), 1);
  EXPECT_NE(err_.find("Corrupt File"), std::string::npos);
  EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1);
  EXPECT_EQ(Run("driver show '" + Path("missing.vir") + "'"), 1);

  {
    std::ofstream out(Path("bad.json"));
    out << R"({"functions":[{"name":"X","subfunctions":[{"flags":1,"divider":1,"times":[],)"
        << R"("header_selectors":[1],"body_selectors":[]}]}]})";
  }
  EXPECT_EQ(Run("driver build '" + Path("bad.json") + "' '" + Path("x.vir") + "'"), 1);
  EXPECT_NE(err_.find("times"), std::string::npos);
  EXPECT_FALSE(fs::exists(Path("x.vir")));
  {
    std::ofstream out(Path("notjson.json"));
    out << "{";
  }
  EXPECT_EQ(Run("driver build '" + Path("notjson.json") + "' '" + Path("x.vir") + "'"), 1);
  EXPECT_EQ(Run("driver show"), 2);
  EXPECT_EQ(Run("driver build only-one-arg"), 2);
}

TEST_F(CliDriver, SampleDriverBuildsAndRoundTrips) {
  const std::string sample = QUILLON_TEST_DATA_DIR "/../../data/samples/sample-driver.json";
  if (!fs::exists(sample)) GTEST_SKIP() << "no sample driver";
  ASSERT_EQ(Run("driver build '" + sample + "' '" + Path("sample.vir") + "'"), 0) << err_;
  const std::string image = Read(Path("sample.vir"));
  ExpectRoundTrip(std::vector<std::uint8_t>(image.begin(), image.end()), "sample");
}

}  // namespace
}  // namespace quillon
