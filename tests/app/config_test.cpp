#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>

#include "app/CConfigFiles.h"
#include "app/CEmbeddedResources.h"
#include "app/CMemINI.h"
#include "app/CProfile.h"
#include "app/CQuillonException.h"
#include "app/CRegistry.h"
#include "app/IPrompt.h"
#include "tests/app/CurrentDir.h"
#include "tests/app/RegistryEnv.h"

namespace quillon {
namespace {

using quillon::testing::CurrentDir;
using quillon::testing::RegistryEnv;
using quillon::testing::TempDir;

class RecordingPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string& text, const std::string&, PromptButtons, PromptIcon) override {
    messages.push_back(text);
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
  std::vector<std::string> messages;
};

void SetCommon(const std::string& name, const std::string& value) {
  ASSERT_TRUE(CRegistry::SetString(RegistryRoot::Machine, CConfigFiles::kCommonKey, name, value));
}

TEST(ConfigFolders, ValuesGetOneSeparatorAndMissingOnesAreEmpty) {
  RegistryEnv env;
  CConfigFiles::ResetDriverFolderCache();
  EXPECT_EQ(CConfigFiles::GetFolder(CConfigFiles::kCommonFolder), "");
  EXPECT_EQ(CConfigFiles::GetFolder(CConfigFiles::kDriverFolder), "");
  SetCommon("path", "/opt/velmor/common");
  SetCommon("libpath", "/opt/velmor/lib/");
  EXPECT_EQ(CConfigFiles::GetFolder(CConfigFiles::kCommonFolder), "/opt/velmor/common/");
  EXPECT_EQ(CConfigFiles::GetFolder(CConfigFiles::kLibraryFolder), "/opt/velmor/lib/");
  EXPECT_EQ(CConfigFiles::GetFolder(7), "");
  ASSERT_TRUE(CRegistry::SetString(RegistryRoot::Machine, CConfigFiles::kProgramKey, "path", "/opt/quillon"));
  EXPECT_EQ(CConfigFiles::GetInstallFolder(), "/opt/quillon/");
}

TEST(ConfigFolders, DriverFolderPrefersNewerValueAndIsCachedForTheRun) {
  RegistryEnv env;
  CConfigFiles::ResetDriverFolderCache();
  SetCommon("driverpath", "/old/drivers");
  EXPECT_EQ(CConfigFiles::GetFolder(CConfigFiles::kDriverFolder), "/old/drivers/");
  SetCommon("driverpath2", "/new/drivers");
  EXPECT_EQ(CConfigFiles::GetFolder(CConfigFiles::kDriverFolder), "/old/drivers/");  // cached
  EXPECT_EQ(CConfigFiles::ResolveFolder(CConfigFiles::kDriverFolder), "/new/drivers/");
  CConfigFiles::ResetDriverFolderCache();
  EXPECT_EQ(CConfigFiles::GetFolder(CConfigFiles::kDriverFolder), "/new/drivers/");
  CConfigFiles::ResetDriverFolderCache();
}

TEST(ConfigLocate, CommonFolderThenCurrentDirectoryThenEmbedded) {
  RegistryEnv env;
  TempDir work;
  CurrentDir cwd(work.Path());
  ASSERT_TRUE(cwd.Ok());
  const std::string common = env.Dir().File("common");
  ASSERT_EQ(::mkdir(common.c_str(), 0777), 0);

  // Nothing anywhere: the embedded copy.
  EXPECT_EQ(CConfigFiles::LocateIniFile("quillon.ini"), "");
  CMemINI ini;
  EXPECT_EQ(CConfigFiles::LoadSettingsIni(ini), "");
  EXPECT_EQ(ini.GetInt("supported_learners", "learner_count", 0), 15);
  EXPECT_EQ(ini.GetInt("ProgramSettings", "gen_query_timeout", 0), 3000);

  // The current directory, when the common folder has only an empty file.
  work.Write("quillon.ini", "[ProgramSettings]\r\ngen_query_timeout=1234\r\n");
  SetCommon("path", common);
  std::string empty = common + "/quillon.ini";
  { std::ofstream(empty).flush(); }
  EXPECT_EQ(CConfigFiles::LocateIniFile("quillon.ini"), "quillon.ini");
  EXPECT_EQ(CConfigFiles::LoadSettingsIni(ini), "quillon.ini");
  EXPECT_EQ(ini.GetInt("ProgramSettings", "gen_query_timeout", 0), 1234);

  // The common folder wins once its copy has content; with or without a
  // trailing separator the path is the same.
  { std::ofstream(empty) << "[x]\ny=1\n"; }
  EXPECT_EQ(CConfigFiles::LocateIniFile("quillon.ini"), common + "/quillon.ini");
  SetCommon("path", common + "/");
  EXPECT_EQ(CConfigFiles::LocateIniFile("quillon.ini"), common + "/quillon.ini");
}

TEST(ConfigEmbedded, ResourcesKeepCarriageReturnsUntilParsed) {
  auto raw = CEmbeddedResources::Find(CEmbeddedResources::kQuillonIni);
  ASSERT_TRUE(raw);
  EXPECT_NE(raw->find("\r\n"), std::string_view::npos);
  EXPECT_EQ(CEmbeddedResources::IniText(CEmbeddedResources::kQuillonIni).find('\r'), std::string::npos);
  EXPECT_EQ(CEmbeddedResources::FileName(CEmbeddedResources::kIrFunctionsIni), "irfunctions.ini");
  EXPECT_FALSE(CEmbeddedResources::Find(160));
  try {
    CMemINI ini;
    CConfigFiles::LoadEmbeddedIni(160, ini);
    FAIL() << "no exception";
  } catch (const CQuillonException& e) {
    EXPECT_EQ(e.GetText(), "Program resources corrupted");
  }
}

TEST(ConfigEmbedded, DefaultSettingsCarryTimeoutsAndCommentedCaptureSettings) {
  CMemINI ini;
  CConfigFiles::LoadEmbeddedIni(CEmbeddedResources::kQuillonIni, ini);
  const CMemINISection* settings = ini.FindSection("ProgramSettings");
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(settings->GetCount(), 18 + 6);
  EXPECT_EQ(settings->GetInt("gen_query_eoftimeout", 0), 50);
  EXPECT_EQ(settings->GetInt("download_ack_timeout", 0), 5000);
  EXPECT_EQ(settings->GetString("com_parity", ""), "Odd,Even,*None,Mark,Space");
  EXPECT_EQ(ini.FindSection("qvx_capture_settings"), nullptr);
  EXPECT_EQ(ini.FindSection("hlvr_capture_settings"), nullptr);
  auto raw = CEmbeddedResources::Find(CEmbeddedResources::kQuillonIni);
  EXPECT_NE(raw->find(";[qvx_capture_settings]\r\n;min_carrier=30000\r\n;max_carrier=80000"), std::string_view::npos);
  // Learners the device link relies on.
  for (const char* name : {"71-2204-01", "71-2204-02", "71-629-86", "71-629-06", "71-633-08", "71-518-10",
                           "71-518-01"}) {
    bool found = false;
    for (int i = 0; i < ini.GetCount(); ++i) found = found || ini.GetAt(i)->GetString("partnumber", "") == name;
    EXPECT_TRUE(found) << name;
  }
}

TEST(ConfigWriteDefaults, CreatesFoldersLevelByLevelAndCopiesBytes) {
  RegistryEnv env;
  const std::string folder = env.Dir().File("a/b/c");
  SetCommon("path", folder);
  RecordingPrompt prompt;
  ASSERT_TRUE(CConfigFiles::WriteDefaultIniFiles(&prompt));
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(TempDir::Read(folder + "/irfunctions.ini"),
            std::string(*CEmbeddedResources::Find(CEmbeddedResources::kIrFunctionsIni)));
  EXPECT_EQ(TempDir::Read(folder + "/quillon.ini"),
            std::string(*CEmbeddedResources::Find(CEmbeddedResources::kQuillonIni)));
  // Written again over existing files.
  EXPECT_TRUE(CConfigFiles::WriteDefaultIniFiles(folder));
}

TEST(ConfigWriteDefaults, PlainFileInThePathFailsWithMessage) {
  RegistryEnv env;
  env.Dir().Write("blocker", "x");
  SetCommon("path", env.Dir().File("blocker/sub"));
  RecordingPrompt prompt;
  EXPECT_FALSE(CConfigFiles::WriteDefaultIniFiles(&prompt));
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0], "One or more INI files could not be saved.");
  struct stat info {};
  EXPECT_NE(::stat(env.Dir().File("blocker/sub").c_str(), &info), 0);

  // No common folder configured: nothing to write to.
  ASSERT_TRUE(CRegistry::DeleteValue(RegistryRoot::Machine, CConfigFiles::kCommonKey, "path"));
  EXPECT_FALSE(CConfigFiles::WriteDefaultIniFiles(&prompt));
  EXPECT_EQ(prompt.messages.size(), 2u);
}

