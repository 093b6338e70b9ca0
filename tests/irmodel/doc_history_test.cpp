// The document's edit history: every edit of a driver window is handed over
// once with its label and the driver before and after it, restoring either
// state gives exactly that driver and selection back, and changes made
// around the operations are never lost by going back. Also the verification
// captures the signal view shows.
#include <functional>

#include "irmodel/CFunctionClipboard.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "tests/irmodel/doc_test_support.h"

namespace quillon {
namespace {

using doctest::MakeFunction;
using doctest::MakeSub;
using doctest::Names;
using doctest::ScriptedPrompt;
using Entry = TQVXIrHeaderEntry;

class DocHistory : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = doctest::SmallLibrary();
    doc_ = std::make_unique<CDriverDoc>(prompt_, library_.get());
    doc_->SetAccessTests([] { return true; }, [] { return true; });
    doc_->SetClock([] { return std::time_t(0); });
    doc_->OnNewDocument();
    for (const char* name : {"POWER", "VOL+", "VOL-", "MUTE"}) doc_->GetDriver().Append(MakeFunction(name));
    doc_->SetEditRecorder([this](const CDriverEdit& edit) { edits_.push_back(edit); });
  }
  TQVXIr& Driver() { return doc_->GetDriver(); }

  ScriptedPrompt prompt_;
  std::unique_ptr<CCommandLibrary> library_;
  std::unique_ptr<CDriverDoc> doc_;
  std::vector<CDriverEdit> edits_;
};

struct EditCase {
  const char* label;
  std::vector<int> selection;
  std::function<void(CDriverDoc&)> run;
};

TEST_F(DocHistory, EveryEditIsRecordedOnceAndBothStatesComeBack) {
  std::vector<std::uint8_t> block;
  {
    ScriptedPrompt quiet;
    CDriverDoc source(quiet);
    source.OnNewDocument();
    source.GetDriver().Append(MakeFunction("EJECT"));
    source.GetDriver().Append(MakeFunction("OPEN"));
    source.SetSelection({0, 1});
    ASSERT_TRUE(source.CopySelected(&block));
  }
  const std::vector<EditCase> cases = {
      {"New Function", {}, [](CDriverDoc& doc) { doc.NewFunction(); }},
      {"Rename VOL+", {}, [](CDriverDoc& doc) { doc.RenameFunction(1, "LOUDER"); }},
      {"Delete 2 Functions", {1, 3}, [](CDriverDoc& doc) { doc.DeleteSelected(); }},
      {"Cut MUTE", {3}, [](CDriverDoc& doc) { doc.CutSelected(nullptr); }},
      {"Move 2 Functions", {2, 3}, [](CDriverDoc& doc) { doc.MoveSelected(0); }},
      {"Paste 2 Functions", {}, [&block](CDriverDoc& doc) { doc.PasteBlock(block); }},
      {"Modulation Off for POWER", {0}, [](CDriverDoc& doc) { doc.SetModulation(false); }},
      {"Repeat Count 9 for 2 Functions", {0, 2}, [](CDriverDoc& doc) { doc.SetRepeatCount("9"); }},
      {"Header Edit", {}, [](CDriverDoc& doc) {
         CDriverDoc::HeaderFields fields = doc.GetHeaderFields();
         fields.model = "KDL-40";
         doc.ApplyHeaderEdits(fields);
       }},
      {"Device Type Tiny", {}, [](CDriverDoc& doc) { doc.ChooseDeviceType("Tiny"); }},
      {"Velmor Driver On", {}, [](CDriverDoc& doc) { doc.SetVelmorFlag(true); }},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.label);
    edits_.clear();
    const TQVXIr original(Driver());
    doc_->SetSelection(c.selection);
    c.run(*doc_);
    ASSERT_EQ(edits_.size(), 1u);
    const CDriverEdit edit = edits_.front();
    EXPECT_EQ(edit.label, c.label);
    EXPECT_TRUE(CDriverEdit::SameContent(*edit.before.driver, original));
    EXPECT_TRUE(CDriverEdit::SameContent(*edit.after.driver, Driver()));
    EXPECT_FALSE(CDriverEdit::SameContent(original, Driver()));
    const TQVXIr edited(Driver());
    const std::vector<int> selectedAfter = doc_->GetSelection();

    doc_->RestoreState(edit.before);
    EXPECT_TRUE(CDriverEdit::SameContent(Driver(), original));
    EXPECT_EQ(doc_->GetSelection(), c.selection);
    doc_->RestoreState(edit.after);
    EXPECT_TRUE(CDriverEdit::SameContent(Driver(), edited));
    EXPECT_EQ(doc_->GetSelection(), selectedAfter);
    EXPECT_TRUE(edits_.size() == 1u) << "restoring recorded an edit";
    doc_->RestoreState(edit.before);  // the next case starts from the four functions
  }
}

