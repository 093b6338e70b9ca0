// The "Learn Selected Functions" command around the learn dialog, and the
// transfer flows' choices, against the real emulator over TCP.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

#include "app/CCommandLibrary.h"
#include "app/CMfgList.h"
#include "app/CProfile.h"
#include "app/CReferenceLists.h"
#include "devicelink/CQVXEventFile.h"
#include "deviceops/CLearnCommand.h"
#include "deviceops/CTransfers.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"
#include "tests/devicelink/link_emulator_support.h"

namespace quillon {
namespace {

using linktest::Emulator;
using linktest::Watcher;

class AnswerPrompt : public IPrompt {
 public:
  explicit AnswerPrompt(PromptAnswer answer = PromptAnswer::Yes) : m_answer(answer) {}
  std::vector<std::string> messages;
  std::vector<std::string> captions;
  PromptAnswer MessageBox(const std::string& text, const std::string& caption, PromptButtons buttons,
                          PromptIcon) override {
    messages.push_back(text);
    captions.push_back(caption);
    return buttons == PromptButtons::YesNo ? m_answer : PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override {
    return -1;
  }

 private:
  PromptAnswer m_answer;
};

class LearnCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = linktest::TempDir("learncmd");
    setenv("QUILLON_USER_REGISTRY", (m_dir + "/user.ini").c_str(), 1);
    setenv("QUILLON_MACHINE_REGISTRY", (m_dir + "/machine.ini").c_str(), 1);
    CReferenceLists::LoadEmbedded(m_library, m_manufacturers);
  }
  void TearDown() override {
    m_link.Disconnect();
    std::filesystem::remove_all(m_dir);
  }

  void Connect(Emulator& emulator, Watcher& watch) {
    ASSERT_TRUE(emulator.Ready());
    m_link.SetSettingsFile(linktest::WriteSettings(m_dir));
    m_link.Connect(linktest::Tcp(emulator.Port()).get());
    ASSERT_TRUE(watch.WaitForEvent(7, 15000, 2)) << watch.Describe();
  }

  // A driver with POWER and PLAY, both holding one sub-function.
  void MakeDriver(CDriverDoc& doc) {
    ASSERT_TRUE(doc.OnNewDocument());
    for (const char* name : {"POWER", "PLAY"}) {
      const int at = doc.NewFunction();
      ASSERT_GE(at, 0);
      ASSERT_TRUE(doc.RenameFunction(at, name));
      doc.GetDriver().FindFunction(name)->AddSubFunction(std::make_unique<TQVXIrSubFunction>());
    }
  }

  // Learns the first selected row, then ends the dialog with OK or Cancel.
  static void LearnFirstRowThen(CLearnDlg& dlg, bool ok) {
    dlg.SetAutoSelect(false);
    dlg.ClickRow(0);
    dlg.Learn();
    for (int i = 0; i < 100 && dlg.GetState() == CLearnDlg::State::Capturing; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      dlg.Tick();
    }
    EXPECT_EQ(dlg.GetRows()[0].status, "Learned");
    if (ok) {
      dlg.Ok();
    } else {
      dlg.Cancel();
    }
  }

