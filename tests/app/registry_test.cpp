#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/CMemINI.h"
#include "app/CRegistry.h"
#include "tests/app/RegistryEnv.h"

namespace quillon {
namespace {

using quillon::testing::RegistryEnv;
using quillon::testing::TempDir;
constexpr auto kMachine = RegistryRoot::Machine;
constexpr auto kUser = RegistryRoot::User;

TEST(Registry, StorePathsFollowEnvironment) {
  RegistryEnv env;
  EXPECT_EQ(CRegistry::StorePath(kMachine), env.Dir().File("machine/registry.ini"));
  ::unsetenv("QUILLON_USER_REGISTRY");
  const char* old = std::getenv("XDG_CONFIG_HOME");
  std::string saved = old ? old : "";
  ::setenv("XDG_CONFIG_HOME", "/tmp/xdg-test", 1);
  EXPECT_EQ(CRegistry::StorePath(kUser), "/tmp/xdg-test/Velmor/Quillon.ini");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_NE(CRegistry::StorePath(kUser).find("/.config/Velmor/Quillon.ini"), std::string::npos);
  if (old) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  ::unsetenv("QUILLON_MACHINE_REGISTRY");
  EXPECT_EQ(CRegistry::StorePath(kMachine), "/etc/velmor/registry.ini");
}

TEST(Registry, ValuesRoundTripThroughTheFileIgnoringCase) {
  RegistryEnv env;
  EXPECT_FALSE(CRegistry::GetString(kMachine, "Software\\Velmor\\Common", "path"));
  ASSERT_TRUE(CRegistry::SetString(kMachine, "Software\\Velmor\\Common", "path", "/srv/velmor data/"));
  ASSERT_TRUE(CRegistry::SetDword(kMachine, "Software\\Velmor\\Quillon", "skip_pkg_warning", 0xDEADBEEF));
  EXPECT_EQ(CRegistry::GetString(kMachine, "software\\VELMOR\\common", "PATH"), "/srv/velmor data/");
  EXPECT_EQ(CRegistry::GetDword(kMachine, "Software\\Velmor\\Quillon", "skip_pkg_warning"), 0xDEADBEEFu);
  // Types are kept apart, as the system store does.
  EXPECT_FALSE(CRegistry::GetDword(kMachine, "Software\\Velmor\\Common", "path"));
  EXPECT_FALSE(CRegistry::GetString(kMachine, "Software\\Velmor\\Quillon", "skip_pkg_warning"));
  // The other store is separate.
  EXPECT_FALSE(CRegistry::GetString(kUser, "Software\\Velmor\\Common", "path"));
  // The file is an ordinary INI text.
  CMemINI ini;
  ASSERT_TRUE(ini.LoadFile(CRegistry::StorePath(kMachine)));
  EXPECT_EQ(ini.GetString("Software\\Velmor\\Common", "path", ""), "sz:/srv/velmor data/");
}

TEST(Registry, TextsTheIniRulesWouldAlterSurvive) {
  RegistryEnv env;
  const std::string key = "Software\\Velmor\\Quillon\\RecentConnections";
  const std::string tricky[] = {" ", "", "  lead and trail\t ", "a=b;c", "%41 percent", "line\r\nbreak",
                                std::string("nul\0byte", 8), "\xE9t\xE9"};
  int i = 0;
  for (const auto& text : tricky) {
    std::string name = "value " + std::to_string(i++);
    ASSERT_TRUE(CRegistry::SetString(kUser, key, name, text));
    EXPECT_EQ(CRegistry::GetString(kUser, key, name), text) << name;
  }
  // Odd value names and the default value.
  for (const std::string name : {"", "@", ";comment", "[x]", "a=b", " spaced "}) {
    ASSERT_TRUE(CRegistry::SetString(kUser, key, name, "v" + name));
  }
  for (const std::string name : {"", "@", ";comment", "[x]", "a=b", " spaced "}) {
    EXPECT_EQ(CRegistry::GetString(kUser, key, name), "v" + name) << name;
  }
}

TEST(Registry, KeysAreCreatedWithParentsListedAndDeletedAsTrees) {
  RegistryEnv env;
  const std::string clsid = "CLSID\\{0A1B2C3D-0000-1111-2222-333344445555}";
  ASSERT_TRUE(CRegistry::CreateKey(kMachine, clsid + "\\InprocServer32"));
  ASSERT_TRUE(CRegistry::SetString(kMachine, clsid + "\\ProgID", "", "Velmor.Tools.1"));
  ASSERT_TRUE(CRegistry::SetString(kMachine, "CLSID\\{OTHER}", "", "x"));
  EXPECT_TRUE(CRegistry::KeyExists(kMachine, "clsid"));
  EXPECT_TRUE(CRegistry::KeyExists(kMachine, clsid + "\\inprocserver32"));
  EXPECT_FALSE(CRegistry::KeyExists(kMachine, clsid + "\\Missing"));
  EXPECT_EQ(CRegistry::SubKeys(kMachine, "CLSID"),
            (std::vector<std::string>{"{0A1B2C3D-0000-1111-2222-333344445555}", "{OTHER}"}));
  EXPECT_EQ(CRegistry::SubKeys(kMachine, clsid), (std::vector<std::string>{"InprocServer32", "ProgID"}));
  EXPECT_EQ(CRegistry::SubKeys(kMachine, ""), (std::vector<std::string>{"CLSID"}));

  // An empty key survives a reload from the file.
  EXPECT_TRUE(CRegistry::SubKeys(kMachine, clsid + "\\InprocServer32").empty());

  EXPECT_TRUE(CRegistry::DeleteKey(kMachine, clsid));
  EXPECT_FALSE(CRegistry::KeyExists(kMachine, clsid + "\\ProgID"));
  EXPECT_FALSE(CRegistry::DeleteKey(kMachine, clsid));
  EXPECT_EQ(CRegistry::GetString(kMachine, "CLSID\\{OTHER}", ""), "x");
}

TEST(Registry, DeleteValueReportsWhetherItExisted) {
  RegistryEnv env;
  ASSERT_TRUE(CRegistry::SetDword(kUser, "K", "n", 1));
  EXPECT_TRUE(CRegistry::DeleteValue(kUser, "k", "N"));
  EXPECT_FALSE(CRegistry::DeleteValue(kUser, "K", "n"));
  EXPECT_TRUE(CRegistry::KeyExists(kUser, "K"));
}

TEST(Registry, UnwritableStoreFailsWithoutThrowing) {
  RegistryEnv env;
  std::string blocker = env.Dir().Write("plainfile", "x");
  ::setenv("QUILLON_MACHINE_REGISTRY", (blocker + "/registry.ini").c_str(), 1);
  EXPECT_FALSE(CRegistry::SetString(kMachine, "A", "b", "c"));
  EXPECT_FALSE(CRegistry::CreateKey(kMachine, "A"));
  EXPECT_FALSE(CRegistry::GetString(kMachine, "A", "b"));
}

TEST(Registry, ConcurrentWritersLoseNothing) {
  RegistryEnv env;
  constexpr int kProcesses = 4;
  constexpr int kWrites = 15;
  pid_t children[kProcesses];
  for (int p = 0; p < kProcesses; ++p) {
    children[p] = ::fork();
    ASSERT_GE(children[p], 0);
    if (children[p] == 0) {
      bool ok = true;
      for (int i = 0; i < kWrites; ++i)
        ok = CRegistry::SetDword(kUser, "Load\\P" + std::to_string(p), "v" + std::to_string(i),
                                 static_cast<uint32_t>(i)) && ok;
      ::_exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int p = 0; p < kProcesses; ++p)
    for (int i = 0; i < kWrites; ++i)
      EXPECT_EQ(CRegistry::GetDword(kUser, "Load\\P" + std::to_string(p), "v" + std::to_string(i)),
                static_cast<uint32_t>(i));
}

}  // namespace
}  // namespace quillon
