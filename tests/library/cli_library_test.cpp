// "quillon-cli library list" and "library open", run as a program over a
// generated library.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/library/LibraryFixture.h"

namespace quillon {
namespace {

using namespace quillon::testing;

class CliLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = NewFolder("cli");
    const std::string support = KeyedSection("mfg", "mfg_count", "mfg", {{327, "???"}}) +
                                KeyedSection("main", "type_count", "type", {{3, "DVD"}}) +
                                "[supported]\r\nNum=1\r\n" + ModelSection(0, 3, 327, "ABC Player", "ABC", "2,4") +
                                ModelSection(1, 3, 327, "Solo", "SOLO", "1");
    abc4_ = DriverBytes("DVD", "???", "ABC Player", "4");
    WriteResourcePackage(dir_ + "/maker.pkg", {{"irsupport.ini", Bytes(support)},
                                               {"ABC_2.vir", DriverBytes("DVD", "???", "ABC Player", "2")},
                                               {"ABC_4.vir", abc4_},
                                               {"SOLO_1.vir", Bytes("not a driver")}});
    WriteFile(dir_ + "/mine.vir", DriverBytes("Tuner", "Acme", "T-1", "7"));
    WriteFile(dir_ + "/broken.pkg", Bytes("broken"));
  }

  // Runs quillon-cli with ARGS; returns the exit status, stdout in OUT and
  // stderr in ERR.
  int Run(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    const std::string outFile = dir_ + "/.stdout", errFile = dir_ + "/.stderr";
    const std::string command = std::string(QUILLON_BINARY_DIR) + "/tools/cli/quillon-cli " + args + " >'" +
                                outFile + "' 2>'" + errFile + "'";
    const int status = std::system(command.c_str());
    const auto o = ReadFile(outFile), e = ReadFile(errFile);
    if (out) out->assign(o.begin(), o.end());
    if (err) err->assign(e.begin(), e.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string dir_;
  std::vector<std::uint8_t> abc4_;
};

TEST_F(CliLibrary, ListPrintsEveryModelWithItsVersionsAsTheDialogShowsThem) {
  std::string out, err;
  ASSERT_EQ(Run("library list --json --verbose '" + dir_ + "'", &out, &err), 0) << err;
  const auto json = nlohmann::json::parse(out);
  const auto expected = nlohmann::json::parse(R"({"models":[
    {"type_key":3,"type":"DVD","manufacturer_key":327,"manufacturer":"Other","model":"ABC Player","versions":[
      {"version":2,"file":"ABC_2.vir","location":")" + dir_ + R"(/maker.pkg","loose":false},
      {"version":4,"file":"ABC_4.vir","location":")" + dir_ + R"(/maker.pkg","loose":false}]},
    {"type_key":3,"type":"DVD","manufacturer_key":327,"manufacturer":"Other","model":"Solo","versions":[
      {"version":1,"file":"SOLO_1.vir","location":")" + dir_ + R"(/maker.pkg","loose":false}]},
    {"type_key":-1,"type":"Tuner","manufacturer_key":-1,"manufacturer":"Acme","model":"T-1","versions":[
      {"version":7,"file":"mine.vir","location":")" + dir_ + R"(/","loose":true}]}]})");
  EXPECT_EQ(json, expected);
  EXPECT_NE(err.find("skipped " + dir_ + "/broken.pkg: irsupport.ini"), std::string::npos) << err;

  ASSERT_EQ(Run("library list '" + dir_ + "'", &out, &err), 0);
  EXPECT_NE(out.find("DVD / Other / ABC Player\n  version 2: ABC_2.vir in " + dir_ + "/maker.pkg\n"), std::string::npos)
      << out;
  EXPECT_NE(err.find("1 part of the library left out"), std::string::npos) << err;
  EXPECT_EQ(Run("library list '" + dir_ + "/none'", &out, &err), 1);
  EXPECT_EQ(err, "quillon-cli: " + dir_ + "/none: not a folder\n");
}

TEST_F(CliLibrary, OpenWritesTheDriverTheDialogWouldOpen) {
  const std::string out = NewFolder("cli-out") + "/out.vir";
  std::string err;
  const std::string abc = "library open '" + dir_ + "' --type DVD --manufacturer '\?\?\?' --model 'abc player' ";
  EXPECT_EQ(Run(abc + "'" + out + "'", nullptr, &err), 1);
  EXPECT_EQ(err, "quillon-cli: " + dir_ + ": ABC Player (DVD, Other) has versions 2, 4; choose one with --version\n");
  ASSERT_EQ(Run(abc + "--version 4 '" + out + "'", nullptr, &err), 0) << err;
  EXPECT_EQ(ReadFile(out), abc4_);
  EXPECT_EQ(Run(abc + "--version 4 '" + out + "'", nullptr, &err), 1);
  EXPECT_EQ(err, "quillon-cli: " + out + ": file exists (use --force to replace it)\n");
  EXPECT_EQ(Run(abc + "--version 3 --force '" + out + "'", nullptr, &err), 1);
  EXPECT_NE(err.find("has no version 3 (it has 2, 4)"), std::string::npos) << err;

  // A loose driver is copied as it is; a member that is no driver is refused.
  EXPECT_EQ(Run("library open '" + dir_ + "' --type tuner --manufacturer -1 --model T-1 --force '" + out + "'"), 0);
  EXPECT_EQ(ReadFile(out), ReadFile(dir_ + "/mine.vir"));
  EXPECT_EQ(Run("library open '" + dir_ + "' --type 3 --manufacturer Other --model Solo --force '" + out + "'",
                nullptr, &err),
            1);
  EXPECT_EQ(err, "quillon-cli: " + dir_ + "/maker.pkg: SOLO_1.vir is not a readable driver: " +
                     "Corrupt File\n");
  EXPECT_EQ(ReadFile(out), ReadFile(dir_ + "/mine.vir"));
  EXPECT_EQ(Run("library open '" + dir_ + "' --type DVD --manufacturer Sony --model X --force '" + out + "'", nullptr, &err), 1);
  EXPECT_EQ(err, "quillon-cli: " + dir_ + ": no manufacturer \"Sony\" in the library\n");
}

}  // namespace
}  // namespace quillon
