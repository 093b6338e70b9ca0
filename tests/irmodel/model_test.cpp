// The driver model: placeholders, comparison of bursts, list operations,
// command-list layout, updates from another driver, header entries, copies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "tests/irmodel/VirTestUtil.h"

namespace quillon {
namespace {

using testing::MakeFunction;
using testing::MakeNecSub;
using testing::MakeSub;

std::vector<std::string> Names(const TQVXIr& ir) {
  std::vector<std::string> names;
  for (int i = 0; i < ir.GetFunctionCount(); ++i) {
    const char* n = ir.GetFunction(i)->GetName();
    names.push_back(n ? n : "<null>");
  }
  return names;
}

std::unique_ptr<TQVXIrFunction> Placeholder(const char* name = TQVXIrFunction::kEmptyName) {
  auto f = std::make_unique<TQVXIrFunction>();
  f->SetName(name);
  return f;
}

TEST(Function, EmptyMeansPlaceholder) {
  auto shouting = MakeFunction("*EMPTY*");
  EXPECT_TRUE(shouting->IsEmpty());  // despite its sub-function
  EXPECT_TRUE(Placeholder("POWER")->IsEmpty());
  TQVXIrFunction nameless;
  nameless.AddSubFunction(MakeNecSub(1));
  EXPECT_TRUE(nameless.IsEmpty());
  nameless.SetName("");
  EXPECT_TRUE(nameless.IsEmpty());
  nameless.SetName("X");
  EXPECT_FALSE(nameless.IsEmpty());
  EXPECT_TRUE(TQVXIrFunction::IsEmpty(nullptr));
}

TEST(Function, SubFunctionListAndStoredSize) {
  TQVXIrFunction f;
  EXPECT_EQ(f.AddSubFunction(nullptr), -1);
  EXPECT_EQ(f.AddSubFunction(MakeNecSub(1)), 0);
  EXPECT_EQ(f.AddSubFunctionCopy(f.GetSubFunction(0)), 1);
  EXPECT_NE(f.GetSubFunction(0), f.GetSubFunction(1));
  EXPECT_EQ(f.GetSubFunction(2), nullptr);
  EXPECT_EQ(f.GetSubFunction(-1), nullptr);
  const int sub = 10 + 2 * 5 + 1 + 33;
  EXPECT_EQ(f.GetSubFunction(0)->GetStoredSize(), sub);
  EXPECT_EQ(f.GetStoredSize(), 2 * 2 + 2 + 2 * sub);
  f.SetNew(true);
  f.SetModified(true);
  EXPECT_EQ(f.GetFlags(), 3u);
  f.SetNew(false);
  EXPECT_EQ(f.GetFlags(), 2u);
  f.ClearSubFunctions();
  EXPECT_EQ(f.GetSubFunctionCount(), 0);
}

TEST(SubFunction, AccessorsAndCarrier) {
  TQVXIrSubFunction s;
  EXPECT_EQ(s.GetGranularity(), 1);
  EXPECT_EQ(s.GetDivider(), 0);
  try {
    s.GetCarrierHz();
    FAIL();
  } catch (const TQVXIrException& e) {
    EXPECT_EQ(e.GetCode(), 2);
  }
  s.SetDivider(1736);
  EXPECT_EQ(s.GetCarrierHz(), 38018);
  const std::uint16_t t[2] = {5, 6};
  s.SetTimes(t, 2);
  EXPECT_EQ(s.GetTime(1), 6);
  EXPECT_EQ(s.GetTime(2), 0);
  s.SetTimes(t, 0);
  EXPECT_EQ(s.GetTimeCount(), 0);
  const std::uint8_t h[1] = {0x01}, b[2] = {0x10, 0x11};
  s.SetHeaderAndBody(h, 1, b, 2);
  EXPECT_EQ(s.GetHeaderCount(), 1);
  EXPECT_EQ(s.GetBodyCount(), 2);
  EXPECT_EQ(s.GetSelector(2), 0x11);
  EXPECT_EQ(s.GetSelector(3), 0);
  s.SetHeaderAndBody(nullptr, -4, nullptr, 0);  // both empty: counts stay
  EXPECT_EQ(s.GetSelectorCount(), 0);
  EXPECT_EQ(s.GetHeaderCount(), 1);
  s.SetSelectors(b, 2);
  EXPECT_EQ(s.GetSelectorCount(), 2);
  EXPECT_EQ(s.GetBodyCount(), 2);
  s.SetCounts(0x32);
  EXPECT_EQ(s.GetRepeatCount(), 3);
  s.SetRepeatCount(5);
  EXPECT_EQ(s.GetCounts(), 0x52);
}

TEST(SubFunction, MatchesToleranceRule) {
  auto a = MakeSub(38000, {100, 200}, {0x01}, {0x10});
  auto b = MakeSub(37620, {100, 200}, {0x01}, {0x10});
  EXPECT_TRUE(a->Matches(b.get(), 0.0f, 1.0f));  // exactly 1 %
  EXPECT_FALSE(a->Matches(b.get(), 0.0f, 0.9f));
  EXPECT_TRUE(b->Matches(a.get(), 0.0f, 1.0f));

  auto c = MakeSub(38000, {110, 200}, {0x01}, {0x10});
  EXPECT_FALSE(a->Matches(c.get(), 9.0f, 0.0f));
  EXPECT_TRUE(a->Matches(c.get(), 9.1f, 0.0f));

  auto zero = MakeSub(38000, {0, 200}, {0x01}, {0x10});
  EXPECT_FALSE(a->Matches(zero.get(), 100.0f, 100.0f));
  EXPECT_TRUE(zero->Matches(zero.get(), 0.0f, 0.0f));
  EXPECT_FALSE(a->Matches(nullptr, 100.0f, 100.0f));
}

TEST(SubFunction, MatchesStructuralTests) {
  auto a = MakeSub(38000, {100, 200}, {0x01}, {0x10});
  auto gran = MakeSub(38000, {100, 200}, {0x01}, {0x10});
  gran->SetGranularity(2);
  EXPECT_FALSE(a->Matches(gran.get(), 100.0f, 100.0f));

  auto counts = MakeSub(38000, {100, 200}, {}, {0x01, 0x10});
  EXPECT_FALSE(a->Matches(counts.get(), 100.0f, 100.0f));

  // A nibble equal to the time count is not a valid index.
  auto badIndex = MakeSub(38000, {100, 200}, {0x02}, {0x10});
  EXPECT_FALSE(a->Matches(badIndex.get(), 100.0f, 100.0f));
  EXPECT_FALSE(badIndex->Matches(badIndex.get(), 100.0f, 100.0f));

  auto noTimes = MakeSub(38000, {}, {0x00}, {0x00});
  auto someTimes = MakeSub(38000, {5}, {0x00}, {0x00});
  EXPECT_FALSE(noTimes->Matches(someTimes.get(), 100.0f, 100.0f));

  // Only the durations named by the selectors are compared.
  auto extraTime = MakeSub(38000, {100, 200, 999}, {0x01}, {0x10});
  EXPECT_TRUE(a->Matches(extraTime.get(), 0.0f, 0.0f));

  TQVXIrFunction f;
  f.AddSubFunction(MakeSub(38000, {500, 600}, {0x01}, {0x10}));
  f.AddSubFunctionCopy(a.get());
  EXPECT_EQ(f.FindMatch(extraTime.get(), 0.0f, 0.0f), f.GetSubFunction(1));
  EXPECT_TRUE(f.HasMatch(a.get(), 0.0f, 0.0f));
  EXPECT_FALSE(f.HasMatch(counts.get(), 100.0f, 100.0f));
}

TEST(Driver, ListOperations) {
  TQVXIr ir;
  EXPECT_EQ(ir.Append(nullptr), -1);
  EXPECT_EQ(ir.Append(MakeFunction("POWER")), 0);
  EXPECT_EQ(ir.Append(MakeFunction("PLAY")), 1);
  // Appending a function already listed is refused and changes nothing.
  EXPECT_EQ(ir.Append(std::unique_ptr<TQVXIrFunction>(ir.GetFunction(0))), -1);
  EXPECT_EQ(Names(ir), (std::vector<std::string>{"POWER", "PLAY"}));
  EXPECT_EQ(ir.InsertAt(1, MakeFunction("STOP")), 1);
  EXPECT_EQ(ir.InsertAt(99, MakeFunction("EJECT")), 3);
  EXPECT_EQ(ir.InsertAt(-5, MakeFunction("FIRST")), 0);
  EXPECT_EQ(Names(ir), (std::vector<std::string>{"FIRST", "POWER", "STOP", "PLAY", "EJECT"}));

  EXPECT_EQ(ir.FindFunction("play"), ir.GetFunction(3));
  EXPECT_EQ(ir.IndexOfFunction("Stop"), 2);
  EXPECT_EQ(ir.FindFunction(""), nullptr);
  EXPECT_EQ(ir.FindFunction(static_cast<const char*>(nullptr)), nullptr);

  TQVXIrFunction* stop = ir.GetFunction(2);
  std::unique_ptr<TQVXIrFunction> detached = ir.Detach(stop);
  EXPECT_EQ(detached.get(), stop);
  EXPECT_EQ(ir.Detach(stop), nullptr);
  EXPECT_EQ(ir.Detach(17), nullptr);
  EXPECT_EQ(ir.Delete("eject"), 1);
  EXPECT_EQ(ir.Delete("eject"), 0);
  EXPECT_EQ(ir.Delete(ir.GetFunction(0)), 1);
  EXPECT_EQ(ir.Delete(5), 0);
  EXPECT_EQ(Names(ir), (std::vector<std::string>{"POWER", "PLAY"}));
  EXPECT_FALSE(ir.IsMultiFunction());
  ir.GetFunction(1)->AddSubFunction(MakeNecSub(2));
  EXPECT_TRUE(ir.IsMultiFunction());
  ir.Clear();
  EXPECT_EQ(ir.GetFunctionCount(), 0);
}

TEST(Driver, CopiesAreDeep) {
  TQVXIr ir;
  ir.Append(MakeFunction("POWER"));
  ir.GetHeader().AddText(0x83, "DVD");
  ir.SetKind(1);
  ir.SetFileName("/tmp/a.vir");
  TQVXIr copy(ir);
  copy.GetFunction(0)->GetSubFunction(0)->SetDivider(1);
  copy.GetFunction(0)->SetName("OTHER");
  copy.GetHeader().FindEntry(0x83)->SetText("TV");
  EXPECT_EQ(ir.GetFunction(0)->GetSubFunction(0)->GetDivider(), 1736);
  EXPECT_STREQ(ir.GetFunction(0)->GetName(), "POWER");
  EXPECT_STREQ(ir.GetHeader().GetText(0x83), "DVD");
  TQVXIr assigned;
  assigned.Assign(ir);
  EXPECT_EQ(assigned.GetKind(), 1);
  EXPECT_STREQ(assigned.GetFileName(), "/tmp/a.vir");
  EXPECT_NE(assigned.GetFunction(0), ir.GetFunction(0));
  assigned.Assign(assigned);
  EXPECT_EQ(assigned.GetFunctionCount(), 1);
}

TEST(CommandList, EmptyNameLeavesDriverUntouched) {
  TQVXIr ir;
  ir.Append(MakeFunction("PLAY"));
  ir.Append(MakeFunction("POWER"));
  EXPECT_EQ(ir.ApplyCommandList({"POWER", "", "PLAY"}, nullptr), 2);
  EXPECT_EQ(Names(ir), (std::vector<std::string>{"PLAY", "POWER"}));
  EXPECT_EQ(ir.GetFunction(0)->GetFlags(), 0u);
}

TEST(CommandList, LaysOutFunctionsAlongTheList) {
  TQVXIr ir;
  ir.Append(MakeFunction("extra"));
  ir.Append(Placeholder());
  ir.Append(MakeFunction("power"));
  ir.Append(Placeholder(""));
  TQVXIrFunction* placeholder = ir.GetFunction(1);
  EXPECT_EQ(ir.ApplyCommandList({"POWER", "PLAY", "STOP", "EJECT"}, nullptr), 0);
  // POWER moves up (name kept as stored), the placeholder at position 1 takes
  // PLAY, STOP is new (position 2 was vacated by POWER, so not marked new),
  // the nameless placeholder at position 3 takes EJECT; the rest follows.
  EXPECT_EQ(Names(ir), (std::vector<std::string>{"power", "PLAY", "STOP", "EJECT", "extra"}));
  EXPECT_EQ(ir.GetFunction(1), placeholder);
  EXPECT_FALSE(ir.GetFunction(2)->IsNew());
  EXPECT_EQ(ir.GetFunction(2)->GetSubFunctionCount(), 0);

  TQVXIr fresh;
  fresh.Append(MakeFunction("A"));
  EXPECT_EQ(fresh.ApplyCommandList({"X", "Y"}, nullptr), 0);
  EXPECT_EQ(Names(fresh), (std::vector<std::string>{"X", "Y", "A"}));
  EXPECT_TRUE(fresh.GetFunction(0)->IsNew());  // position 0 held A
  EXPECT_TRUE(fresh.GetFunction(1)->IsNew());  // beyond the list
  EXPECT_FALSE(fresh.GetFunction(2)->IsNew());

  // A placeholder with sub-functions is not reused.
  TQVXIr busy;
  auto emptyWithData = MakeFunction("*Empty*");
  busy.Append(std::move(emptyWithData));
  busy.ApplyCommandList({"POWER"}, nullptr);
  EXPECT_EQ(Names(busy), (std::vector<std::string>{"POWER", "*Empty*"}));
}

TEST(CommandList, OverflowBeyond128Functions) {
  TQVXIr ir;
  for (int i = 0; i < 130; ++i) ir.Append(MakeFunction(("F" + std::to_string(i)).c_str()));
  TFunctionDeque overflow;
  EXPECT_EQ(ir.ApplyCommandList({"F129"}, &overflow), 0);
  EXPECT_EQ(ir.GetFunctionCount(), 128);
  ASSERT_EQ(overflow.Count(), 2);
  EXPECT_STREQ(ir.GetFunction(0)->GetName(), "F129");
  EXPECT_STREQ(overflow.At(0)->GetName(), "F127");
  EXPECT_STREQ(overflow.At(1)->GetName(), "F128");

  TQVXIr kept;
  for (int i = 0; i < 130; ++i) kept.Append(MakeFunction(("F" + std::to_string(i)).c_str()));
  kept.ApplyCommandList({"F5"}, nullptr);
  EXPECT_EQ(kept.GetFunctionCount(), 130);
}

TEST(Driver, UpdateFromSkipsFailedAndUnknownFunctions) {
  TQVXIr doc;
  doc.Append(MakeFunction("POWER", 1, 1));
  doc.Append(MakeFunction("PLAY", 1, 2));
  doc.Append(MakeFunction("STOP", 1, 3));
  TQVXIr learned;
  learned.Append(MakeFunction("power", 2, 10));
  auto failed = MakeFunction("PLAY", 1, 20);
  failed->SetFlags(TQVXIrFunction::kLearnFailed);
  learned.Append(std::move(failed));
  learned.Append(MakeFunction("MISSING", 1, 30));
  learned.Append(std::make_unique<TQVXIrFunction>());
  EXPECT_EQ(doc.UpdateFrom(learned), 1);
  EXPECT_STREQ(doc.GetFunction(0)->GetName(), "power");
  EXPECT_EQ(doc.GetFunction(0)->GetSubFunctionCount(), 2);
  EXPECT_NE(doc.GetFunction(0)->GetSubFunction(0), learned.GetFunction(0)->GetSubFunction(0));
  EXPECT_EQ(doc.GetFunction(1)->GetSubFunctionCount(), 1);
  EXPECT_EQ(doc.GetFunctionCount(), 3);
}

TEST(Header, EntriesAndLookups) {
  TQVXIrHeader h;
  EXPECT_EQ(h.AddText(0x83, "DVD"), 1);
  EXPECT_EQ(h.AddText(0x83, "TV"), 1);
  EXPECT_STREQ(h.GetText(0x83), "DVD");
  EXPECT_EQ(h.GetText(0x84), nullptr);
  EXPECT_EQ(h.RemoveEntry(0x83), 1);
  EXPECT_STREQ(h.GetText(0x83), "TV");
  EXPECT_EQ(h.RemoveEntry(0x99), 0);
  h.SetText(0x83, "VCR");
  h.SetText(0x84, "1");
  EXPECT_EQ(h.GetEntryCount(), 2);
  EXPECT_STREQ(h.GetText(0x83), "VCR");

  const TQVXIrHeaderEntry text(0x81, "Acme");
  EXPECT_EQ(text.GetSize(), 0);
  EXPECT_EQ(text.GetDataLength(), 4);
  EXPECT_EQ(text.GetStoredLength(), 5);
  const TQVXIrHeaderEntry none(0x81, nullptr);
  EXPECT_EQ(none.GetStoredLength(), 1);
  EXPECT_EQ(none.GetText(), nullptr);

  // Tag 255 from a text takes its first four bytes as a binary value.
  const TQVXIrHeaderEntry flags(0xFF, "\x01\x02\x03\x04xyz");
  EXPECT_TRUE(flags.IsBinary());
  EXPECT_EQ(flags.GetSize(), 4);
  EXPECT_EQ(flags.GetFlagsWord(), 0x01020304u);
  const TQVXIrHeaderEntry shortFlags(0xFF, "\x01");
  EXPECT_EQ(shortFlags.GetFlagsWord(), 0x01000000u);
  const TQVXIrHeaderEntry otherBinary(0xF1, "abc");
  EXPECT_FALSE(otherBinary.HasData());

  const std::uint8_t bytes[2] = {0, 5};
  h.AddBinary(0xF1, 2, bytes);
  TQVXIrHeader copy;
  copy = h;
  EXPECT_EQ(copy.GetEntryCount(), 3);
  EXPECT_EQ(copy.FindEntry(0xF1)->GetBytes(), std::string_view("\x00\x05", 2));
  h.AddName("X");
  h.Clear();
  EXPECT_EQ(h.GetEntryCount(), 0);
  EXPECT_EQ(h.GetNameCount(), 0);
}

TEST(Driver, KindLabels) {
  EXPECT_STREQ(TQVXIr::KindLabel(0), "IR Driver:  ");
  EXPECT_STREQ(TQVXIr::KindLabel(1), "X10 Driver:  ");
  EXPECT_STREQ(TQVXIr::KindLabel(2), "Multifunction IR Driver:  ");
  EXPECT_STREQ(TQVXIr::KindLabel(3), "Multifunction IR Driver:  ");
}

}  // namespace
}  // namespace quillon
