// "quillon-cli config set-folder", which the package's installation uses to
// name the install and common data folders in the machine store.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "app/CConfigFiles.h"
#include "tests/app/RegistryEnv.h"

namespace quillon {
namespace {

using quillon::testing::RegistryEnv;
using quillon::testing::TempDir;

const std::string kCli = std::string(QUILLON_BINARY_DIR) + "/tools/cli/quillon-cli";

// Runs the tool with ARGS in CWD; returns its exit status, stdout in OUT and
// stderr in ERR.
int RunCli(const std::string& cwd, const std::string& args, std::string& out, std::string& err) {
  out.clear();
  const std::string errFile = cwd + "/.stderr";
  FILE* pipe = ::popen(("cd " + cwd + " && timeout 60 " + kCli + " " + args + " 2>" + errFile).c_str(), "r");
  if (!pipe) return -1;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = ::pclose(pipe);
  err = TempDir::Read(errFile);
  std::remove(errFile.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CliSetFolder, InstallersNameFoldersTheProgramThenUses) {
  RegistryEnv env;
  std::string out, err;
  const std::string& cwd = env.Dir().Path();

  // A relative folder is stored absolute; the reader adds the separator.
  ASSERT_EQ(RunCli(cwd, "config set-folder common settings", out, err), 0) << err;
  EXPECT_EQ(out, "common folder: " + cwd + "/settings\n");
  EXPECT_EQ(CConfigFiles::GetFolder(CConfigFiles::kCommonFolder), cwd + "/settings/");

  // --keep leaves an administrator's choice alone; without it the value is replaced.
  ASSERT_EQ(RunCli(cwd, "config set-folder common /etc/velmor/ --keep", out, err), 0);
  EXPECT_EQ(out, "common folder: " + cwd + "/settings (kept)\n");
  ASSERT_EQ(RunCli(cwd, "config set-folder install /usr/share/quillon/", out, err), 0);
  EXPECT_EQ(CConfigFiles::GetInstallFolder(), "/usr/share/quillon/");
  ASSERT_EQ(RunCli(cwd, "config set-folder driver /srv/drivers", out, err), 0);
  EXPECT_EQ(CConfigFiles::ResolveFolder(CConfigFiles::kDriverFolder), "/srv/drivers/");

  // The defaults written there are the files the program reads from then on.
  ASSERT_EQ(RunCli(cwd, "config write-defaults", out, err), 0) << err;
  ASSERT_EQ(RunCli(cwd, "config show", out, err), 0);
  EXPECT_NE(out.find("quillon.ini: " + cwd + "/settings/quillon.ini\n"), std::string::npos) << out;

  ASSERT_EQ(RunCli(cwd, "config set-folder common --unset", out, err), 0);
  EXPECT_EQ(CConfigFiles::GetFolder(CConfigFiles::kCommonFolder), "");
  // Unsetting what is not set is no failure.
  EXPECT_EQ(RunCli(cwd, "config set-folder library --unset", out, err), 0);
}

TEST(CliSetFolder, RefusesBadUseAndNamesAStoreItCannotWrite) {
  RegistryEnv env;
  std::string out, err;
  const std::string& cwd = env.Dir().Path();
  EXPECT_EQ(RunCli(cwd, "config set-folder drivers /srv", out, err), 2);
  EXPECT_NE(err.find("unknown folder kind \"drivers\""), std::string::npos) << err;
  EXPECT_EQ(RunCli(cwd, "config set-folder common", out, err), 2);
  EXPECT_EQ(RunCli(cwd, "config set-folder common /srv --unset", out, err), 2);

  // A store whose folder is a plain file cannot be written.
  env.Dir().Write("blocker", "x");
  const std::string store = env.Dir().File("blocker/registry.ini");
  ASSERT_EQ(RunCli(cwd, "config set-folder common /srv", out, err), 0);
  ::setenv("QUILLON_MACHINE_REGISTRY", store.c_str(), 1);
  EXPECT_EQ(RunCli(cwd, "config set-folder common /srv", out, err), 1);
  EXPECT_EQ(err, "quillon-cli: " + store + ": Not a directory\n");
}

}  // namespace
}  // namespace quillon
