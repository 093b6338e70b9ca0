// Edits of the driver document: the function list operations, the merge of
// pasted functions, the header pane and the "Is Velmor Driver" box.
#include <cstdio>
#include <fstream>

#include "irmodel/CFunctionClipboard.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "tests/irmodel/doc_test_support.h"

namespace quillon {
namespace {

using doctest::MakeFunction;
using doctest::Names;
using doctest::ScriptedPrompt;
using Entry = TQVXIrHeaderEntry;
using Choice = CDriverDoc::ConflictChoice;

class DocEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = doctest::SmallLibrary();
    doc_ = std::make_unique<CDriverDoc>(prompt_, library_.get());
    doc_->SetAccessTests([this] { return advanced_; }, [this] { return supported_; });
    doc_->SetClock([] { return std::time_t(0); });
    doc_->OnNewDocument();
  }
  TQVXIr& Driver() { return doc_->GetDriver(); }
  void Add(const std::string& name, int subs = 1, std::uint16_t divider = 1736) {
    Driver().Append(MakeFunction(name, subs, divider));
  }

  ScriptedPrompt prompt_;
  std::unique_ptr<CCommandLibrary> library_;
  std::unique_ptr<CDriverDoc> doc_;
  bool advanced_ = false;
  bool supported_ = false;
};

TEST_F(DocEdit, NewFunctionLimits) {
  for (int i = 0; i < 125; ++i) Add("F" + std::to_string(i));
  EXPECT_TRUE(doc_->CanNewFunction());
  EXPECT_EQ(doc_->NewFunction(), 125);
  EXPECT_STREQ(Driver().GetFunction(125)->GetName(), "*Empty*");
  EXPECT_TRUE(Driver().GetFunction(125)->IsNew());
  EXPECT_EQ(doc_->GetSelection(), std::vector<int>{125});
  EXPECT_TRUE(doc_->IsModified());
  // 126 functions: enabled, but adds nothing.
  EXPECT_TRUE(doc_->CanNewFunction());
  EXPECT_EQ(doc_->NewFunction(), -1);
  EXPECT_EQ(Driver().GetFunctionCount(), 126);
  Add("F126");
  EXPECT_FALSE(doc_->CanNewFunction());
}

TEST_F(DocEdit, NewFunctionFollowsTheCommandList) {
  doc_->ChooseDeviceType("Tiny");
  ASSERT_EQ(Names(Driver()), (std::vector<std::string>{"POWER", "PLAY", "STOP"}));
  EXPECT_EQ(doc_->NewFunction(), 3);
}

TEST_F(DocEdit, RenameRules) {
  doc_->ChooseDeviceType("Tiny");
  Add("Mine");
  doc_->SetModifiedFlag(false);
  EXPECT_FALSE(doc_->RenameFunction(3, "a<b"));
  ASSERT_EQ(prompt_.boxes.size(), 1u);
  EXPECT_EQ(prompt_.boxes[0].text, "Illegal XML characters: <, >, ', \" and & in function name.");
  EXPECT_FALSE(doc_->RenameFunction(3, ""));
  EXPECT_FALSE(doc_->RenameFunction(3, "X", Driver().GetFunction(0)));  // no longer at the edited position
  EXPECT_FALSE(doc_->IsModified());
  // A duplicate name is accepted.
  ASSERT_TRUE(doc_->RenameFunction(3, "play"));
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"POWER", "PLAY", "STOP", "play"}));
  // A standard name moves the function to its standard position.
  Driver().Delete(1);
  Driver().GetFunction(2)->SetName("Mine");
  ASSERT_TRUE(doc_->RenameFunction(2, "play"));
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"POWER", "play", "STOP"}));
  EXPECT_EQ(doc_->GetSelection(), std::vector<int>{1});
  ASSERT_TRUE(doc_->RenameFunction(1, "Renamed"));
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"POWER", "PLAY", "STOP", "Renamed"}));
  EXPECT_EQ(doc_->GetSelection(), std::vector<int>{3});
  EXPECT_TRUE(doc_->IsModified());
}

TEST_F(DocEdit, DeleteRemovesTheSelectedFunctionsThemselves) {
  Add("A");
  Add("B");
  Add("a");
  Driver().Append(std::make_unique<TQVXIrFunction>());  // unnamed
  doc_->SetSelection({2, 3});
  EXPECT_EQ(doc_->DeleteSelected(), 2);
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"A", "B"}));
  EXPECT_TRUE(doc_->GetSelection().empty());
}

