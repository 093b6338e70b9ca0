#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/app/RegistryEnv.h"

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

}  // namespace
}  // namespace quillon