  std::string m_dir;
  CCommandLibrary m_library;
  CMfgList m_manufacturers;
  CQVX m_link;
};

TEST_F(LearnCommandTest, CancelKeepsTheDocumentAndOkOverwritesOnlyTheLearnedFunction) {
  Emulator emulator({"--first-pulse-ms", "150", "--capture-ms", "150"});
  Watcher watch(m_link);
  Connect(emulator, watch);
  AnswerPrompt prompt;
  CDriverDoc doc(prompt, &m_library);
  MakeDriver(doc);
  const TQVXIr before(doc.GetDriver());
  doc.SetSelection({doc.GetDriver().IndexOfFunction("POWER"), doc.GetDriver().IndexOfFunction("PLAY")});
  CLearnCommand command(&m_link, prompt, "");

  EXPECT_EQ(command.Run(&doc, "", [](CLearnDlg& dlg) { LearnFirstRowThen(dlg, false); }),
            CLearnDlg::EndResult::Cancel);
  const TQVXIrFunction* power = doc.GetDriver().FindFunction("POWER");
  ASSERT_NE(power, nullptr);
  EXPECT_EQ(power->GetSubFunction(0)->GetDivider(), before.FindFunction("POWER")->GetSubFunction(0)->GetDivider());
  EXPECT_FALSE(command.IsLearnActive());

  EXPECT_EQ(command.Run(&doc, "7", [](CLearnDlg& dlg) { LearnFirstRowThen(dlg, true); }),
            CLearnDlg::EndResult::Ok);
  EXPECT_TRUE(doc.IsModified());
  power = doc.GetDriver().FindFunction("POWER");
  EXPECT_NE(power->GetSubFunction(0)->GetDivider(), 0);
  EXPECT_EQ(power->GetSubFunction(0)->GetRepeatCount(), 7);
  const TQVXIrFunction* play = doc.GetDriver().FindFunction("PLAY");
  EXPECT_EQ(play->GetSubFunction(0)->GetDivider(), before.FindFunction("PLAY")->GetSubFunction(0)->GetDivider());
}

TEST_F(LearnCommandTest, EnhancedAnalysisChoiceIsRememberedInTheProfile) {
  AnswerPrompt prompt;
  CDriverDoc doc(prompt, &m_library);
  MakeDriver(doc);
  doc.SetSelection({doc.GetDriver().IndexOfFunction("POWER")});
  CLearnCommand command(nullptr, prompt, "");
  auto run = [&](const std::function<void(CLearnDlg&)>& inside) {
    command.Run(&doc, "", [&](CLearnDlg& dlg) {
      inside(dlg);
      dlg.Cancel();
    });
  };
  // Never chosen: the capture settings decide and nothing is remembered.
  run([](CLearnDlg& dlg) { EXPECT_FALSE(dlg.GetAnalysis()); });
  EXPECT_EQ(CProfile::GetLearnEnhancedAnalysis(), -1);
  // The box as the user leaves it is what the next dialog starts from.
  run([](CLearnDlg& dlg) { dlg.SetEnhancedAnalysis(true); });
  EXPECT_EQ(CProfile::GetLearnEnhancedAnalysis(), 1);
  run([](CLearnDlg& dlg) {
    EXPECT_TRUE(dlg.IsEnhancedAnalysis());
    dlg.SetEnhancedAnalysis(false);
  });
  EXPECT_EQ(CProfile::GetProfileInt("ProgramSettings", "learn_enhanced_analysis", -1), 0);
  // A choice for one run (the command line's) wins and is not remembered.
  command.SetAnalysis(TIrAnalysisMethod::Enhanced);
  run([](CLearnDlg& dlg) { EXPECT_TRUE(dlg.IsEnhancedAnalysis()); });
  EXPECT_EQ(CProfile::GetLearnEnhancedAnalysis(), 0);
}

TEST_F(LearnCommandTest, RefusalsBeforeTheDialogOpens) {
  AnswerPrompt prompt;
  CLearnCommand command(nullptr, prompt, "");
  bool ran = false;
  const auto run = [&](CLearnDlg&) { ran = true; };

  EXPECT_EQ(command.Run(nullptr, "", run), CLearnDlg::EndResult::Running);
  CDriverDoc doc(prompt, &m_library);
  MakeDriver(doc);
  doc.ClearSelection();
  EXPECT_EQ(command.Run(&doc, "", run), CLearnDlg::EndResult::Running);
  command.SetHandlingEvents(true);
  doc.SetSelection({0});
  EXPECT_EQ(command.Run(&doc, "", run), CLearnDlg::EndResult::Running);
  EXPECT_FALSE(ran);
  EXPECT_EQ(prompt.messages, (std::vector<std::string>{"No Open Drivers or No Drivers Selected",
                                                       "No Functions Selected for Learning"}));
  EXPECT_EQ(CLearnCommand::RepeatsFromText("12x"), 12);
  EXPECT_EQ(CLearnCommand::RepeatsFromText("x12"), 4);
  EXPECT_EQ(CLearnCommand::RepeatsFromText(""), 4);
}

TEST_F(LearnCommandTest, AnsweringNoToRunningEventsOpensNothingAndSendsNothing) {
  Emulator emulator({"--running-events", "3"});
  Watcher watch(m_link);
  Connect(emulator, watch);
  AnswerPrompt prompt(PromptAnswer::No);
  CDriverDoc doc(prompt, &m_library);
  MakeDriver(doc);
  doc.SetSelection({0});
  CLearnCommand command(&m_link, prompt, "");
  bool ran = false;
  EXPECT_EQ(command.Run(&doc, "", [&](CLearnDlg&) { ran = true; }), CLearnDlg::EndResult::Running);
  EXPECT_FALSE(ran);
  // Let a full update pass: nothing was queued.
  const int lists = watch.Count(7);
  m_link.SetRequestBits(CQVX::kRequestFileList);
  ASSERT_TRUE(watch.WaitForEvent(7, 15000, lists + 1));
  EXPECT_EQ(emulator.CountInLog("0AE"), 0);
  EXPECT_EQ(emulator.CountInLog("1AE"), 0);
}

TEST_F(LearnCommandTest, DownloadSkipsFilesThatAreNotDrivers) {
  const std::string store = m_dir + "/store";
  std::filesystem::create_directories(store);
  std::ofstream(store + "/notes.txt") << "not a driver";
  AnswerPrompt prompt;
  CDriverDoc doc(prompt, &m_library);
  MakeDriver(doc);
  ASSERT_TRUE(doc.OnSaveDocument(store + "/1.vir"));
  Emulator emulator({"--store", store});
  Watcher watch(m_link);
  Connect(emulator, watch);
  CTransfers transfers(m_link, prompt);
  EXPECT_EQ(transfers.Download({"1.vir", "notes.txt"}), 1);
  EXPECT_EQ(prompt.messages.back(), "Download 2 files?");
  EXPECT_EQ(prompt.captions.back(), "Download File(s)");
  EXPECT_EQ(transfers.Download({"missing.vir"}), 0);  // a single unknown row asks nothing
  EXPECT_EQ(prompt.messages.size(), 1u);
  ASSERT_TRUE(watch.WaitForEvent(10, 15000)) << watch.Describe();
  auto* received = dynamic_cast<CQVXEventFile*>(watch.Last(10));
  ASSERT_NE(received, nullptr);
  EXPECT_EQ(received->GetObject<CQVXDownloadable>()->GetRemoteName(), "1.vir");
  EXPECT_EQ(watch.Count(10), 1);
}

}  // namespace
}  // namespace quillon
