#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app/CCommandLibrary.h"
#include "app/CConfigFiles.h"
#include "app/CDocManagerEx.h"
#include "app/CProfile.h"
#include "app/CQuillonApp.h"
#include "app/CQuillonException.h"
#include "app/CRegistry.h"
#include "app/IPrompt.h"
#include "app/IQuillonShell.h"
#include "devicelink/CQVXConnectionType.h"
#include "devicelink/CQVXConnectionTypeList.h"
#include "devicelink/CQVXDeviceTypeList.h"
#include "library/CLibraryFolder.h"
#include "tests/app/CurrentDir.h"
#include "tests/app/RegistryEnv.h"

namespace quillon {
namespace {

using testing::RegistryEnv;
using testing::TempDir;

class RecordingPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string& text, const std::string& caption, PromptButtons, PromptIcon) override {
    messages.push_back(text);
    captions.push_back(caption);
    if (log) log->push_back("message: " + text);
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
  std::vector<std::string> messages;
  std::vector<std::string> captions;
  std::vector<std::string>* log = nullptr;
};

// Records what the start-up asks of the windows, in order.
class RecordingShell : public IQuillonShell {
 public:
  bool CreateMainFrame() override {
    log.push_back("create");
    return createOk;
  }
  CQVXConnectionTypeList& RecentConnections() override { return recent; }
  void SetCurrentConnection(std::unique_ptr<CQVXConnectionType> description, const std::string& path) override {
    log.push_back("connection " + (description ? description->GetConnectionText() : std::string("none")) +
                  (path.empty() ? "" : " " + path));
    current = std::move(description);
  }
  void RegisterClipboardFormat(const std::string& name) override { log.push_back("clipboard " + name); }
  bool NewDriver() override {
    log.push_back("new");
    return true;
  }
  bool OpenDriver(const std::string& path) override {
    log.push_back("open " + path);
    return path.find("missing") == std::string::npos;
  }
  void ShowMainFrame() override { log.push_back("show"); }