TEST_F(DocEdit, CopyWritesALengthWordAndAStandardSlotsZeroImage) {
  doc_->ChooseDeviceType("Tiny");
  Add("EXTRA", 2);
  doc_->SetSelection({0, 3});
  std::vector<std::uint8_t> block;
  ASSERT_TRUE(doc_->CopySelected(&block));
  const auto image = CFunctionClipboard::ImageOf(block);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(block[0] | (block[1] << 8) | (block[2] << 16) | (block[3] << 24), static_cast<int>(block.size()));
  TQVXIr copy;
  TQVXIrLoadBuffer stream(image->data(), image->size());
  copy.Load(stream);
  // The empty POWER placeholder keeps its name: no slot is a standard one.
  EXPECT_EQ(Names(copy), (std::vector<std::string>{"POWER", "EXTRA"}));
  EXPECT_EQ(copy.GetFunction(1)->GetSubFunctionCount(), 2);
  EXPECT_STREQ(copy.GetHeader().GetText(Entry::kDeviceType), "Tiny");
}

TEST_F(DocEdit, CopyFailureOffersNothing) {
  Add("A");
  auto bad = MakeFunction("BAD");
  bad->GetSubFunction(0)->SetHeaderAndBody(std::vector<std::uint8_t>(250).data(), 250, nullptr, 0);
  Driver().Append(std::move(bad));
  CFunctionClipboard::Instance().Clear();
  doc_->SetSelection({0, 1});
  EXPECT_FALSE(doc_->CopySelected());
  ASSERT_EQ(prompt_.boxes.size(), 1u);
  EXPECT_EQ(prompt_.boxes[0].text, "Error copying selected functions");
  EXPECT_FALSE(CFunctionClipboard::Instance().HasBlock());
  EXPECT_FALSE(doc_->CutSelected());
  EXPECT_EQ(Driver().GetFunctionCount(), 2);
}

TEST_F(DocEdit, CutAndPasteIntoAnotherDocument) {
  doc_->ChooseDeviceType("Tiny");
  Driver().GetFunction(1)->AddSubFunction(doctest::MakeSub(2000));
  Add("EXTRA");
  doc_->SetSelection({1, 3});
  ASSERT_TRUE(doc_->CutSelected());
  // The cut PLAY is laid out again as an empty standard slot.
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"POWER", "PLAY", "STOP"}));
  EXPECT_TRUE(Driver().GetFunction(1)->IsEmpty());

  ScriptedPrompt otherPrompt;
  CDriverDoc other(otherPrompt, library_.get());
  other.OnNewDocument();
  other.ChooseDeviceType("Two");
  ASSERT_EQ(other.Paste(), 0);
  EXPECT_EQ(Names(other.GetDriver()), (std::vector<std::string>{"POWER", "MUTE", "PLAY", "EXTRA"}));
  EXPECT_TRUE(other.GetDriver().GetFunction(2)->IsNew());
  EXPECT_EQ(other.GetDriver().GetFunction(2)->GetSubFunction(0)->GetDivider(), 2000);
  EXPECT_TRUE(otherPrompt.questions.empty());
  EXPECT_TRUE(other.IsModified());
  EXPECT_EQ(other.PasteBlock({1, 2}), -1);
}

TEST_F(DocEdit, MoveBeforeTheDropTarget) {
  for (const char* name : {"A", "B", "C", "D", "E"}) Add(name);
  doc_->SetSelection({1, 3});
  EXPECT_FALSE(doc_->MoveSelected(1));  // dropped on the first selected function
  ASSERT_TRUE(doc_->MoveSelected(0));
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"B", "D", "A", "C", "E"}));
  EXPECT_EQ(doc_->GetSelection(), (std::vector<int>{0, 1}));
  ASSERT_TRUE(doc_->MoveSelected(-1));  // below the last item
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"A", "C", "E", "B", "D"}));
  doc_->SetSelection({0, 3});
  ASSERT_TRUE(doc_->MoveSelected(4));  // before D, counting unmoved functions only
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"C", "E", "A", "B", "D"}));
  for (const auto& function : Driver().Items()) EXPECT_EQ(function->GetFlags() & TQVXIrFunction::kMoving, 0u);
  EXPECT_TRUE(doc_->IsModified());
}

