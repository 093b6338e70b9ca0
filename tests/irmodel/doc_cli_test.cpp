// The driver editing commands of quillon-cli, run as a user would, with
// their results read back through "driver show".
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/irmodel/doc_test_support.h"

namespace quillon {
namespace {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

class DocCli : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_ = std::string(QUILLON_BINARY_DIR) + "/tools/cli/quillon-cli";
    if (!std::filesystem::exists(cli_)) GTEST_SKIP() << "quillon-cli is not built";
  }

  CliRun Cli(const std::string& args) {
    const std::string errPath = folder_.File("stderr.txt");
    // Private registry stores: the run reads no settings of this machine.
    const std::string command = "cd '" + folder_.Path().string() +
                                "' && QUILLON_MACHINE_REGISTRY=machine.ini QUILLON_USER_REGISTRY=user.ini " +
                                "timeout 60 '" + cli_ + "' " + args + " 2>'" + errPath + "'";
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errPath);
    std::stringstream text;
    text << err.rdbuf();
    run.err = text.str();
    return run;
  }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(folder_.File(name), std::ios::binary) << text;
  }

  std::string cli_;
  doctest::TempFolder folder_;
};

TEST_F(DocCli, NewDriverShowsTheMaintainedEntries) {
  const CliRun made = Cli("driver new tv.vir --type 'tv tuner' --manufacturer 'Acme & Co' --model T1");
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_EQ(made.out, "tv.vir: 33 function slots of device type TV TUNER\n");
  EXPECT_EQ(made.err, "Illegal Characters removed.\n");
  const CliRun shown = Cli("driver show tv.vir --json");
  ASSERT_EQ(shown.status, 0) << shown.err;
  for (const char* part : {"{\"tag\":255,\"hex\":\"00000000\"}", "{\"tag\":136,\"text\":\"1.0.0\"}",
                           "{\"tag\":135,\"text\":\"1.00\"}", "{\"tag\":137,\"text\":\"tv.vir\"}",
                           "{\"tag\":131,\"text\":\"TV TUNER\"}", "{\"tag\":129,\"text\":\"Acme and Co\"}",
                           "{\"tag\":132,\"text\":\"1\"}", "{\"tag\":133,\"text\":\""})
    EXPECT_NE(shown.out.find(part), std::string::npos) << part << "\n" << shown.out;
}

TEST_F(DocCli, ImportWithoutHeaderFails) {
  Write("bad.ini", "[function_0]\nfunction_name=A\n");
  const CliRun run = Cli("driver import bad.ini out.vir");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("The INI file is invalid/corrupted."), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(folder_.File("out.vir")));
}

TEST_F(DocCli, ImportMessagesOnStderrInOrder) {
  Write("in.ini",
        "[HEADER]\ndevice_type=Zzz\nfunction_count=3\n"
        "[function_0]\nfunction_name=ONE\nsub0_divider=3000\nsub0_times=0x10,0x20\nsub0_body_selectors=0x01\n"
        "[function_1]\nfunction_name=one\n"
        "[function_2]\nfunction_name=TWO\nsub0_divider=1736\nsub0_times=0x123456\nsub0_body_selectors=0x00\n");
  // With --lenient the messages are all stderr holds; without, one more
  // line says the result may not be usable and the exit status is 1.
  const CliRun strict = Cli("driver import in.ini strict.vir");
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.err.rfind("sub of fcn 0: Invalid timebase\nfcn 1: Bad/Duplicate name\nList Value Truncated\n"
                             "quillon-cli: in.ini: 3 import messages; strict.vir was written",
                             0),
            0u)
      << strict.err;
  const CliRun run = Cli("driver import in.ini out.vir --lenient");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "sub of fcn 0: Invalid timebase\nfcn 1: Bad/Duplicate name\nList Value Truncated\n");
  const CliRun shown = Cli("driver show out.vir --json");
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("\"name\":\"ONE\",\"subfunctions\":[{\"flags\":1,\"divider\":100,"), std::string::npos)
      << shown.out;
  EXPECT_NE(shown.out.find("\"times\":[13398]"), std::string::npos) << shown.out;
}

TEST_F(DocCli, ExportImportRoundTripAndEdits) {
  Write("in.ini",
        "[HEADER]\ndevice_type=Other\nfunction_count=2\n"
        "[function_0]\nfunction_name=A\nsub0_divider=1736\nsub0_repeat_count=2\nsub0_times=0x10,0x20\n"
        "sub0_header_selectors=0x01\nsub0_body_selectors=0x10,0x11\n"
        "[function_1]\nfunction_name=B\nsub0_divider=1000\nsub0_times=0x30\nsub0_body_selectors=0x00\n");
  ASSERT_EQ(Cli("driver import in.ini d.vir").status, 0);
  ASSERT_EQ(Cli("driver export d.vir out.ini --functions B").status, 0);
  std::ifstream exported(folder_.File("out.ini"));
  std::stringstream text;
  text << exported.rdbuf();
  EXPECT_NE(text.str().find("function_count=1\r\n"), std::string::npos);
  EXPECT_NE(text.str().find("[function_0]\r\nfunction_name=B\r\n"), std::string::npos);

  EXPECT_EQ(Cli("driver rename d.vir A 'x&y'").status, 1);
  ASSERT_EQ(Cli("driver rename d.vir A C").status, 0);
  ASSERT_EQ(Cli("driver add d.vir E F").status, 0);  // kept by name: "Other" has no standard slots
  ASSERT_EQ(Cli("driver move d.vir --functions F --before C").status, 0);
  ASSERT_EQ(Cli("driver delete d.vir E").status, 0);
  ASSERT_EQ(Cli("driver set-repeat d.vir 7 --functions C").status, 0);
  const CliRun shown = Cli("driver show d.vir --json");
  ASSERT_EQ(shown.status, 0);
  const size_t f = shown.out.find("\"name\":\"F\"");
  const size_t c = shown.out.find("\"name\":\"C\"");
  const size_t b = shown.out.find("\"name\":\"B\"");
  ASSERT_NE(f, std::string::npos);
  EXPECT_LT(f, c);
  EXPECT_LT(c, b);
  EXPECT_EQ(shown.out.find("\"name\":\"E\""), std::string::npos);
  EXPECT_NE(shown.out.find("\"repeat_count\":7"), std::string::npos);

  // Paste into another driver with a conflicting name.
  ASSERT_EQ(Cli("driver copy d.vir blk --functions C,B").status, 0);
  ASSERT_EQ(Cli("driver merge d.vir d.vir --functions B --on-conflict rename-new").status, 0);
  ASSERT_EQ(Cli("driver paste d.vir blk --on-conflict rename-old").status, 0);
  const CliRun merged = Cli("driver show d.vir --json");
  for (const char* name : {"\"NewB\"", "\"OldC\"", "\"OldB\""})
    EXPECT_NE(merged.out.find(name), std::string::npos) << name << "\n" << merged.out;
}

}  // namespace
}  // namespace quillon
