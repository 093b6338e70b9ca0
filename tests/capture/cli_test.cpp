// quillon-cli's capture commands end to end: synthesise, analyse, store the
// result in a driver file, verify other captures against it and render it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "capture/IrImpair.h"
#include "capture/IrSynth.h"
#include "capture/TIrCaptureResult.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSaveBuffer.h"
#include "irmodel/TQVXIrSubFunction.h"

namespace {

using namespace quillon;
namespace fs = std::filesystem;

const fs::path kCli = fs::path(QUILLON_BINARY_DIR) / "tools" / "cli" / "quillon-cli";

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

class CaptureCli : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kCli)) GTEST_SKIP() << "quillon-cli not built";
    dir_ = fs::temp_directory_path() /
           ("quillon-capture-cli-" + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  CliRun Cli(const std::string& args) {
    const std::string out = (dir_ / "stdout").string();
    const std::string err = (dir_ / "stderr").string();
    const std::string command = "timeout 60 " + kCli.string() + " " + args + " >" + out + " 2>" + err;
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Slurp(out);
    run.err = Slurp(err);
    return run;
  }

  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // A driver holding one function made from an analysis printed as JSON.
  void WriteDriver(const std::string& path, const std::string& name, const nlohmann::json& j) {
    TIrCaptureResult r;
    r.divider = j["divider"].get<uint16_t>();
    r.modulated = j["modulated"].get<bool>();
    r.min_repeats = j["repeat_count"].get<int>();
    const auto times = j["times"].get<std::vector<uint16_t>>();
    const auto header = j["header_selectors"].get<std::vector<uint8_t>>();
    const auto body = j["body_selectors"].get<std::vector<uint8_t>>();
    std::copy(times.begin(), times.end(), r.times.begin());
    std::copy(header.begin(), header.end(), r.header_selectors.begin());
    std::copy(body.begin(), body.end(), r.body_selectors.begin());
    r.time_count = static_cast<int32_t>(times.size());
    r.header_count = static_cast<int32_t>(header.size());
    r.body_count = static_cast<int32_t>(body.size());
    auto function = std::make_unique<TQVXIrFunction>();
    function->SetName(name);
    function->AddSubFunction(std::make_unique<TQVXIrSubFunction>(r.ToSubFunction()));
    TQVXIr ir;
    ir.Append(std::move(function));
    const int slots = TQVXIr::kNoStandardSlots;
    std::vector<uint8_t> buffer(static_cast<size_t>(ir.ComputeSize(true, slots)));
    TQVXIrSaveBuffer out(buffer.data(), buffer.size());
    const auto written = ir.Save(out, slots);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(written));
  }

  fs::path dir_;
};

TEST_F(CaptureCli, SynthAnalyseVerifyRender) {
  const std::string nec = Path("nec.bin");
  const std::string timeline = Path("nec.json");
  ASSERT_EQ(Cli("capture synth --protocol nec --kind qvx " + nec + " --seed 3 --timeline " + timeline).status, 0);

  const CliRun analysed = Cli("capture analyse --kind qvx " + nec + " --json");
  ASSERT_EQ(analysed.status, 0) << analysed.err;
  const auto j = nlohmann::json::parse(analysed.out);
  EXPECT_EQ(j["result"], 0);
  EXPECT_EQ(j["status"], "Capture Sucessful");
  EXPECT_EQ(j["repeat_count"], 4);
  EXPECT_NEAR(j["carrier_hz"].get<int>(), 38000, 38000 * 0.03);
  // Keys in the documented order.
  EXPECT_EQ(analysed.out.rfind("{\"result\":0,\"status\":\"Capture Sucessful\",\"divider\":", 0), 0u);
  EXPECT_NE(analysed.out.find("\"modulated\":true,\"repeat_count\":4,\"times\":["), std::string::npos);

  const std::string vir = Path("tv.vir");
  WriteDriver(vir, "POWER", j);

  // Another press of the same button verifies; a different protocol does not.
  const std::string again = Path("again.bin");
  ASSERT_EQ(Cli("capture synth --protocol nec --kind halvar " + again + " --seed 9").status, 0);
  const CliRun ok = Cli("capture verify --kind halvar " + again + " --driver " + vir + " --function power");
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out, "Verify Successful\n");
  const std::string sony = Path("sony.bin");
  ASSERT_EQ(Cli("capture synth --protocol sony12 --kind qvx " + sony).status, 0);
  const CliRun no = Cli("capture verify --kind qvx " + sony + " --driver " + vir + " --function POWER");
  EXPECT_EQ(no.status, 1);
  EXPECT_NE(no.err.find("Captured data does not match function data"), std::string::npos);

  const CliRun rendered = Cli("capture render " + vir + " --function POWER --json");
  ASSERT_EQ(rendered.status, 0) << rendered.err;
  const auto r = nlohmann::json::parse(rendered.out);
  const auto ideal = nlohmann::json::parse(Slurp(timeline));
  const auto played = r["subfunctions"][0]["durations_us"].get<std::vector<uint32_t>>();
  const auto want = ideal["durations_us"].get<std::vector<uint32_t>>();
  const int frame = ideal["first_frame"].get<int>();
  ASSERT_GE(played.size(), static_cast<size_t>(frame));
  for (int i = 0; i < frame; ++i) {
    EXPECT_NEAR(played[static_cast<size_t>(i)], want[static_cast<size_t>(i)], want[static_cast<size_t>(i)] * 0.1) << i;
  }
}

