#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/app/RegistryEnv.h"
#include "tests/support/CliRun.h"

namespace quillon {
namespace {

using quillon::testing::RegistryEnv;
using quillon::testing::TempDir;

const std::string kCli = std::string(QUILLON_BINARY_DIR) + "/tools/cli/quillon-cli";

bool CliBuilt() {
  struct stat info {};
  return ::stat(kCli.c_str(), &info) == 0;
}

// Runs the tool with ARGS in an empty folder (so no INI file of the current
// directory is picked up); returns its exit status and stdout.
int RunCli(const std::string& args, std::string& out) {
  out.clear();
  TempDir cwd;
  FILE* pipe = ::popen(("cd " + cwd.Path() + " && timeout 60 " + kCli + " " + args + " 2>/dev/null").c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CliIni, ShowAndNormaliseGiveTheStoreView) {
  if (!CliBuilt()) GTEST_SKIP() << "quillon-cli not built";
  TempDir dir;
  std::string in = dir.Write("in.ini", "x=0\n[A]\n k = v\xE9 \n[a]\nK=w\n[B]\n");
  std::string out;
  ASSERT_EQ(RunCli("ini show --json " + in, out), 0);
  EXPECT_EQ(out, "{\"sections\":[{\"name\":\"A\",\"values\":[[\"k\",\"w\"]]},{\"name\":\"B\",\"values\":[]}]}\n");
  ASSERT_EQ(RunCli("ini normalise " + in + " " + dir.File("out.ini"), out), 0);
  EXPECT_EQ(TempDir::Read(dir.File("out.ini")), "[A]\r\nk=w\r\n\r\n[B]\r\n\r\n\r\n");
  EXPECT_EQ(RunCli("ini show " + dir.File("missing.ini"), out), 1);
}

TEST(CliConfig, ShowReportsEmbeddedDefaultsAndWriterFailsCleanly) {
  if (!CliBuilt()) GTEST_SKIP() << "quillon-cli not built";
  RegistryEnv env;
  std::string out;
  ASSERT_EQ(RunCli("config show --json", out), 0);
  EXPECT_NE(out.find("\"manufacturers\": 349"), std::string::npos);
  EXPECT_NE(out.find("\"source\": \"embedded\""), std::string::npos);
  ASSERT_EQ(RunCli("config write-defaults " + env.Dir().File("defaults"), out), 0);
  struct stat info {};
  EXPECT_EQ(::stat(env.Dir().File("defaults/irfunctions.ini").c_str(), &info), 0);
  env.Dir().Write("plain", "x");
  EXPECT_EQ(RunCli("config write-defaults " + env.Dir().File("plain/sub"), out), 1);
}

// Connection texts and --com share one grammar; a text that does not give a
// usable connection fails naming the field, instead of being wrapped into
// another address.
TEST(CliConn, ParseRefusesOutOfRangeFieldsAndTakesTheComForms) {
  testsupport::CliRunner cli(kCli);
  if (!cli.Available()) GTEST_SKIP() << "quillon-cli not built";
  struct Case {
    std::string text;
    std::string message;
  };
  const Case bad[] = {
      {"TCP:999.0.0.1,99999", "address: 999 is not 0..255"},
      {"TCP:10.0.0.1,99999", "port: 99999 is not 1..65535"},
      {"TCP:10.0.0.1", "port: missing (expected TCP:ADDRESS,PORT)"},
      {"SERIAL:COM1,9600,None,8,1,Off", "port: 'COM1' is not a port number (1..65535) or a device path"},
      {"SERIAL:1,19200,None,8,1,Off",
       "bit rate: '19200' is not one of 300, 600, 1200, 1800, 2400, 3600, 4800, 7200, 9600, 14400, 28800, 38400, "
       "57600, 115200"},
      {"SERIAL:1,9600,Q,8,1,Off", "parity: 'Q' is not one of None, Odd, Even, Mark, Space"},
  };
  for (const Case& c : bad) {
    const testsupport::CliResult r = cli.Run("conn parse " + testsupport::Quote(c.text));
    EXPECT_EQ(r.status, 1) << c.text;
    EXPECT_EQ(r.err, "quillon-cli: '" + c.text + "': " + c.message + "\n") << c.text;
  }
  const testsupport::CliResult path = cli.Run("conn parse --json 'SERIAL:/dev/ttyUSB0,9600,n,8,1,h,Lab'");
  ASSERT_EQ(path.status, 0) << path.err;
  EXPECT_NE(path.out.find("\"device_path\": \"/dev/ttyUSB0\""), std::string::npos);
  EXPECT_NE(path.out.find("\"connection_text\": \"SERIAL:/dev/ttyUSB0,9600,None,8,1,CTR/CRS (Hardware),Lab,9d\""),
            std::string::npos)
      << path.out;
  // --com takes the same forms and names the same fields (a usage error).
  const testsupport::CliResult com = cli.Run("device info --com 1,9600,Q,8,1");
  EXPECT_EQ(com.status, 2);
  EXPECT_EQ(com.err, "quillon-cli: --com '1,9600,Q,8,1': parity: 'Q' is not one of None, Odd, Even, Mark, Space\n");
  EXPECT_EQ(cli.Run("device info --ip 999.1.1.1").err, "quillon-cli: --ip '999.1.1.1': address: 999 is not 0..255\n");
}

TEST(CliProgram, VersionHelpSuggestionsAndCompletion) {
  testsupport::CliRunner cli(kCli);
  if (!cli.Available()) GTEST_SKIP() << "quillon-cli not built";
  const testsupport::CliResult version = cli.Run("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("quillon-cli ", 0), 0u);
  const testsupport::CliResult help = cli.Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Exit status:"), std::string::npos);

  const testsupport::CliResult typo = cli.Run("driver shwo x.vir");
  EXPECT_EQ(typo.status, 2);
  EXPECT_EQ(typo.err,
            "quillon-cli: 'shwo' is not a quillon-cli driver command. Did you mean 'show'?\n"
            "Run 'quillon-cli driver --help' for the commands.\n");
  EXPECT_NE(cli.Run("lzz encode a b").err.find("Did you mean 'lzss'?"), std::string::npos);

  // The completion script is valid bash and knows the commands and options.
  const testsupport::CliResult script = cli.Run("completion bash");
  ASSERT_EQ(script.status, 0);
  testsupport::WriteWhole(cli.Path("quillon-cli.bash"), script.out);
  EXPECT_EQ(std::system(("bash -n " + cli.Path("quillon-cli.bash")).c_str()), 0);
  const std::string complete = "bash -c " + testsupport::Quote(
      "source " + cli.Path("quillon-cli.bash") +
      "; COMP_WORDS=(quillon-cli driver sh); COMP_CWORD=2; _quillon_cli; echo \"${COMPREPLY[@]}\"; "
      "COMP_WORDS=(quillon-cli driver show --a); COMP_CWORD=3; _quillon_cli; echo \"${COMPREPLY[@]}\"") +
      " >" + cli.Path("completed.txt");
  ASSERT_EQ(std::system(complete.c_str()), 0);
  EXPECT_EQ(testsupport::ReadWhole(cli.Path("completed.txt")), "show\n--all\n");
}

}  // namespace
}  // namespace quillon
