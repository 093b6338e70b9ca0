// Capture settings: defaults per learner kind, overrides from the settings
// file and the once-per-session load.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cstdlib>
#include <string>

#include "capture/CCaptureSettingsLoader.h"
#include "capture/TIrCaptureSettings.h"

namespace {

using namespace quillon;
namespace fs = std::filesystem;

class SettingsFile : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quillon-capture-settings-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    path_ = (dir_ / "quillon.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }

  fs::path dir_;
  std::string path_;
};

TEST(CaptureSettings, DefaultsPerKind) {
  const auto q = TIrCaptureSettings::Defaults(TIrCaptureKind::QVX);
  EXPECT_EQ(q.min_carrier, 30000);
  EXPECT_EQ(q.max_carrier, 1000000);
  EXPECT_EQ(q.leading_discard_threshold, 5);
  EXPECT_EQ(q.head_body_deviation, 12);
  EXPECT_FLOAT_EQ(q.max_moe, 25.0f);
  EXPECT_FLOAT_EQ(q.moe_scalar, 2.0f);
  const auto h = TIrCaptureSettings::Defaults(TIrCaptureKind::Halvar);
  EXPECT_EQ(h.min_carrier, 30000);
  EXPECT_EQ(h.max_carrier, 62000);
  EXPECT_EQ(h.leading_discard_threshold, 0);
  EXPECT_EQ(h.head_body_deviation, 20);
  EXPECT_FLOAT_EQ(h.max_moe, 25.0f);
  EXPECT_FLOAT_EQ(h.moe_scalar, 1.0f);
}

TEST_F(SettingsFile, OverridesOnlyTheKindsOwnSection) {
  Write("[qvx_capture_settings]\r\nmax_carrier=80000\r\n");
  CCaptureSettingsLoader qvx;
  qvx.Load(TIrCaptureKind::QVX, path_);
  TIrCaptureSettings expected = TIrCaptureSettings::Defaults(TIrCaptureKind::QVX);
  expected.max_carrier = 80000;
  EXPECT_EQ(qvx.GetSettings(), expected);

  CCaptureSettingsLoader halvar;
  halvar.Load(TIrCaptureKind::Halvar, path_);
  EXPECT_EQ(halvar.GetSettings(), TIrCaptureSettings::Defaults(TIrCaptureKind::Halvar));
}

TEST_F(SettingsFile, CommentedDefaultsAndAllKeys) {
  Write(";[qvx_capture_settings]\n;min_carrier=30000\n;max_carrier=80000\n"
        "[hlvr_capture_settings]\nmin_carrier=31000\nmax_carrier=61000\n"
        "leading_discard_threshold=2\nhead_body_deviation=15\nmax_moe=12.5\nmoe_scalar=1.5\n");
  CCaptureSettingsLoader qvx;
  qvx.Load(TIrCaptureKind::QVX, path_);
  EXPECT_EQ(qvx.GetSettings(), TIrCaptureSettings::Defaults(TIrCaptureKind::QVX));
  CCaptureSettingsLoader halvar;
  halvar.Load(TIrCaptureKind::Halvar, path_);
  const auto& s = halvar.GetSettings();
  EXPECT_EQ(s.min_carrier, 31000);
  EXPECT_EQ(s.max_carrier, 61000);
  EXPECT_EQ(s.leading_discard_threshold, 2);
  EXPECT_EQ(s.head_body_deviation, 15);
  EXPECT_FLOAT_EQ(s.max_moe, 12.5f);
  EXPECT_FLOAT_EQ(s.moe_scalar, 1.5f);
}

TEST_F(SettingsFile, LoadedOncePerLearnSession) {
  Write("[qvx_capture_settings]\nmin_carrier=35000\n");
  CCaptureSettingsLoader loader;
  loader.Load(TIrCaptureKind::QVX, path_);
  EXPECT_EQ(loader.GetSettings().min_carrier, 35000);
  Write("[qvx_capture_settings]\nmin_carrier=36000\n");
  loader.Load(TIrCaptureKind::QVX, path_);
  EXPECT_EQ(loader.GetSettings().min_carrier, 35000);  // edits wait for the next session
  loader.Reset();
  loader.Load(TIrCaptureKind::QVX, path_);
  EXPECT_EQ(loader.GetSettings().min_carrier, 36000);
}

TEST_F(SettingsFile, MissingFileLeavesDefaults) {
  CCaptureSettingsLoader loader;
  loader.Load(TIrCaptureKind::Halvar, (dir_ / "absent.ini").string());
  EXPECT_TRUE(loader.IsLoaded());
  EXPECT_EQ(loader.GetSettings(), TIrCaptureSettings::Defaults(TIrCaptureKind::Halvar));
  CCaptureSettingsLoader empty;
  empty.Load(TIrCaptureKind::QVX, "");
  EXPECT_EQ(empty.GetSettings(), TIrCaptureSettings::Defaults(TIrCaptureKind::QVX));
}

}  // namespace

namespace {

using namespace quillon;

TEST(CaptureSettingsConfigured, CarriedSettingsFileKeepsTheDefaults) {
  // With no machine store there is no external settings file: the copy the
  // program carries holds the capture sections only as comments.
  const auto store = fs::temp_directory_path() / "quillon-capture-no-registry.ini";
  fs::remove(store);
  ::setenv("QUILLON_MACHINE_REGISTRY", store.c_str(), 1);
  CCaptureSettingsLoader qvx;
  qvx.LoadConfigured(TIrCaptureKind::QVX);
  EXPECT_TRUE(qvx.IsLoaded());
  EXPECT_EQ(qvx.GetSettings(), TIrCaptureSettings::Defaults(TIrCaptureKind::QVX));
  CCaptureSettingsLoader halvar;
  halvar.LoadConfigured(TIrCaptureKind::Halvar);
  EXPECT_EQ(halvar.GetSettings(), TIrCaptureSettings::Defaults(TIrCaptureKind::Halvar));
  ::unsetenv("QUILLON_MACHINE_REGISTRY");
}

}  // namespace

namespace {

using namespace quillon;

TEST_F(SettingsFile, AnalysisIsChosenPerKindAndUnknownNamesKeepTheSpecifiedOne) {
  EXPECT_EQ(TIrCaptureSettings::Defaults(TIrCaptureKind::QVX).analysis, TIrAnalysisMethod::Specified);
  Write("[qvx_capture_settings]\r\nanalysis = Enhanced\r\n[hlvr_capture_settings]\r\nanalysis=fastest\r\n");
  CCaptureSettingsLoader qvx;
  qvx.Load(TIrCaptureKind::QVX, path_);
  EXPECT_EQ(qvx.GetSettings().analysis, TIrAnalysisMethod::Enhanced);
  CCaptureSettingsLoader halvar;
  halvar.Load(TIrCaptureKind::Halvar, path_);
  EXPECT_EQ(halvar.GetSettings(), TIrCaptureSettings::Defaults(TIrCaptureKind::Halvar));
}

}  // namespace
