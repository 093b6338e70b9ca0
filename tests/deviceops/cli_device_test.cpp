// quillon-cli against the real emulator: nothing learned is lost when the
// session ends early (the device vanishes, or the user presses Ctrl-C), the
// functions are learned in the order given, a device that cannot learn is
// refused at once, and device commands fail clearly for what is not there.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "tests/devicelink/link_emulator_support.h"
#include "tests/support/CliRun.h"

namespace quillon {
namespace {

using linktest::Emulator;
using testsupport::CliResult;
using testsupport::ReadWhole;

class CliDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!cli_.Available()) GTEST_SKIP() << "quillon-cli is not built";
    settings_ = linktest::WriteSettings(cli_.Dir());
  }

  std::string Device(const Emulator& emulator) const {
    return "--ip 127.0.0.1:" + std::to_string(emulator.Port()) + " --settings " + settings_ + " --timeout 20000";
  }

  // The functions of the driver file that carry a signal, by name.
  std::vector<std::string> Learned(const std::string& path) const {
    const std::string bytes = ReadWhole(path);
    TQVXIr driver;
    TQVXIrLoadBuffer in(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    driver.Load(in);
    std::vector<std::string> names;
    for (int i = 0; i < driver.GetFunctionCount(); ++i) {
      const TQVXIrFunction* f = driver.GetFunction(i);
      if (f->GetSubFunctionCount() > 0) names.emplace_back(f->GetName());
    }
    return names;
  }

  testsupport::CliRunner cli_{QUILLON_BINARY_DIR "/tools/cli/quillon-cli"};
  std::string settings_;
};

TEST_F(CliDevice, ADeviceThatVanishesMidSessionLeavesTheAcceptedFunctionsSaved) {
  Emulator emulator({"--first-pulse-ms", "300", "--capture-ms", "150"});
  ASSERT_TRUE(emulator.Ready());
  // STOP is asked first although POWER comes first in the driver.
  const pid_t pid = cli_.Start("learn tv.vir --type DVD --functions STOP,POWER,PLAY " + Device(emulator));
  ASSERT_TRUE(cli_.WaitForStderr("[POWER] Waiting for first pulse")) << ReadWhole(cli_.StartedErr());
  emulator.Kill();
  const CliResult r = cli_.Wait(pid);
  EXPECT_EQ(r.status, 1) << r.err;
  const std::string err = r.err;
  EXPECT_LT(err.find("[STOP]"), err.find("[POWER]"));
  EXPECT_NE(err.find("keeps the 1 function(s) learned; not learned: POWER, PLAY"), std::string::npos) << err;
  EXPECT_EQ(r.out, "1 learned, 2 missing; saved tv.vir\n");
  EXPECT_EQ(Learned(cli_.Path("tv.vir")), std::vector<std::string>{"STOP"});
}

TEST_F(CliDevice, CtrlCStopsTheCaptureAndKeepsWhatWasAccepted) {
  Emulator emulator({"--first-pulse-ms", "1500", "--capture-ms", "150"});
  ASSERT_TRUE(emulator.Ready());
  const pid_t pid = cli_.Start("learn tv.vir --type DVD --functions POWER,PLAY " + Device(emulator));
  ASSERT_TRUE(cli_.WaitForStderr("[PLAY] Waiting for first pulse")) << ReadWhole(cli_.StartedErr());
  const auto start = std::chrono::steady_clock::now();
  ::kill(pid, SIGINT);
  const CliResult r = cli_.Wait(pid);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find(": interrupted; tv.vir keeps the 1 function(s) learned; not learned: PLAY"), std::string::npos)
      << r.err;
  EXPECT_EQ(Learned(cli_.Path("tv.vir")), std::vector<std::string>{"POWER"});
  // The device was told to stop capturing.
  EXPECT_GE(emulator.CountInLog("W0IL"), 1) << emulator.Log();
}

