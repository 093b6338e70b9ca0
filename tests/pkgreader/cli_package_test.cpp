// quillon-cli's package and library commands, run as the real program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "pkgreader/ResFile.h"
#include "tests/pkgreader/PkgTestUtil.h"

namespace quillon {
namespace {

using namespace quillon::testing;

class CliPackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_ = std::string(QUILLON_BINARY_DIR) + "/tools/cli/quillon-cli";
    if (!std::filesystem::exists(cli_)) GTEST_SKIP() << "quillon-cli is not built";
  }

  // Runs the program with ARGS; returns its exit status and its standard output.
  int Run(const std::string& args, std::string* out = nullptr) {
    const std::string command = "QUILLON_MACHINE_REGISTRY='" + dir_ / "machine.ini" + "' '" + cli_ + "' " + args +
                                " 2>'" + dir_ / "stderr.txt" + "'";
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return -1;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    const int status = ::pclose(p);
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Q(const std::string& path) { return "'" + path + "'"; }

  TempDir dir_;
  std::string cli_;
};

TEST_F(CliPackageTest, CreateAtEveryLevelListsAndExtractsIdentically) {
  const auto text = Text(200000);
  const auto noise = Noise(5000, 3);
  WriteBytes(dir_ / "a.ini", text);
  WriteBytes(dir_ / "n.bin", noise);
  for (int level = 0; level <= 5; ++level) {
    SCOPED_TRACE(level);
    const std::string pkg = dir_ / ("p" + std::to_string(level) + ".pkg");
    ASSERT_EQ(Run("package create " + Q(pkg) + " --level " + std::to_string(level) + " --version 3.1 " +
                  Q(dir_ / "a.ini") + " " + Q(dir_ / "n.bin=noise.bin@data")),
              0);
    std::string listing;
    ASSERT_EQ(Run("package list --json " + Q(pkg), &listing), 0);
    const auto doc = nlohmann::json::parse(listing);
    EXPECT_EQ(doc["level"], level);
    EXPECT_EQ(doc["major"], 3);
    ASSERT_EQ(doc["files"].size(), 2u);
    EXPECT_EQ(doc["files"][1]["name"], "noise.bin");
    EXPECT_EQ(doc["files"][1]["folder"], "data");
    ASSERT_EQ(Run("package extract " + Q(pkg) + " A.INI " + Q(dir_ / "a.out") + " --force"), 0);
    EXPECT_TRUE(ReadBytes(dir_ / "a.out") == text);
    ASSERT_EQ(Run("package extract " + Q(pkg) + " noise.bin " + Q(dir_ / "n.out") + " --folder DATA --force"), 0);
    EXPECT_TRUE(ReadBytes(dir_ / "n.out") == noise);
  }
  EXPECT_EQ(Run("package extract " + Q(dir_ / "p1.pkg") + " missing " + Q(dir_ / "x")), 1);
  EXPECT_EQ(Run("package list " + Q(dir_ / "a.ini")), 1);
  EXPECT_EQ(Run("package create " + Q(dir_ / "bad.pkg") + " --level 6 " + Q(dir_ / "a.ini")), 2);
}

TEST_F(CliPackageTest, NestedPackagesAndLibraryProbe) {
  WriteBytes(dir_ / "irsupport.ini",
             Bytes("[supported]\r\nNum=1\r\n[model_0]\r\nTypeId=4\r\nBrandId=2\r\nModelName=DVD\r\nDrvpkg=ABC\r\n"
                   "Version=4, 5\r\n"));
  WriteBytes(dir_ / "ABC_4.vir", {0, 1, 2, 3});
  std::filesystem::create_directories(dir_ / "lib");
  ASSERT_EQ(Run("package create " + Q(dir_ / "inner.pke") + " --level 2 " + Q(dir_ / "irsupport.ini") + " " +
                Q(dir_ / "ABC_4.vir")),
            0);
  ASSERT_EQ(Run("package nest " + Q(dir_ / "lib/outer.pkg") + " " + Q(dir_ / "inner.pke")), 0);
  ASSERT_EQ(Run("package extract " + Q(dir_ / "lib/outer.pkg") + " inner.pke " + Q(dir_ / "copy.pke")), 0);
  EXPECT_EQ(ReadBytes(dir_ / "copy.pke"), ReadBytes(dir_ / "inner.pke"));
  EXPECT_EQ(Run("package nest " + Q(dir_ / "x.pkg") + " " + Q(dir_ / "ABC_4.vir")), 1);

  ASSERT_EQ(Run("package create " + Q(dir_ / "lib/drivers.pkg") + " " + Q(dir_ / "irsupport.ini") + " " +
                Q(dir_ / "ABC_4.vir")),
            0);
  // ABC_4.vir is no driver: the probe reports everything and fails.
  std::string out;
  ASSERT_EQ(Run("library probe --json " + Q(dir_ / "lib"), &out), 1);
  const std::vector<std::uint8_t> err = ReadBytes(dir_ / "stderr.txt");
  EXPECT_EQ(std::string(err.begin(), err.end()),
            "quillon-cli: " + dir_ / "lib/drivers.pkg: ABC_4.vir: not a readable driver (Corrupt File)\n");
  const auto doc = nlohmann::json::parse(out);
  ASSERT_EQ(doc["packages"].size(), 2u);
  const auto& drivers = doc["packages"][0];  // drivers.pkg sorts first
  EXPECT_EQ(drivers["package"], "drivers.pkg");
  EXPECT_EQ(drivers["irsupport"]["read"], true);
  ASSERT_EQ(drivers["drivers"].size(), 2u);
  EXPECT_EQ(drivers["drivers"][0]["file"], "ABC_4.vir");
  EXPECT_EQ(drivers["drivers"][0]["size"], 4);
  EXPECT_EQ(drivers["drivers"][0]["read"], true);  // first byte zero, still read
  EXPECT_EQ(drivers["drivers"][1]["size"], 0);     // ABC_5.vir is not in the package
  EXPECT_EQ(doc["packages"][1]["irsupport"]["size"], 0);  // outer.pkg holds only packages
}

TEST_F(CliPackageTest, SameNamedMembersDamagedPackagesAndTimesAsDates) {
  WriteBytes(dir_ / "a.ini", Text(3000));
  std::filesystem::create_directories(dir_ / "other");
  WriteBytes(dir_ / "other/A.INI", Text(10));
  const std::string both = "package create " + Q(dir_ / "both.pkg") + " " + Q(dir_ / "a.ini") + " " + Q(dir_ / "other/A.INI");
  EXPECT_EQ(Run(both), 1);
  const std::vector<std::uint8_t> err = ReadBytes(dir_ / "stderr.txt");
  EXPECT_EQ(std::string(err.begin(), err.end()),
            "quillon-cli: " + dir_ / "other/A.INI" + ": a member named A.INI is already in the package (name one of them with FILE=NAME)\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "both.pkg"));
  ASSERT_EQ(Run(both.substr(0, both.size() - 1) + "=second.ini'"), 0);

  std::string listing;
  ASSERT_EQ(Run("package list --json " + Q(dir_ / "both.pkg"), &listing), 0);
  const auto doc = nlohmann::json::parse(listing);
  const std::string time = doc["files"][0]["time"];
  ASSERT_EQ(time.size(), 20u) << time;  // 2024-03-05T14:07:09Z
  EXPECT_EQ(time[4], '-');
  EXPECT_EQ(time[10], 'T');
  EXPECT_EQ(time.back(), 'Z');

  // Cut short: the member table is lost, and the package says so.
  std::vector<std::uint8_t> bytes = ReadBytes(dir_ / "both.pkg");
  bytes.resize(bytes.size() - 10);
  WriteBytes(dir_ / "cut.pkg", bytes);
  EXPECT_EQ(Run("package list " + Q(dir_ / "cut.pkg")), 1);
  const std::vector<std::uint8_t> cut = ReadBytes(dir_ / "stderr.txt");
  EXPECT_EQ(std::string(cut.begin(), cut.end()),
            "quillon-cli: " + dir_ / "cut.pkg" + ": damaged package: its header announces 2 members, 0 could be read\n");
  std::filesystem::create_directories(dir_ / "lib");
  std::filesystem::copy_file(dir_ / "cut.pkg", dir_ / "lib/cut.pkg");
  EXPECT_EQ(Run("library probe " + Q(dir_ / "lib")), 1);
}

}  // namespace
}  // namespace quillon