TEST_F(DocEdit, UniqueNames) {
  Add("Power");
  Add("NewPower");
  EXPECT_EQ(CDriverDoc::UniqueName(Driver(), "Power", "New"), "NewPower_0");
  EXPECT_EQ(CDriverDoc::UniqueName(Driver(), "Mute", "New"), "NewMute");
  // The prefix is not doubled and a numbered suffix is replaced.
  EXPECT_EQ(CDriverDoc::UniqueName(Driver(), "newPower_7", "New"), "NewPower_0");
  EXPECT_EQ(CDriverDoc::UniqueName(Driver(), "Power", "Old"), "OldPower");
  // A name of digits only replaces the prefix.
  Add("1");
  EXPECT_EQ(CDriverDoc::UniqueName(Driver(), "1", "New"), "1_0");
  EXPECT_EQ(CDriverDoc::UniqueName(Driver(), "New_3", "New"), "New");
  for (int n = 0; n < 1024; ++n) Add("NewX_" + std::to_string(n));
  Add("NewX");
  EXPECT_EQ(CDriverDoc::UniqueName(Driver(), "X", "New"), "");
}

TEST_F(DocEdit, MergeConflictChoices) {
  Add("Power", 1, 100);
  Add("Play", 1, 200);
  Add("Stop", 1, 300);
  Add("Mute", 1, 400);
  Add("Eject", 1, 500);
  TQVXIr source;
  for (const char* name : {"POWER", "play", "STOP", "mute", "EJECT", "Fresh"})
    source.Append(MakeFunction(name, 1, 1000));
  source.Append(std::make_unique<TQVXIrFunction>());  // no name: ignored
  source.Append(MakeFunction("*EMPTY*", 0));         // a placeholder: ignored
  prompt_.choices = {static_cast<int>(Choice::kRenameNew), static_cast<int>(Choice::kRenameExisting),
                     static_cast<int>(Choice::kReplace), static_cast<int>(Choice::kAddSubFunctions),
                     static_cast<int>(Choice::kSkip)};
  EXPECT_EQ(doc_->Merge(source), 0);
  ASSERT_EQ(prompt_.questions.size(), 5u);
  EXPECT_NE(prompt_.questions[0].find("POWER"), std::string::npos);
  EXPECT_EQ(Names(Driver()),
            (std::vector<std::string>{"Power", "OldPlay", "STOP", "Mute", "Eject", "NewPOWER", "play", "Fresh"}));
  EXPECT_TRUE(Driver().GetFunction(5)->IsNew());
  EXPECT_TRUE(Driver().GetFunction(1)->IsModified());
  EXPECT_EQ(Driver().GetFunction(2)->GetSubFunction(0)->GetDivider(), 1000);
  EXPECT_TRUE(Driver().GetFunction(2)->IsModified());
  EXPECT_EQ(Driver().GetFunction(3)->GetSubFunctionCount(), 2);
  EXPECT_EQ(Driver().GetFunction(4)->GetSubFunction(0)->GetDivider(), 500);
  EXPECT_TRUE(prompt_.boxes.empty());
}

TEST_F(DocEdit, MergeSkipAllAndRenamingFailures) {
  Add("A");
  Add("B");
  TQVXIr source;
  source.Append(MakeFunction("A"));
  source.Append(MakeFunction("B"));
  source.Append(MakeFunction("C"));
  prompt_.choices = {static_cast<int>(Choice::kSkipAll)};
  EXPECT_EQ(doc_->Merge(source), 0);
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"A", "B"}));

  // A generated name of 128 characters or more cannot be used.
  const std::string longName(126, 'L');
  Add(longName);
  TQVXIr longSource;
  longSource.Append(MakeFunction(longName));
  longSource.Append(MakeFunction(longName));
  prompt_.choices = {static_cast<int>(Choice::kRenameNew), static_cast<int>(Choice::kRenameExisting)};
  EXPECT_EQ(doc_->Merge(longSource), 2);
  ASSERT_EQ(prompt_.boxes.size(), 1u);
  EXPECT_EQ(prompt_.boxes[0].text, "2 File(s) could not be copied due to renaming errors");
  EXPECT_EQ(prompt_.boxes[0].caption, "Copy Error(s) encoutnered");
  EXPECT_EQ(Driver().GetFunctionCount(), 3);
  prompt_.choices = {0};
  EXPECT_EQ(doc_->Merge(longSource, true), 1);
  EXPECT_EQ(prompt_.boxes.size(), 1u);  // silent
}