TEST(Profile, RecentConnectionsKeepBlankMarkersAndStopAtThem) {
  RegistryEnv env;
  ASSERT_TRUE(CProfile::SaveRecentConnections("", {"TCP:10.0.0.1,23", "TCP:10.0.0.2,23"}));
  EXPECT_EQ(CProfile::GetProfileString("RecentConnections", "pendingConnection", "x"), " ");
  EXPECT_EQ(CProfile::GetProfileString("RecentConnections", "recentConnection_2", "x"), " ");
  std::string pending;
  std::vector<std::string> recent;
  CProfile::LoadRecentConnections(pending, recent);
  EXPECT_EQ(pending, " ");
  EXPECT_EQ(recent, (std::vector<std::string>{"TCP:10.0.0.1,23", "TCP:10.0.0.2,23"}));

  ASSERT_TRUE(CProfile::SaveRecentConnections("TCP:1.2.3.4,23", {"a", "b", "c", "d", "e"}));
  CProfile::LoadRecentConnections(pending, recent);
  EXPECT_EQ(pending, "TCP:1.2.3.4,23");
  EXPECT_EQ(recent.size(), 4u);
  EXPECT_EQ(CProfile::GetProfileString("RecentConnections", "recentConnection_4", ""), " ");
}

TEST(Profile, RecentFilesAndAutoSelect) {
  RegistryEnv env;
  EXPECT_EQ(CProfile::GetLearnAutoSelect(), 1);
  ASSERT_TRUE(CProfile::SetLearnAutoSelect(0));
  EXPECT_EQ(CProfile::GetLearnAutoSelect(), 0);

  std::vector<std::string> list;
  for (const char* f : {"/d/1.vir", "/d/2.vir", "/d/3.vir", "/d/4.vir", "/d/5.vir", "/d/3.vir"})
    CProfile::AddRecentFile(list, f);
  EXPECT_EQ(list, (std::vector<std::string>{"/d/3.vir", "/d/5.vir", "/d/4.vir", "/d/2.vir"}));
  ASSERT_TRUE(CProfile::SaveRecentFiles(list));
  EXPECT_EQ(CProfile::LoadRecentFiles(), list);
  ASSERT_TRUE(CProfile::SaveRecentFiles({"/only.vir"}));
  EXPECT_EQ(CProfile::LoadRecentFiles(), (std::vector<std::string>{"/only.vir"}));
}

}  // namespace
}  // namespace quillon