TEST_F(CliDevice, LearnRefusesWhatCannotWorkBeforeTheFirstCapture) {
  Emulator none({"--learner", "none"});
  ASSERT_TRUE(none.Ready());
  const auto start = std::chrono::steady_clock::now();
  const CliResult refused = cli_.Run("learn tv.vir --type DVD --functions POWER " + Device(none));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("127.0.0.1:" + std::to_string(none.Port()) + ": the device cannot learn IR"),
            std::string::npos)
      << refused.err;
  EXPECT_FALSE(std::filesystem::exists(cli_.Path("tv.vir")));

  const CliResult twice = cli_.Run("learn tv.vir --functions POWER,PLAY,power " + Device(none));
  EXPECT_EQ(twice.status, 2);
  EXPECT_EQ(twice.err, "quillon-cli: --functions names power twice\n");
  // --functions takes one argument: the driver after it is still the driver.
  const CliResult order = cli_.Run("learn --functions POWER tv.vir " + Device(none));
  EXPECT_EQ(order.status, 1);
  EXPECT_NE(order.err.find("cannot learn IR"), std::string::npos) << order.err;

  std::filesystem::create_directory(cli_.Path("locked"));
  ::chmod(cli_.Path("locked").c_str(), 0500);
  if (::access(cli_.Path("locked").c_str(), W_OK) != 0) {  // root may write anyway
    const CliResult locked = cli_.Run("learn locked/tv.vir --type DVD --functions POWER " + Device(none));
    EXPECT_EQ(locked.status, 1);
    EXPECT_EQ(locked.err, "quillon-cli: locked/tv.vir: Permission denied\n");
    EXPECT_EQ(none.CountInLog("W1IL"), 0);
  }
  ::chmod(cli_.Path("locked").c_str(), 0700);
}

TEST_F(CliDevice, DeviceCommandsNameTheAddressAndWhatIsMissing) {
  const CliResult refused = cli_.Run("device info --ip 127.0.0.1:1 --timeout 10000");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err.substr(refused.err.rfind("quillon-cli:")), "quillon-cli: 127.0.0.1:1: Connection refused\n");

  Emulator emulator({"--running-events", "2"});
  ASSERT_TRUE(emulator.Ready());
  const std::string at = "127.0.0.1:" + std::to_string(emulator.Port());
  const CliResult info = cli_.Run("device info --json " + Device(emulator));
  ASSERT_EQ(info.status, 0) << info.err;
  const auto json = nlohmann::json::parse(info.out);  // states and events went to stderr
  EXPECT_EQ(json["address"], at);
  EXPECT_EQ(json["running_events"], 2);
  EXPECT_TRUE(json["files"].is_array());
  EXPECT_NE(info.err.find("state "), std::string::npos);

  EXPECT_EQ(cli_.Run("device delete 42.vir " + Device(emulator)).err,
            "quillon-cli: " + at + ": 42.vir is not on the device\n");
  EXPECT_EQ(cli_.Run("device play --file 42.vir --function 0 --port 1 " + Device(emulator)).err,
            "quillon-cli: " + at + ": 42.vir is not on the device\n");
  const CliResult number = cli_.Run("device upload tv.vir --number 150 " + Device(emulator));
  EXPECT_EQ(number.status, 1);
  EXPECT_EQ(number.err, "quillon-cli: --number: 150 is not in 0..99\n");

  // Upload a driver, then play a position it does not have and a port the
  // device lacks; download it, refusing to replace a file.
  ASSERT_EQ(cli_.Run("driver new tv.vir --type OTHER").status, 0);
  ASSERT_EQ(cli_.Run("driver add tv.vir POWER").status, 0);
  const CliResult upload = cli_.Run("device upload tv.vir --number 7 --progress " + Device(emulator));
  ASSERT_EQ(upload.status, 0) << upload.err;
  EXPECT_EQ(upload.out, "7.vir\n");
  EXPECT_NE(upload.err.find("Uploading 7.vir: "), std::string::npos) << upload.err;
  EXPECT_EQ(cli_.Run("device play --file 7.vir --function 5 --port 1 " + Device(emulator)).err,
            "quillon-cli: " + at + ": 7.vir has no function with a signal at position 5 (it holds 1 functions)\n");
  const CliResult port = cli_.Run("device play --file 7.vir --function 0 --port 99 " + Device(emulator));
  EXPECT_EQ(port.status, 1);
  EXPECT_NE(port.err.find("the device has no IR port 99"), std::string::npos) << port.err;
  EXPECT_EQ(cli_.Run("device download 7.vir tv.vir " + Device(emulator)).err,
            "quillon-cli: tv.vir: file exists (use --force to replace it)\n");
  const CliResult download = cli_.Run("device download 7.vir - " + Device(emulator));
  ASSERT_EQ(download.status, 0) << download.err;
  EXPECT_FALSE(download.out.empty());
}

}  // namespace
}  // namespace quillon