TEST_F(DocEdit, PasteRenamingTheNewFunction) {
  Add("Power");
  TQVXIr source;
  source.Append(MakeFunction("Power"));
  std::vector<std::uint8_t> image(static_cast<std::size_t>(source.ComputeSize(true, 0)));
  TQVXIrSaveBuffer stream(image.data(), image.size());
  source.Save(stream, 0);
  const auto block = CFunctionClipboard::MakeBlock(image);
  prompt_.choices = {0, 0};
  EXPECT_EQ(doc_->PasteBlock(block), 0);
  EXPECT_EQ(doc_->PasteBlock(block), 0);
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"Power", "NewPower", "NewPower_0"}));
}

TEST_F(DocEdit, ModulationAndRepeatCountOfTheSelection) {
  Add("A", 2);
  Add("B", 1);
  Driver().GetFunction(1)->GetSubFunction(0)->SetCounts(0x52);
  doc_->SetSelection({0});
  doc_->SetModulation(false);
  EXPECT_FALSE(Driver().GetFunction(0)->GetSubFunction(1)->IsModulated());
  EXPECT_TRUE(Driver().GetFunction(1)->GetSubFunction(0)->IsModulated());
  EXPECT_TRUE(Driver().GetFunction(0)->IsModified());
  doc_->SetSelection({0, 1});
  EXPECT_EQ(doc_->SetRepeatCount("18 times"), 2);
  EXPECT_EQ(Driver().GetFunction(0)->GetSubFunction(1)->GetCounts(), 0x22);
  EXPECT_EQ(Driver().GetFunction(1)->GetSubFunction(0)->GetCounts(), 0x22);
  EXPECT_EQ(doc_->SetRepeatCount("abc"), 0);
  EXPECT_EQ(Driver().GetFunction(1)->GetSubFunction(0)->GetCounts(), 0x02);
}

TEST_F(DocEdit, HeaderPaneEdits) {
  CDriverDoc::HeaderFields fields = doc_->GetHeaderFields();
  fields.deviceType = "dvd<x>";
  fields.manufacturer = "Bang & Olufsen <EU>";
  fields.model = "M1";
  fields.comments = "a & b";
  fields.version = "v2";
  EXPECT_EQ(doc_->ApplyHeaderEdits(fields), "Illegal Characters removed.");
  EXPECT_EQ(fields.manufacturer, "Bang and Olufsen EU");
  EXPECT_EQ(fields.deviceType, "DVDX");
  const TQVXIrHeader& header = Driver().GetHeader();
  EXPECT_STREQ(header.GetText(Entry::kDeviceType), "DVDX");
  EXPECT_STREQ(header.GetText(Entry::kDeviceManufacturer), "Bang and Olufsen EU");
  EXPECT_STREQ(header.GetText(Entry::kComments), "a & b");
  EXPECT_STREQ(header.GetText(Entry::kDriverVersion), "2");
  EXPECT_TRUE(doc_->IsModified());

  fields = {"", "Acme", "", "", "300"};
  EXPECT_EQ(doc_->ApplyHeaderEdits(fields), "");
  EXPECT_STREQ(header.GetText(Entry::kDeviceType), "OTHER");
  EXPECT_STREQ(header.GetText(Entry::kDeviceModel), "");
  EXPECT_STREQ(header.GetText(Entry::kDriverVersion), "255");
  fields.version = "";
  doc_->ApplyHeaderEdits(fields);
  EXPECT_STREQ(header.GetText(Entry::kDriverVersion), "1");
}

TEST_F(DocEdit, ChoosingAShorterTypeTrimsTrailingPlaceholders) {
  doc_->ChooseDeviceType("Tiny");
  Driver().GetFunction(1)->AddSubFunction(doctest::MakeSub(1736));  // PLAY learned
  EXPECT_FALSE(doc_->ChooseDeviceType("TINY"));                     // same type: nothing
  ASSERT_TRUE(doc_->ChooseDeviceType("Two"));
  // STOP (empty, beyond the list) goes; PLAY stops the trimming.
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"POWER", "MUTE", "PLAY"}));
  ASSERT_TRUE(doc_->ChooseDeviceType(""));
  EXPECT_STREQ(Driver().GetHeader().GetText(Entry::kDeviceType), "OTHER");
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"POWER", "MUTE", "PLAY"}));
  EXPECT_EQ(doc_->GetStandardSlots(), 0);
  EXPECT_TRUE(doc_->ChooseDeviceType("Unknown"));
  EXPECT_EQ(doc_->GetStandardSlots(), TQVXIr::kNoStandardSlots);
}