TEST_F(DocHistory, EditsThatChangeNothingAreNotRecorded) {
  prompt_.boxes.clear();
  EXPECT_FALSE(doc_->RenameFunction(0, "A<B"));  // refused with a message box
  EXPECT_FALSE(doc_->RenameFunction(0, ""));
  doc_->SetSelection({0});
  doc_->SetRepeatCount("3");  // the count it already has
  doc_->SetModulation(true);  // already modulated
  std::vector<std::uint8_t> block;
  EXPECT_TRUE(doc_->CopySelected(&block));
  EXPECT_FALSE(doc_->MoveSelected(0));
  EXPECT_TRUE(edits_.empty());
  EXPECT_EQ(prompt_.boxes.size(), 1u);
}

TEST_F(DocHistory, ChangesMadeAroundTheOperationsAreKeptAsAnEditOfTheirOwn) {
  const TQVXIr original(Driver());
  // Someone writes straight into the driver (no operation around it).
  Driver().FindFunction("MUTE")->GetSubFunction(0)->SetDivider(2000);
  const TQVXIr changed(Driver());
  doc_->RenameFunction(0, "ON");
  ASSERT_EQ(edits_.size(), 2u);
  EXPECT_EQ(edits_[0].label, "Change");
  EXPECT_EQ(edits_[1].label, "Rename POWER");
  // Going back over the rename keeps the outside change; going back over the
  // change as well gives the original.
  doc_->RestoreState(edits_[1].before);
  EXPECT_TRUE(CDriverEdit::SameContent(Driver(), changed));
  doc_->RestoreState(edits_[0].before);
  EXPECT_TRUE(CDriverEdit::SameContent(Driver(), original));

  // Asked for directly (a history about to undo): once, then nothing left.
  Driver().Delete("VOL-");
  EXPECT_TRUE(doc_->RecordOutsideChanges());
  EXPECT_FALSE(doc_->RecordOutsideChanges());
  EXPECT_EQ(edits_.back().label, "Change");
}

TEST_F(DocHistory, AScopeGroupsOutsideWorkAndNamesItWhenDone) {
  {
    CDriverDoc::EditScope edit(*doc_, "Import");
    Driver().Append(MakeFunction("SIGNAL_1"));
    doc_->ApplyDeviceCommandList(false);
    doc_->RenameFunction(4, "SIGNAL_A");  // nested: part of the import
    edit.SetLabel("Import tv.ir");
  }
  ASSERT_EQ(edits_.size(), 1u);
  EXPECT_EQ(edits_[0].label, "Import tv.ir");
  EXPECT_EQ(Names(*edits_[0].after.driver).back(), "SIGNAL_A");
}

TEST_F(DocHistory, SavingTellsTheListenerAndTheNextEditStartsFromTheSavedDriver) {
  doctest::TempFolder folder;
  int saved = 0;
  doc_->SetSavedListener([&saved] { ++saved; });
  doc_->RenameFunction(0, "ON");
  ASSERT_TRUE(doc_->OnSaveDocument(folder.File("tv.vir")));
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(edits_.size(), 1u);  // the save's own header entries are no edit
  doc_->RenameFunction(1, "UP");
  ASSERT_EQ(edits_.size(), 2u);
  ASSERT_NE(edits_[1].before.driver->GetHeader().GetText(Entry::kFileName), nullptr);
  EXPECT_STREQ(edits_[1].before.driver->GetHeader().GetText(Entry::kFileName), "tv.vir");
  // A save that fails is no clean state.
  EXPECT_FALSE(doc_->OnSaveDocument(folder.File("missing/tv.vir")));
  EXPECT_EQ(saved, 1);
}

TEST_F(DocHistory, OpeningStartsAFreshHistory) {
  doctest::TempFolder folder;
  doc_->RenameFunction(0, "ON");
  ASSERT_TRUE(doc_->OnSaveDocument(folder.File("tv.vir")));
  edits_.clear();
  ASSERT_TRUE(doc_->OnOpenDocument(folder.File("tv.vir")));
  EXPECT_FALSE(doc_->RecordOutsideChanges());
  ASSERT_TRUE(doc_->OnNewDocument());
  EXPECT_FALSE(doc_->RecordOutsideChanges());
  EXPECT_TRUE(edits_.empty());
}

