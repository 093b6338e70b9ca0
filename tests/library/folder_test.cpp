// The library folder choice from the machine settings, once per run, and the
// old-package warning's check box.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/CRegistry.h"
#include "app/IPrompt.h"
#include "library/CDlgOldPkgWarning.h"
#include "library/CLibraryFolder.h"
#include "library/CPromptOldPkgWarningView.h"
#include "tests/library/LibraryFixture.h"

namespace quillon {
namespace {

constexpr auto kMachine = RegistryRoot::Machine;

// Answers the warning with a check box state and records what it showed.
class ScriptedWarning : public IOldPkgWarningView {
 public:
  void ShowModal(CDlgOldPkgWarning& dialog) override {
    shown.push_back(dialog.GetMessageText());
    dialog.SetDontShowAgain(check);
  }
  bool check = false;
  std::vector<std::string> shown;
};

class LibraryFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CRegistry::DeleteKey(kMachine, CLibraryFolder::kCommonKey);
    CRegistry::DeleteKey(kMachine, CLibraryFolder::kProgramKey);
    CLibraryFolder::Reset();
  }
  void TearDown() override { CLibraryFolder::Reset(); }

  static void Set(const char* name, const std::string& value) {
    ASSERT_TRUE(CRegistry::SetString(kMachine, CLibraryFolder::kCommonKey, name, value));
  }
  static std::optional<uint32_t> Skip() {
    return CRegistry::GetDword(kMachine, CLibraryFolder::kProgramKey, CLibraryFolder::kSkipWarningValue);
  }

  ScriptedWarning view_;
};

TEST_F(LibraryFolderTest, OneFolderSetIsUsedAndClearsTheWarningSetting) {
  ASSERT_TRUE(CRegistry::SetDword(kMachine, CLibraryFolder::kProgramKey, CLibraryFolder::kSkipWarningValue, 1));
  Set(CLibraryFolder::kOlderValue, "/srv/old");
  EXPECT_EQ(CLibraryFolder::Get(&view_), "/srv/old/");
  EXPECT_EQ(Skip(), 0u);

  CLibraryFolder::Reset();
  CRegistry::DeleteValue(kMachine, CLibraryFolder::kCommonKey, CLibraryFolder::kOlderValue);
  Set(CLibraryFolder::kNewerValue, "/srv/new/");
  EXPECT_EQ(CLibraryFolder::Get(&view_), "/srv/new/");

  CLibraryFolder::Reset();
  CRegistry::DeleteValue(kMachine, CLibraryFolder::kCommonKey, CLibraryFolder::kNewerValue);
  ASSERT_TRUE(CRegistry::SetDword(kMachine, CLibraryFolder::kProgramKey, CLibraryFolder::kSkipWarningValue, 1));
  EXPECT_EQ(CLibraryFolder::Get(&view_), "");
  EXPECT_EQ(Skip(), 0u);
  EXPECT_TRUE(view_.shown.empty());
}

TEST_F(LibraryFolderTest, BothFoldersWarnOnceAndStoreTheCheckBox) {
  Set(CLibraryFolder::kOlderValue, "/srv/old/");
  Set(CLibraryFolder::kNewerValue, "/srv/new");
  view_.check = true;
  EXPECT_EQ(CLibraryFolder::Get(&view_), "/srv/new/");
  ASSERT_EQ(view_.shown.size(), 1u);
  // The message runs: older package found, older folder, copy loose
  // drivers, newer folder, otherwise not found.
  const std::string& text = view_.shown[0];
  const auto at = [&](const std::string& part) { return text.find(part); };
  EXPECT_LT(at(CDlgOldPkgWarning::kOlderPackageText), at("/srv/old/"));
  EXPECT_LT(at("/srv/old/"), at(CDlgOldPkgWarning::kCopyLooseText));
  EXPECT_LT(at(CDlgOldPkgWarning::kCopyLooseText), at("/srv/new"));
  EXPECT_LT(at("/srv/new"), at(CDlgOldPkgWarning::kNotFoundText));
  EXPECT_EQ(Skip(), 1u);

  // The choice holds for the run, whatever the settings say meanwhile.
  Set(CLibraryFolder::kNewerValue, "/elsewhere");
  EXPECT_EQ(CLibraryFolder::Get(&view_), "/srv/new/");
  EXPECT_EQ(view_.shown.size(), 1u);

  // Next run: the stored check box keeps the warning away.
  CLibraryFolder::Reset();
  EXPECT_EQ(CLibraryFolder::Get(&view_), "/elsewhere/");
  EXPECT_EQ(view_.shown.size(), 1u);
  EXPECT_EQ(Skip(), 1u);
}

TEST_F(LibraryFolderTest, AnUncheckedBoxOrAStringSettingShowsItAgain) {
  Set(CLibraryFolder::kOlderValue, "/srv/old");
  Set(CLibraryFolder::kNewerValue, "/srv/new");
  ASSERT_TRUE(CRegistry::SetString(kMachine, CLibraryFolder::kProgramKey, CLibraryFolder::kSkipWarningValue, "1"));
  view_.check = false;
  CLibraryFolder::Choose(&view_);
  EXPECT_EQ(Skip(), 0u);
  CLibraryFolder::Choose(&view_);
  EXPECT_EQ(view_.shown.size(), 2u);
}

class ChoosingPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string&, const std::string&, PromptButtons, PromptIcon) override {
    return PromptAnswer::Ok;
  }
  int Choose(const std::string& title, const std::string&, const std::vector<std::string>& options) override {
    titles.push_back(title);
    return options.size() == 2 ? answer : -1;
  }
  int answer = 1;
  std::vector<std::string> titles;
};

TEST_F(LibraryFolderTest, ThePromptViewMapsItsChoiceToTheCheckBox) {
  Set(CLibraryFolder::kOlderValue, "/srv/old");
  Set(CLibraryFolder::kNewerValue, "/srv/new");
  ChoosingPrompt prompt;
  CPromptOldPkgWarningView view(prompt);
  CLibraryFolder::Choose(&view);
  EXPECT_EQ(Skip(), 1u);
  ASSERT_TRUE(CRegistry::SetDword(kMachine, CLibraryFolder::kProgramKey, CLibraryFolder::kSkipWarningValue, 0));
  prompt.answer = -1;
  CLibraryFolder::Choose(&view);
  EXPECT_EQ(Skip(), 0u);
  EXPECT_EQ(prompt.titles, (std::vector<std::string>(2, CDlgOldPkgWarning::kTitle)));
}

}  // namespace
}  // namespace quillon