TEST_F(DocEdit, VelmorFlagNeedsTheSupportedDriverCode) {
  Driver().GetHeader().RemoveEntry(Entry::kFlags);
  doc_->SetVelmorFlag(true);
  EXPECT_FALSE(doc_->GetVelmorFlag());
  EXPECT_EQ(Driver().GetHeader().FindEntry(Entry::kFlags), nullptr);
  supported_ = true;
  doc_->SetVelmorFlag(true);
  EXPECT_TRUE(doc_->GetVelmorFlag());
  doc_->SetVelmorFlag(false);
  EXPECT_FALSE(doc_->GetVelmorFlag());
  ASSERT_NE(Driver().GetHeader().FindEntry(Entry::kFlags), nullptr);
  const std::uint8_t shortWord[2] = {0, 1};
  Driver().GetHeader().SetBinary(Entry::kFlags, 2, shortWord);
  doc_->SetVelmorFlag(true);
  EXPECT_EQ(Driver().GetHeader().FindEntry(Entry::kFlags)->GetDataLength(), 2);
  EXPECT_FALSE(doc_->GetVelmorFlag());
  EXPECT_STREQ(doc_->GetKindText(), "IR Driver:  ");
}

TEST_F(DocEdit, LearnedFunctionsOverwriteTheirNamesakesAndRefreshTheViews) {
  Add("POWER", 1, 1736);
  Add("PLAY", 1, 1736);
  Add("MUTE", 1, 1736);
  doc_->SetSelection({1});
  doc_->SetModifiedFlag(false);
  int refreshed = 0;
  doc_->SetUpdateListener([&] { ++refreshed; });
  // Marking alone tells no view.
  doc_->SetModifiedFlag(true);
  EXPECT_EQ(refreshed, 0);
  doc_->SetModifiedFlag(false);

  TQVXIr learned;
  learned.Append(MakeFunction("play", 2, 1785));
  learned.Append(MakeFunction("MUTE", 1, 1795));
  learned.GetFunction(1)->SetFlags(TQVXIrFunction::kLearnFailed);
  learned.Append(MakeFunction("EJECT", 1, 1800));
  EXPECT_EQ(doc_->AcceptLearned(learned), 1);
  EXPECT_EQ(refreshed, 1);
  EXPECT_TRUE(doc_->IsModified());
  EXPECT_EQ(Names(Driver()), (std::vector<std::string>{"POWER", "play", "MUTE"}));
  EXPECT_EQ(Driver().GetFunction(1)->GetSubFunctionCount(), 2);
  EXPECT_EQ(Driver().GetFunction(1)->GetSubFunction(0)->GetDivider(), 1785);
  EXPECT_EQ(Driver().GetFunction(2)->GetSubFunction(0)->GetDivider(), 1736);  // failed: kept
  // The selection still names the same function.
  EXPECT_EQ(doc_->GetSelection(), std::vector<int>{1});
}

TEST_F(DocEdit, ImportThroughTheDocumentShowsTheReport) {
  const std::string path = ::testing::TempDir() + "/quillon_doc_import_" + std::to_string(::getpid()) + ".ini";
  { std::ofstream(path) << "[HEADER]\nfunction_count=1\n[function_0]\nfunction_name=\n"; }
  Add("A");
  std::vector<std::string> messages;
  EXPECT_EQ(doc_->ImportIni(path, messages), TQVXIrIni::ImportResult::kNotAllowed);
  EXPECT_EQ(Driver().GetFunctionCount(), 1);
  advanced_ = true;
  EXPECT_EQ(doc_->ImportIni(path, messages), TQVXIrIni::ImportResult::kImported);
  ASSERT_EQ(prompt_.boxes.size(), 1u);
  EXPECT_EQ(prompt_.boxes[0].text,
            "The following errors were encountered during the import process.  The driver may not be usable.\n"
            "fcn 0: Bad/Duplicate name");
  EXPECT_EQ(prompt_.boxes[0].caption, "Errors");
  EXPECT_TRUE(doc_->IsModified());
  std::remove(path.c_str());
}

}  // namespace
}  // namespace quillon
