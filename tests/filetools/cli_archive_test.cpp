// quillon-cli's lzss and archive commands, run as a user would, with an
// empty temporary machine store (the server library is found in the build
// tree).
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/filetools/ArchiveImages.h"
#include "tests/filetools/TempFolder.h"

namespace quillon::filetools {
namespace {

struct CliRun {
  int status;
  std::string out;
};

struct CliArchiveTest : ::testing::Test {
  TempFolder dir;
  void SetUp() override {
    if (std::string(QUILLON_CLI_PROGRAM).empty()) GTEST_SKIP() << "quillon-cli is not part of this build";
  }
  CliRun Cli(const std::string& args) {
    const std::string command = "cd '" + dir.Root() + "' && QUILLON_MACHINE_REGISTRY='" + dir.Path("machine.ini") +
                                "' '" + QUILLON_CLI_PROGRAM + "' " + args + " 2>&1";
    CliRun run{-1, {}};
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
  }
};

TEST_F(CliArchiveTest, CreateListExtractChangeAndInspect) {
  std::string text;
  for (int i = 0; i < 500; ++i) text += "VOLUME UP ";
  WriteFile(dir.Path("a.txt"), text);
  WriteFile(dir.Path("b.ini"), "x=1");
  ASSERT_EQ(Cli("archive create out.pkg a.txt b.ini").status, 0);
  EXPECT_EQ(Cli("archive create out.pkg a.txt").status, 1);  // exists already

  const CliRun list = Cli("archive list out.pkg --json");
  ASSERT_EQ(list.status, 0) << list.out;
  const auto json = nlohmann::json::parse(list.out);
  ASSERT_EQ(json["members"].size(), 2u);
  const auto& a = json["members"][0];
  EXPECT_EQ(a["name"], "a.txt");
  EXPECT_EQ(a["size"], static_cast<int>(text.size()));
  EXPECT_EQ(a["stored_size"], static_cast<int>(Lzss(text).size()));
  EXPECT_EQ(a["compressed"], true);
  EXPECT_EQ(a["version"], "0.0");
  EXPECT_EQ(a["origin"], 0);
  EXPECT_EQ(a["time"].get<std::string>().size(), 20u);
  EXPECT_EQ(json["members"][1]["compressed"], false);

  ASSERT_EQ(Cli("archive notes out.pkg --set 'for the library'").status, 0);
  EXPECT_EQ(Cli("archive notes out.pkg").out, "for the library\n");
  ASSERT_EQ(Cli("archive add out.pkg b.ini --as renamed.ini").status, 0);
  ASSERT_EQ(Cli("archive remove out.pkg B.INI").status, 0);
  EXPECT_EQ(Cli("archive remove out.pkg nothere").status, 1);
  // a.txt is still here: it is replaced only with --force.
  const CliRun refused = Cli("archive extract out.pkg renamed.ini a.txt -o .");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "quillon-cli: ./a.txt: file exists (use --force to replace it)\n");
  EXPECT_FALSE(std::filesystem::exists(dir.Path("renamed.ini")));
  const CliRun extract = Cli("archive extract out.pkg renamed.ini a.txt -o . --force");
  ASSERT_EQ(extract.status, 0) << extract.out;
  EXPECT_EQ(ReadFile(dir.Path("renamed.ini")), "x=1");
  EXPECT_EQ(ReadFile(dir.Path("a.txt")), text);
  EXPECT_EQ(Cli("archive extract out.pkg b.ini").status, 1);
}

TEST_F(CliArchiveTest, ExtractAndInfo) {
  WriteFile(dir.Path("m.vir"), "driver bytes driver bytes driver bytes");
  ASSERT_EQ(Cli("archive create p.pkg m.vir").status, 0);
  ASSERT_EQ(std::system(("mkdir -p '" + dir.Path("x") + "'").c_str()), 0);
  const CliRun extract = Cli("archive extract p.pkg -o x");
  ASSERT_EQ(extract.status, 0) << extract.out;
  EXPECT_EQ(ReadFile(dir.Path("x/m.vir")), "driver bytes driver bytes driver bytes");
  const CliRun info = Cli("archive info p.pkg --json");
  ASSERT_EQ(info.status, 0) << info.out;
  const auto json = nlohmann::json::parse(info.out);
  EXPECT_EQ(json["version"], "5.0");
  EXPECT_EQ(json["members"], 1);
  EXPECT_EQ(json["valid_archive_name"], true);
  EXPECT_EQ(Cli("archive list missing.pkg").status, 1);
  WriteFile(dir.Path("junk.pkg"), "not an archive");
  const CliRun junk = Cli("archive list junk.pkg");
  EXPECT_EQ(junk.status, 1);
  EXPECT_EQ(ReadFile(dir.Path("junk.pkg")), "not an archive");
  EXPECT_EQ(Cli("archive").status, 2);
}

TEST_F(CliArchiveTest, LzssEncodeAndDecode) {
  WriteFile(dir.Path("in"), std::string(20, ' '));
  ASSERT_EQ(Cli("lzss encode in out.lz").status, 0);
  EXPECT_EQ(ReadFile(dir.Path("out.lz")), std::string("\x06\xDC\xFF\x20\x20", 5));
  ASSERT_EQ(Cli("lzss decode out.lz back").status, 0);
  EXPECT_EQ(ReadFile(dir.Path("back")), std::string(20, ' '));
  WriteFile(dir.Path("empty"), "");
  ASSERT_EQ(Cli("lzss encode empty e.lz").status, 0);
  EXPECT_EQ(ReadFile(dir.Path("e.lz")), "");
  EXPECT_EQ(Cli("lzss decode missing x").status, 1);
}

TEST_F(CliArchiveTest, TwoFilesOfOneNameAreRefusedAndALinkedArchiveStaysALink) {
  ASSERT_EQ(std::system(("mkdir -p '" + dir.Path("a") + "' '" + dir.Path("b") + "'").c_str()), 0);
  WriteFile(dir.Path("a/tv.vir"), "first driver");
  WriteFile(dir.Path("b/TV.VIR"), "second driver");
  const CliRun twice = Cli("archive create both.pkg a/tv.vir b/TV.VIR");
  EXPECT_EQ(twice.status, 1);
  EXPECT_EQ(twice.out, "quillon-cli: b/TV.VIR: a member named TV.VIR comes from a/tv.vir already\n");
  EXPECT_FALSE(std::filesystem::exists(dir.Path("both.pkg")));

  ASSERT_EQ(Cli("archive create real.pkg a/tv.vir").status, 0);
  std::filesystem::create_symlink("real.pkg", dir.Path("link.pkg"));
  WriteFile(dir.Path("notes.txt"), "notes notes notes");
  ASSERT_EQ(Cli("archive add link.pkg notes.txt").status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.pkg")));
  const CliRun list = Cli("archive list real.pkg --json");
  ASSERT_EQ(list.status, 0) << list.out;
  EXPECT_EQ(nlohmann::json::parse(list.out)["members"].size(), 2u);
  // --force replaces an archive instead of adding to it.
  ASSERT_EQ(Cli("archive create real.pkg notes.txt --force").status, 0);
  EXPECT_EQ(nlohmann::json::parse(Cli("archive list real.pkg --json").out)["members"].size(), 1u);
  const CliRun one = Cli("archive extract real.pkg notes.txt -o -");
  EXPECT_EQ(one.out, "notes notes notes");
}

}  // namespace
}  // namespace quillon::filetools