TEST_F(DocHistory, AcceptedLearnedFunctionsAreOneEditNamedAfterThem) {
  TQVXIr learned;
  learned.Append(MakeFunction("POWER", 1, 1900));
  learned.GetFunction(0)->SetFlags(TQVXIrFunction::kLearned);
  learned.Append(MakeFunction("MUTE", 1, 1950));
  learned.GetFunction(1)->SetFlags(TQVXIrFunction::kLearned | TQVXIrFunction::kLearnFailed);
  learned.Append(MakeFunction("VOL+"));  // unchanged copy
  EXPECT_EQ(doc_->AcceptLearned(learned), 2);
  ASSERT_EQ(edits_.size(), 1u);
  EXPECT_EQ(edits_[0].label, "Learn POWER");
  EXPECT_TRUE(doc_->IsModified());
  EXPECT_EQ(Driver().FindFunction("POWER")->GetSubFunction(0)->GetDivider(), 1900);
  EXPECT_EQ(Driver().FindFunction("MUTE")->GetSubFunction(0)->GetDivider(), 1736);  // failed: kept
  doc_->RestoreState(edits_[0].before);
  EXPECT_EQ(Driver().FindFunction("POWER")->GetSubFunction(0)->GetDivider(), 1736);
}

TEST_F(DocHistory, AVerifyCaptureIsShownOnlyWhileTheFunctionIsWhatWasVerified) {
  const TQVXIrSubFunction captured = *MakeSub(1740);
  const TQVXIrFunction power = *Driver().FindFunction("POWER");
  int refreshes = 0;
  doc_->SetUpdateListener([&refreshes] { ++refreshes; });
  doc_->SetVerifyCapture(power, captured);
  EXPECT_EQ(refreshes, 1);
  EXPECT_FALSE(doc_->IsModified());
  const TQVXIrSubFunction* kept = doc_->GetVerifyCapture(*Driver().FindFunction("power"));
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->GetDivider(), 1740);
  EXPECT_EQ(doc_->GetVerifyCapture(*Driver().FindFunction("MUTE")), nullptr);

  // A later verification of the same function replaces it.
  doc_->SetVerifyCapture(power, *MakeSub(1750));
  EXPECT_EQ(doc_->GetVerifyCapture(*Driver().FindFunction("POWER"))->GetDivider(), 1750);

  // New IR data (learned again, say) makes it stale; going back shows it again.
  doc_->SetSelection({0});
  doc_->SetRepeatCount("7");
  EXPECT_EQ(doc_->GetVerifyCapture(*Driver().FindFunction("POWER")), nullptr);
  doc_->RestoreState(edits_.back().before);
  EXPECT_NE(doc_->GetVerifyCapture(*Driver().FindFunction("POWER")), nullptr);
}

TEST(DriverEditContent, SavesOwnEntriesAndEditingFlagsAreNoDifference) {
  TQVXIr a;
  a.GetHeader().SetText(Entry::kDeviceType, "TV");
  const std::uint8_t flags[4] = {0, 0, 0, 1};
  a.GetHeader().SetBinary(Entry::kFlags, 4, flags);
  a.Append(MakeFunction("POWER"));
  TQVXIr b(a);
  b.GetHeader().SetText(Entry::kSavedTime, "2024-01-01");
  b.GetHeader().SetText(Entry::kFileName, "tv.vir");
  b.GetFunction(0)->SetFlags(TQVXIrFunction::kNew | TQVXIrFunction::kModified);
  EXPECT_TRUE(CDriverEdit::SameContent(a, b));

  TQVXIr renamed(a);
  renamed.GetFunction(0)->SetName("power");  // names are compared exactly
  EXPECT_FALSE(CDriverEdit::SameContent(a, renamed));
  TQVXIr typed(a);
  typed.GetHeader().SetText(Entry::kDeviceType, "DVD");
  EXPECT_FALSE(CDriverEdit::SameContent(a, typed));
  TQVXIr retimed(a);
  retimed.GetFunction(0)->GetSubFunction(0)->SetTimes(std::vector<std::uint16_t>{0x20, 0x41});
  EXPECT_FALSE(CDriverEdit::SameContent(a, retimed));
  TQVXIr flagged(a);
  const std::uint8_t cleared[4] = {0, 0, 0, 0};
  flagged.GetHeader().SetBinary(Entry::kFlags, 4, cleared);
  EXPECT_FALSE(CDriverEdit::SameContent(a, flagged));
}

TEST_F(DocHistory, ASaveClearingTheVelmorBitIsNoEditAndLosesNothing) {
  doctest::TempFolder folder;
  doc_->SetVelmorFlag(true);
  ASSERT_EQ(edits_.size(), 1u);
  EXPECT_TRUE(doc_->GetVelmorFlag());
  // Without the author's codes the save clears the bit; that is the save's
  // own doing, not an edit to undo.
  doc_->SetAccessTests([] { return false; }, [] { return false; });
  ASSERT_TRUE(doc_->OnSaveDocument(folder.File("tv.vir")));
  EXPECT_FALSE(doc_->GetVelmorFlag());
  EXPECT_FALSE(doc_->RecordOutsideChanges());
  EXPECT_EQ(edits_.size(), 1u);
}

}  // namespace
}  // namespace quillon