  bool createOk = true;
  CQVXConnectionTypeList recent;
  std::unique_ptr<CQVXConnectionType> current;
  std::vector<std::string> log;
};

CQuillonApp::Seams FixedClock() {
  CQuillonApp::Seams seams;
  seams.clock = [] {
    std::tm date{};
    date.tm_year = 2026 - 1900;
    date.tm_mon = 11;
    date.tm_mday = 31;
    date.tm_hour = 12;
    return std::mktime(&date);
  };
  return seams;
}

TEST(Startup, StepsRunInOrderAndTheCommandLineConnectionComesLast) {
  RegistryEnv env;
  RecordingPrompt prompt;
  RecordingShell shell;
  prompt.log = &shell.log;
  CQuillonApp app(prompt, FixedClock());
  EXPECT_EQ(CQuillonApp::Current(), &app);
  const CQuillonCommandLine line =
      CQuillonCommandLine::Parse({"/ip10.0.0.5:4000", "/PWDSecret", "tv.vir", "dvd.vir"});
  ASSERT_TRUE(app.InitInstance(line, shell));
  EXPECT_EQ(app.GetCompletedSteps(), 15);
  const std::vector<std::string> expected = {
      "create",
      "clipboard Quillon.DriverFunctions",
      "open tv.vir",
      "open dvd.vir",
      "show",
      "connection " + std::string("TCP:10.0.0.5,4000,,") + CQVXConnectionType::ScramblePassword("Secret"),
  };
  EXPECT_EQ(shell.log, expected);
  EXPECT_TRUE(prompt.messages.empty());
  ASSERT_TRUE(shell.current);
  EXPECT_EQ(shell.current->GetPassword(), "Secret");
  EXPECT_TRUE(app.IsCommandLineConnection());
  EXPECT_EQ(app.GetUpperCommandLine(), "/IP10.0.0.5:4000 /PWDSECRET TV.VIR DVD.VIR");
  EXPECT_EQ(app.GetNextYear(), 2027);
  EXPECT_FALSE(app.IsLibraryAvailable());
  // Settings, device table and reference lists come from the embedded copies.
  EXPECT_EQ(app.GetSettingsPath(), "");
  EXPECT_GT(app.GetDeviceTypes().GetCount(), 0);
  EXPECT_GT(app.GetCommandLibrary().GetCount(), 0);
}

TEST(Startup, AnEmptyCommandLineMakesANewDriverAndRestoresTheSavedConnections) {
  RegistryEnv env;
  CQVXConnectionTypeList saved;
  saved.AddFromText("TCP:10.0.0.7,23,Rack,");
  saved.AddFromText("SERIAL:2,9600,None,8,1,Off,Bench,");
  saved.SaveRecentToProfile(saved.GetAt(1));

  RecordingPrompt prompt;
  RecordingShell shell;
  CQuillonApp app(prompt, FixedClock());
  ASSERT_TRUE(app.InitInstance(CQuillonCommandLine::Parse({}), shell));
  ASSERT_EQ(shell.recent.GetCount(), 2);
  EXPECT_EQ(shell.recent.GetAt(0)->GetName(), "Rack");
  ASSERT_TRUE(shell.current);
  EXPECT_TRUE(shell.current->IsSerial());
  EXPECT_FALSE(app.IsCommandLineConnection());
  EXPECT_EQ(shell.log.back(), "show");
  EXPECT_NE(std::find(shell.log.begin(), shell.log.end(), "new"), shell.log.end());
  EXPECT_EQ(app.GetUpperCommandLine(), "");
}

TEST(Startup, BadSerialFieldsAreReportedAfterTheWindowShowsAndSetNothing) {
  RegistryEnv env;
  RecordingPrompt prompt;
  RecordingShell shell;
  prompt.log = &shell.log;
  CQuillonApp app(prompt, FixedClock());
  ASSERT_TRUE(app.InitInstance(CQuillonCommandLine::Parse({"/COM2,9600,N,8,3"}), shell));
  EXPECT_EQ(shell.log.back(), "message: Invalid/Unsupported Serial Configuration parameters");
  EXPECT_EQ(shell.log[shell.log.size() - 2], "show");
  EXPECT_FALSE(shell.current);
  EXPECT_FALSE(app.IsCommandLineConnection());
}

TEST(Startup, FailuresEndTheStartUpWithTheirMessages) {
  RegistryEnv env;
  {
    RecordingPrompt prompt;
    RecordingShell shell;
    CQuillonApp::Seams seams;
    seams.socketCheck = [] { return false; };
    CQuillonApp app(prompt, seams);
    EXPECT_FALSE(app.InitInstance(CQuillonCommandLine::Parse({}), shell));
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Windows sockets initialization failed."});
    EXPECT_TRUE(shell.log.empty());
  }
  {
    RecordingPrompt prompt;
    RecordingShell shell;
    CQuillonApp::Seams seams;
    seams.loadSettings = [](CQuillonApp&) { throw CQuillonException("Program resources corrupted"); };
    CQuillonApp app(prompt, seams);
    EXPECT_FALSE(app.InitInstance(CQuillonCommandLine::Parse({"/IP10.0.0.5"}), shell));
    EXPECT_EQ(prompt.messages, std::vector<std::string>{"Internal data corrupted.  Aborting."});
    EXPECT_EQ(app.GetCompletedSteps(), 7);
    EXPECT_EQ(shell.log, std::vector<std::string>{"create"});
  }
  {
    RecordingPrompt prompt;
    RecordingShell shell;
    shell.createOk = false;
    CQuillonApp app(prompt);
    EXPECT_FALSE(app.InitInstance(CQuillonCommandLine::Parse({}), shell));
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(app.GetCompletedSteps(), 4);
  }
  {
    // The only driver cannot be read: the program exits; one of two is enough.
    RecordingPrompt prompt;
    RecordingShell shell;
    CQuillonApp app(prompt);
    EXPECT_FALSE(app.InitInstance(CQuillonCommandLine::Parse({"missing.vir"}), shell));
    EXPECT_EQ(app.GetCompletedSteps(), 12);
    RecordingShell second;
    CQuillonApp again(prompt);
    EXPECT_TRUE(again.InitInstance(CQuillonCommandLine::Parse({"missing.vir", "tv.vir"}), second));
  }
}

TEST(Startup, MakeIniWritesTheDefaultsBeforeTheReferenceListsAreLoaded) {
  RegistryEnv env;
  const std::string common = env.Dir().File("common/data");
  ASSERT_TRUE(CRegistry::SetString(RegistryRoot::Machine, CConfigFiles::kCommonKey, "path", common));
  RecordingPrompt prompt;
  RecordingShell shell;
  CQuillonApp app(prompt);
  ASSERT_TRUE(app.InitInstance(CQuillonCommandLine::Parse({"/makeini"}), shell));
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(app.GetReferenceListsPath(), common + "/irfunctions.ini");
  EXPECT_EQ(app.GetSettingsPath(), common + "/quillon.ini");

  // A plain file where a folder level should be: reported, start-up goes on.
  TempDir dir;
  dir.Write("blocker", "x");
  ASSERT_TRUE(CRegistry::SetString(RegistryRoot::Machine, CConfigFiles::kCommonKey, "path", dir.File("blocker/data")));
  RecordingPrompt failing;
  RecordingShell shell2;
  CQuillonApp app2(failing);
  EXPECT_TRUE(app2.InitInstance(CQuillonCommandLine::Parse({"/MAKEINI"}), shell2));
  EXPECT_EQ(failing.messages, std::vector<std::string>{"One or more INI files could not be saved."});
}

TEST(Startup, TheManualIsLookedForInTheCurrentProgramAndInstallFolders) {
  RegistryEnv env;
  TempDir here, program, install;
  here.Write("Quillon.html", "");  // empty: skipped
  program.Write("Quillon.html", "<html>");
  const auto candidates = CQuillonApp::HelpFileCandidates(here.Path(), program.Path(), install.Path() + "/");
  ASSERT_EQ(candidates.size(), 4u);
  EXPECT_EQ(candidates[0], here.File("Quillon.html"));
  EXPECT_EQ(candidates[2], install.File("Quillon.html"));
  EXPECT_EQ(candidates[3], program.File("../share/doc/quillon/manual.html"));
  EXPECT_EQ(CQuillonApp::LocateHelpFile(candidates), program.File("Quillon.html"));

  testing::CurrentDir cwd(here.Path());
  ASSERT_TRUE(cwd.Ok());
  here.Write("Quillon.html", "<html>");
  RecordingPrompt prompt;
  RecordingShell shell;
  CQuillonApp::Seams seams;
  seams.programPath = program.File("quillon");
  CQuillonApp app(prompt, seams);
  ASSERT_TRUE(app.InitInstance(CQuillonCommandLine::Parse({}), shell));
  EXPECT_TRUE(app.IsHelpFound());
  EXPECT_EQ(app.GetHelpPath(), here.File("Quillon.html"));
}

TEST(Startup, TheLibraryIsAvailableWhenItsFolderHoldsADriver) {
  RegistryEnv env;
  const std::string folder = env.Dir().File("library");
  ASSERT_TRUE(CConfigFiles::CreateFolderLevels(folder));
  ASSERT_TRUE(CRegistry::SetString(RegistryRoot::Machine, CConfigFiles::kCommonKey, "driverpath2", folder));
  auto startWith = [](RecordingPrompt& prompt) {
    CLibraryFolder::Reset();
    RecordingShell shell;
    CQuillonApp app(prompt);
    EXPECT_TRUE(app.InitInstance(CQuillonCommandLine::Parse({}), shell));
    return app.IsLibraryAvailable();
  };
  RecordingPrompt prompt;
  EXPECT_FALSE(startWith(prompt));  // an empty folder is no library
  env.Dir().Write("library/notes.txt", "x");
  EXPECT_FALSE(startWith(prompt));
  env.Dir().Write("library/TV_1.VIR", "x");
  EXPECT_TRUE(startWith(prompt));
  EXPECT_TRUE(prompt.messages.empty());

  CQuillonApp::SetLibraryCheck([] { return false; });
  EXPECT_FALSE(startWith(prompt));
  CQuillonApp::SetLibraryCheck(nullptr);
  CLibraryFolder::Reset();
}

TEST(AppState, RecentFilesKeepFourAndSurviveARestart) {
  RegistryEnv env;
  RecordingPrompt prompt;
  {
    CQuillonApp app(prompt);
    for (const char* path : {"/d/a.vir", "/d/b.vir", "/d/c.vir", "/d/d.vir", "/d/e.vir", "/d/b.vir"}) {
      app.AddRecentFile(path);
    }
    EXPECT_EQ(app.GetRecentFiles(), (std::vector<std::string>{"/d/b.vir", "/d/e.vir", "/d/d.vir", "/d/c.vir"}));
    app.RemoveRecentFile("/d/e.vir");
  }
  RecordingShell shell;
  CQuillonApp next(prompt);
  ASSERT_TRUE(next.InitInstance(CQuillonCommandLine::Parse({}), shell));
  EXPECT_EQ(next.GetRecentFiles(), (std::vector<std::string>{"/d/b.vir", "/d/d.vir", "/d/c.vir"}));
  EXPECT_EQ(next.NextUntitledTitle(), "VIR1");
  EXPECT_EQ(next.NextUntitledTitle(), "VIR2");
}

TEST(AppState, AboutVersionTextFollowsItsFormat) {
  EXPECT_EQ(CQuillonApp::AboutVersionText(2, 5), "Quillon Version 2.5");
  // A zero minor number is written, not left out.
  EXPECT_EQ(CQuillonApp::AboutVersionText(1, 0), "Quillon Version 1.0");
  EXPECT_EQ(CQuillonApp::GetMakerWebAddress().rfind("https://", 0), 0u);
}

TEST(DocManager, DialogsListTheDriverFilterStartInTheDriverFolderAndNoteIt) {
  EXPECT_EQ(CDocManagerEx::GetTemplatePart(CDocManagerEx::kFilterName), "Velmor IR Drivers (*.vir)");
  EXPECT_EQ(CDocManagerEx::GetTemplatePart(CDocManagerEx::kDocName), "VIR");
  EXPECT_EQ(CDocManagerEx::GetTemplatePart(CDocManagerEx::kRegFileTypeName), "Velmor IR Driver");

  const auto open = CDocManagerEx::OpenDialog("/srv/drivers/");
  EXPECT_EQ(open.filters, "Velmor IR Drivers (*.vir);;All Files (*)");
  EXPECT_EQ(open.folder, "/srv/drivers/");
  EXPECT_EQ(open.note, "");

  const auto fresh = CDocManagerEx::SaveDialog("/srv/drivers/", "VIR2", "");
  EXPECT_EQ(fresh.fileName, "VIR2.vir");
  EXPECT_EQ(fresh.folder, "/srv/drivers/");
  EXPECT_EQ(fresh.note,
            "Note! The IR driver should be saved in the \"/srv/drivers/\" folder.  Velmor software applications will "
            "not be able to locate the driver if it is not saved in this folder.");
  const auto saved = CDocManagerEx::SaveDialog("", "tv.vir", "/home/me/tv.vir");
  EXPECT_EQ(saved.fileName, "/home/me/tv.vir");
  EXPECT_EQ(saved.folder, "/home/me/");
  EXPECT_EQ(saved.note, "");
  EXPECT_EQ(CDocManagerEx::WithDriverExtension("/a.b/tv"), "/a.b/tv.vir");
  EXPECT_EQ(CDocManagerEx::WithDriverExtension("tv.VIR"), "tv.VIR");
}

}  // namespace
}  // namespace quillon