TEST_F(CaptureCli, FailuresAndUsage) {
  const std::string empty = Path("empty.bin");
  std::ofstream(empty, std::ios::binary).write("\0\0\0\0", 4);
  // An unsuccessful analysis prints its result and fails, unless --lenient.
  const CliRun timeout = Cli("capture analyse --kind qvx " + empty + " --json");
  EXPECT_EQ(timeout.status, 1);
  EXPECT_EQ(timeout.err, "quillon-cli: " + empty + ": analysis unsuccessful (result 13: Timeout) (--lenient accepts this)\n");
  EXPECT_EQ(Cli("capture analyse --kind qvx " + empty + " --json --lenient").status, 0);
  const auto j = nlohmann::json::parse(timeout.out);
  EXPECT_EQ(j["result"], 13);
  EXPECT_EQ(j["status"], "Timeout");
  EXPECT_TRUE(j["times"].empty());
  EXPECT_TRUE(j["body_selectors"].empty());

  EXPECT_EQ(Cli("capture analyse --kind other " + empty).status, 2);
  EXPECT_EQ(Cli("capture synth --protocol morse --kind qvx " + Path("x.bin")).status, 2);
  const CliRun missing = Cli("capture analyse --kind halvar " + Path("absent.bin"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("absent.bin"), std::string::npos);
  EXPECT_EQ(Cli("capture render " + Path("absent.vir") + " --function X").status, 1);

  // Settings overrides: a narrower carrier range refuses the capture.
  const std::string nec = Path("nec.bin");
  ASSERT_EQ(Cli("capture synth --protocol nec --kind qvx " + nec).status, 0);
  const std::string ini = Path("quillon.ini");
  std::ofstream(ini) << "[qvx_capture_settings]\nmax_carrier=36000\n";
  const auto refused = nlohmann::json::parse(
      Cli("capture analyse --kind qvx " + nec + " --settings " + ini + " --json --repeats 2").out);
  EXPECT_EQ(refused["result"], 15);
  EXPECT_EQ(refused["repeat_count"], 2);
  // A settings file that cannot be read is an error, not the defaults.
  const CliRun unreadable = Cli("capture analyse --kind qvx " + nec + " --settings " + Path("none.ini"));
  EXPECT_EQ(unreadable.status, 1);
  EXPECT_EQ(unreadable.err, "quillon-cli: " + Path("none.ini") + ": No such file or directory\n");
}

TEST_F(CaptureCli, AnalysisOptionAndSetting) {
  // A held NEC button whose bursts lost carrier pulses.
  IrSynth::Options o;
  const auto clean = IrSynth::ToQVX(IrSynth::Make("nec", o), o);
  const auto bytes = IrImpair::AddDropouts(TIrCaptureKind::QVX, clean, 0.3, 7);
  const std::string capture = Path("dropouts.bin");
  std::ofstream(capture, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  const std::string ini = Path("quillon.ini");
  std::ofstream(ini) << "[qvx_capture_settings]\nanalysis=enhanced\n";

  const CliRun plain = Cli("capture analyse --kind qvx " + capture + " --json");
  const CliRun specified = Cli("capture analyse --kind qvx " + capture + " --json --analysis specified");
  const CliRun enhanced = Cli("capture analyse --kind qvx " + capture + " --json --analysis enhanced");
  const CliRun fromFile = Cli("capture analyse --kind qvx " + capture + " --json --settings " + ini);
  const CliRun overridden =
      Cli("capture analyse --kind qvx " + capture + " --json --settings " + ini + " --analysis specified");
  ASSERT_EQ(enhanced.status, 0) << enhanced.err;
  EXPECT_EQ(plain.out, specified.out);
  EXPECT_NE(plain.out, enhanced.out);
  EXPECT_EQ(fromFile.out, enhanced.out);
  EXPECT_EQ(overridden.out, specified.out);
  EXPECT_EQ(nlohmann::json::parse(enhanced.out)["result"], 0);

  // Verify analyses the second capture the way it is told to.
  const std::string vir = Path("tv.vir");
  WriteDriver(vir, "POWER", nlohmann::json::parse(enhanced.out));
  const auto again = IrImpair::AddDropouts(TIrCaptureKind::QVX, clean, 0.3, 8);
  const std::string second = Path("again.bin");
  std::ofstream(second, std::ios::binary)
      .write(reinterpret_cast<const char*>(again.data()), static_cast<std::streamsize>(again.size()));
  const std::string verify = "capture verify --kind qvx " + second + " --driver " + vir + " --function POWER";
  const CliRun verified = Cli(verify + " --analysis enhanced");
  EXPECT_EQ(verified.status, 0) << verified.err;
  EXPECT_EQ(verified.out, "Verify Successful\n");
  EXPECT_EQ(Cli(verify).status, 1);

  const CliRun bad = Cli("capture analyse --kind qvx " + capture + " --analysis fastest");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("fastest"), std::string::npos);
}

}  // namespace
