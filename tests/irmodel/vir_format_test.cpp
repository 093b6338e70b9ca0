// The .vir layout: exact bytes, slots and names, record limits, the reader's
// checks and save/load round trips.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"
#include "tests/irmodel/VirTestUtil.h"

namespace quillon {
namespace {

using testing::LoadFromBytes;
using testing::MakeFunction;
using testing::MakeNecSub;
using testing::MakeSub;
using testing::SaveToBytes;

int CodeOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const TQVXIrException& e) {
    return e.GetCode();
  }
  return 0;
}

// Unscrambles the leading run of an image: kind (plain), N, the slot offset
// words and the marker, all chained from the kind byte.
std::vector<int> DecodeSlotTable(const std::vector<std::uint8_t>& image) {
  std::vector<int> plain;
  std::uint8_t chain = image.at(0);
  plain.push_back(chain);
  const std::size_t n = static_cast<std::uint8_t>((chain + image.at(1)) ^ 0xE5);
  for (std::size_t i = 1; i < 5 + 2 * n; ++i) {
    chain = static_cast<std::uint8_t>((chain + image.at(i)) ^ 0xE5);
    plain.push_back(chain);
  }
  return plain;
}

int SlotOffset(const std::vector<int>& table, int i) { return (table[2 + 2 * i] << 8) | table[3 + 2 * i]; }

void ExpectSameSub(const TQVXIrSubFunction& a, const TQVXIrSubFunction& b) {
  EXPECT_EQ(a.GetFlags(), b.GetFlags());
  EXPECT_EQ(a.GetDivider(), b.GetDivider());
  EXPECT_EQ(a.GetGranularity(), b.GetGranularity());
  EXPECT_EQ(a.GetHeaderCount(), b.GetHeaderCount());
  EXPECT_EQ(a.GetBodyCount(), b.GetBodyCount());
  EXPECT_EQ(a.GetCounts(), b.GetCounts());
  EXPECT_EQ(a.GetTimes(), b.GetTimes());
  EXPECT_EQ(a.GetSelectors(), b.GetSelectors());
}

// An image with no functions whose entry list consists of PLAIN bytes.
std::vector<std::uint8_t> ImageWithEntryList(const std::vector<int>& plain, int entryOffset = 2) {
  std::vector<std::uint8_t> image(9 + plain.size(), 0);
  TQVXIrSaveBuffer out(image.data(), image.size());
  out.WritePlainByte(0);
  out.WriteByte(0);
  out.Write16(3);
  out.WriteByte(0x12);
  out.SetChain(3);
  out.Write16(entryOffset);
  out.SetChain(entryOffset);
  for (int b : plain) out.WriteByte(b);
  image.resize(out.GetPosition());
  return image;
}

TEST(VirLayout, EmptyDriverIsNineBytes) {
  TQVXIr ir;
  EXPECT_EQ(ir.ComputeSize(true, 0), 9);
  std::vector<std::uint8_t> image(9, 0);
  TQVXIrSaveBuffer out(image.data(), image.size());
  EXPECT_EQ(ir.Save(out, 0), 9);
  // kind 0, N = 0, F(0) = 3, 0x12, E(0) = 2, 0x00, 0x56, each scrambled
  // against the value before it (the chain is 3 and 2 at the block starts).
  const std::vector<std::uint8_t> expected = {0x00, 0xE5, 0xE5, 0xE6, 0xF4, 0xE2, 0xE7, 0xE3, 0xB3};
  EXPECT_EQ(image, expected);

  TQVXIr back;
  LoadFromBytes(back, image);
  EXPECT_EQ(back.GetFunctionCount(), 0);
  EXPECT_EQ(back.GetHeader().GetEntryCount(), 0);
  EXPECT_EQ(back.GetHeader().GetNameCount(), 0);
}

TEST(VirLayout, SlotTableMarkerIsChecked) {
  TQVXIr ir;
  ir.Append(MakeFunction("POWER"));
  std::vector<std::uint8_t> image = SaveToBytes(ir);
  EXPECT_EQ(DecodeSlotTable(image).back(), 0x12);
  image[4 + 2 * 1] ^= 0x01;
  TQVXIr back;
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(back, image); }), 2);
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(back, {}); }), 2);
}

TEST(VirLayout, EmptySlotSpendsNoBytesAndKeepsItsNameOnlyBeyondStandardSlots) {
  TQVXIr ir;
  ir.Append(MakeFunction("POWER"));
  auto extra = std::make_unique<TQVXIrFunction>();
  extra->SetName("EXTRA");
  ir.Append(std::move(extra));
  ir.Append(MakeFunction("PLAY", 1, 0x1234));

  const std::vector<std::uint8_t> named = SaveToBytes(ir, 1);
  const std::vector<int> table = DecodeSlotTable(named);
  ASSERT_EQ(table[1], 3);
  const int recordLength = ir.GetFunction(0)->GetStoredSize();
  EXPECT_EQ(SlotOffset(table, 0), 2 * 3 + 3);
  EXPECT_EQ(SlotOffset(table, 1), SlotOffset(table, 0) + recordLength - 2);
  EXPECT_EQ(SlotOffset(table, 2), SlotOffset(table, 1) - 2);
  EXPECT_EQ(static_cast<std::int64_t>(named.size()),
            2 * 3 + 5 + ir.GetFunction(0)->GetStoredSize() + ir.GetFunction(2)->GetStoredSize() +
                (2 + 5) + (2 + 5) + (2 + 4) + 4);

  TQVXIr back;
  LoadFromBytes(back, named);
  ASSERT_EQ(back.GetFunctionCount(), 3);
  EXPECT_STREQ(back.GetFunction(1)->GetName(), "EXTRA");
  EXPECT_EQ(back.GetFunction(1)->GetSubFunctionCount(), 0);
  EXPECT_STREQ(back.GetFunction(2)->GetName(), "PLAY");

  const std::vector<std::uint8_t> unnamed = SaveToBytes(ir, 2);
  EXPECT_EQ(unnamed.size(), named.size() - 5);
  TQVXIr back2;
  LoadFromBytes(back2, unnamed);
  EXPECT_STREQ(back2.GetFunction(1)->GetName(), "*Empty*");

  // The placeholder name itself is never stored.
  TQVXIr placeholders;
  auto empty = std::make_unique<TQVXIrFunction>();
  empty->SetName("*EMPTY*");
  empty->AddSubFunction(MakeNecSub(1));
  placeholders.Append(std::move(empty));
  EXPECT_EQ(placeholders.ComputeSize(true, 0), 2 + 5 + 2 + 4);
}

TEST(VirLayout, RepeatCountIsDroppedWithoutBody) {
  TQVXIr ir;
  auto f = std::make_unique<TQVXIrFunction>();
  f->SetName("HDR");
  f->AddSubFunction(MakeSub(1736, {10, 20}, {0x01, 0x10}, {}, 3));
  f->AddSubFunction(MakeSub(1736, {10, 20}, {0x01}, {0x10}, 3));
  ir.Append(std::move(f));
  TQVXIr back;
  LoadFromBytes(back, SaveToBytes(ir));
  EXPECT_EQ(back.GetFunction(0)->GetSubFunction(0)->GetRepeatCount(), 0);
  EXPECT_EQ(back.GetFunction(0)->GetSubFunction(0)->GetCounts(), 2);
  EXPECT_EQ(back.GetFunction(0)->GetSubFunction(1)->GetRepeatCount(), 3);
}

TEST(VirLayout, SubFunctionRecordsUpTo255Bytes) {
  std::vector<std::uint16_t> times;
  for (int i = 0; i < 15; ++i) times.push_back(static_cast<std::uint16_t>(100 + i));
  std::vector<std::uint8_t> header(100), body(100);
  for (int i = 0; i < 100; ++i) {
    header[i] = static_cast<std::uint8_t>(((i % 15) << 4) | ((i + 1) % 15));
    body[i] = static_cast<std::uint8_t>(((i + 3) % 15) << 4 | (i % 15));
  }
  TQVXIr ir;
  auto f = std::make_unique<TQVXIrFunction>();
  f->SetName("LONG");
  f->AddSubFunction(MakeSub(1736, times, header, body, 2));
  EXPECT_EQ(f->GetSubFunction(0)->GetStoredSize(), 240);
  ir.Append(std::move(f));
  TQVXIr back;
  LoadFromBytes(back, SaveToBytes(ir));
  ExpectSameSub(*back.GetFunction(0)->GetSubFunction(0), *ir.GetFunction(0)->GetSubFunction(0));

  body.resize(116, 0x11);
  TQVXIr tooLong;
  auto g = std::make_unique<TQVXIrFunction>();
  g->SetName("TOOLONG");
  g->AddSubFunction(MakeSub(1736, times, header, body));
  EXPECT_EQ(g->GetSubFunction(0)->GetStoredSize(), 256);
  tooLong.Append(std::move(g));
  EXPECT_EQ(CodeOf([&] { SaveToBytes(tooLong); }), 5);
}

TEST(VirLayout, BufferOneByteShortIsWriteError) {
  TQVXIr ir;
  ir.Append(MakeFunction("POWER", 2));
  ir.GetHeader().AddText(0x83, "DVD");
  const std::int64_t size = ir.ComputeSize(true, 0);
  std::vector<std::uint8_t> exact(static_cast<std::size_t>(size));
  TQVXIrSaveBuffer fits(exact.data(), exact.size());
  EXPECT_EQ(ir.Save(fits, 0), size);
  EXPECT_EQ(fits.GetPosition(), exact.size());

  std::vector<std::uint8_t> shorter(static_cast<std::size_t>(size - 1));
  TQVXIrSaveBuffer small(shorter.data(), shorter.size());
  EXPECT_EQ(CodeOf([&] { ir.Save(small, 0); }), 4);
  EXPECT_EQ(ir.GetHeader().GetNameCount(), 0);  // the name table is emptied after a failure too
}

TEST(VirLayout, HeaderEntryLengthLimit) {
  TQVXIr ir;
  ir.GetHeader().AddText(0x86, std::string(253, 'c').c_str());
  TQVXIr back;
  LoadFromBytes(back, SaveToBytes(ir));
  EXPECT_EQ(std::string(back.GetHeader().GetText(0x86)), std::string(253, 'c'));

  TQVXIr tooLong;
  tooLong.GetHeader().AddText(0x86, std::string(254, 'c').c_str());
  EXPECT_EQ(CodeOf([&] { SaveToBytes(tooLong); }), 5);
}

TEST(VirLayout, SaveLoadReproducesFunctionsAndHeader) {
  TQVXIr ir;
  ir.GetHeader().AddText(0x81, "Acme");
  ir.GetHeader().AddText(0x83, "DVD");
  ir.GetHeader().AddText(0x86, "");  // no data: not written
  const std::uint8_t flags[4] = {0, 0, 0, 1};
  ir.GetHeader().AddBinary(0xFF, 4, flags);
  const std::uint8_t other[3] = {9, 0, 7};
  ir.GetHeader().AddBinary(0xF3, 3, other);
  ir.GetHeader().AddText(0x83, "second DVD");
  ir.Append(MakeFunction("POWER", 1, 0x10EF));
  ir.Append(MakeFunction("PLAY", 3, 0x20DF));
  ir.Append(std::make_unique<TQVXIrFunction>());  // nameless placeholder
  auto odd = MakeFunction("Caf\xe9", 1, 0x55);
  odd->GetSubFunction(0)->SetFlags(0xF6);
  odd->GetSubFunction(0)->SetGranularity(7);
  ir.Append(std::move(odd));

  const std::vector<std::uint8_t> image = SaveToBytes(ir);
  EXPECT_EQ(ir.GetKind(), TQVXIr::kMultiFunctionDriver);
  EXPECT_EQ(image[0], 2);
  TQVXIr back;
  LoadFromBytes(back, image);
  EXPECT_EQ(back.GetKind(), 2);
  ASSERT_EQ(back.GetFunctionCount(), 4);
  for (int i : {0, 1, 3}) {
    const TQVXIrFunction* a = ir.GetFunction(i);
    const TQVXIrFunction* b = back.GetFunction(i);
    EXPECT_STREQ(a->GetName(), b->GetName());
    ASSERT_EQ(a->GetSubFunctionCount(), b->GetSubFunctionCount());
    for (int j = 0; j < a->GetSubFunctionCount(); ++j) ExpectSameSub(*a->GetSubFunction(j), *b->GetSubFunction(j));
  }
  EXPECT_STREQ(back.GetFunction(2)->GetName(), "*Empty*");

  const TQVXIrHeader& h = back.GetHeader();
  ASSERT_EQ(h.GetEntryCount(), 5);
  EXPECT_STREQ(h.GetEntry(0)->GetText(), "Acme");
  EXPECT_STREQ(h.GetEntry(1)->GetText(), "DVD");
  EXPECT_EQ(h.GetEntry(2)->GetTag(), 0xFF);
  EXPECT_EQ(h.GetEntry(2)->GetSize(), 4);
  EXPECT_EQ(h.GetEntry(2)->GetFlagsWord(), 1u);
  EXPECT_EQ(h.GetEntry(3)->GetTag(), 0xF3);
  EXPECT_EQ(h.GetEntry(3)->GetBytes(), std::string_view("\x09\x00\x07", 3));
  EXPECT_STREQ(h.GetEntry(4)->GetText(), "second DVD");
  EXPECT_EQ(h.GetNameCount(), 0);

  // A second save of the loaded driver gives the same bytes.
  TQVXIr again(back);
  EXPECT_EQ(SaveToBytes(again), std::vector<std::uint8_t>(image.begin(), image.end() - 2));
}

TEST(VirLayout, KindFollowsTheFunctions) {
  TQVXIr ir;
  ir.SetKind(2);
  ir.Append(MakeFunction("A"));
  SaveToBytes(ir);
  EXPECT_EQ(ir.GetKind(), 0);
  ir.SetKind(1);
  ir.Append(MakeFunction("B", 2));
  EXPECT_EQ(SaveToBytes(ir)[0], 1);
  EXPECT_EQ(ir.GetKind(), 1);
}

TEST(VirLayout, DriversBeyondTheFormatsLimitsAreRefused) {
  TQVXIr many;
  for (int i = 0; i < 256; ++i) many.Append(MakeFunction(("F" + std::to_string(i)).c_str()));
  EXPECT_EQ(CodeOf([&] { SaveToBytes(many); }), 5);
  many.Delete(255);
  TQVXIr back;
  LoadFromBytes(back, SaveToBytes(many));
  EXPECT_EQ(back.GetFunctionCount(), 255);
  EXPECT_STREQ(back.GetFunction(254)->GetName(), "F254");

  TQVXIr bigRecords;
  for (int i = 0; i < 5; ++i) bigRecords.Append(MakeFunction(("BIG" + std::to_string(i)).c_str(), 255));
  EXPECT_EQ(CodeOf([&] { SaveToBytes(bigRecords); }), 5);

  TQVXIr longNames;
  longNames.Append(MakeFunction(std::string(40000, 'a').c_str()));
  longNames.Append(MakeFunction(std::string(40000, 'b').c_str()));
  EXPECT_EQ(CodeOf([&] { SaveToBytes(longNames); }), 5);

  TQVXIr tooManySubs;
  tooManySubs.Append(MakeFunction("SUBS", 256));
  EXPECT_EQ(CodeOf([&] { SaveToBytes(tooManySubs); }), 5);
}

TEST(VirLayout, WriterRefusesNullEntries) {
  TQVXIr ir;
  ir.Append(MakeFunction("A"));
  ir.Items().push_back(nullptr);
  EXPECT_EQ(CodeOf([&] { ir.ComputeSize(true, 0); }), 5);
  std::vector<std::uint8_t> buf(100);
  TQVXIrSaveBuffer out(buf.data(), buf.size());
  EXPECT_EQ(CodeOf([&] { ir.Save(out, 0); }), 5);
}

TEST(VirReader, RejectsMalformedSubFunctions) {
  TQVXIr noTimes;
  noTimes.Append(MakeFunction("A"));
  noTimes.GetFunction(0)->GetSubFunction(0)->SetCounts(0x10);
  const auto image = SaveToBytes(noTimes);
  TQVXIr back;
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(back, image); }), 2);

  TQVXIr noSelectors;
  noSelectors.Append(MakeFunction("A"));
  noSelectors.GetFunction(0)->GetSubFunction(0)->SetHeaderCount(0);
  noSelectors.GetFunction(0)->GetSubFunction(0)->SetBodyCount(0);
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(back, SaveToBytes(noSelectors)); }), 2);

  TQVXIr good;
  good.Append(MakeFunction("A"));
  auto bytes = SaveToBytes(good);
  // One function: its record starts at 7 with n, one offset word, 0x55.
  auto badFunctionMarker = bytes;
  badFunctionMarker[10] ^= 0x40;
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(back, badFunctionMarker); }), 2);
  auto badEndMarker = bytes;
  const int subStart = 11;
  badEndMarker[static_cast<std::size_t>(subStart + bytes[subStart] - 1)] ^= 0x01;
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(back, badEndMarker); }), 2);
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(back, bytes); }), 0);
}

TEST(VirReader, EntryListChecks) {
  TQVXIr ir;
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(ir, ImageWithEntryList({0x00, 0x56})); }), 0);
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(ir, ImageWithEntryList({0x00, 0x57})); }), 2);
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(ir, ImageWithEntryList({0x00})); }), 2);
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(ir, ImageWithEntryList({0x01, 0x81, 0x00, 0x56})); }), 2);
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(ir, ImageWithEntryList({0x02, 0x81, 0x00, 0x56})); }), 2);
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(ir, ImageWithEntryList({0x05, 0x81, 'a', 'b', 'c'})); }), 2);
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(ir, ImageWithEntryList({0x05, 0x81, 'a', 0, 'c', 0x00, 0x56})); }), 0);
  EXPECT_STREQ(ir.GetHeader().GetText(0x81), "a");  // text ends at its NUL
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(ir, ImageWithEntryList({0x04, 0xF0, 0x00, 0x01, 0x00, 0x56})); }), 0);
  ASSERT_NE(ir.GetHeader().FindEntry(0xF0), nullptr);
  EXPECT_EQ(ir.GetHeader().FindEntry(0xF0)->GetBytes(), std::string_view("\x00\x01", 2));
  // An entry-list offset of 0 means there is no list.
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(ir, ImageWithEntryList({0x77}, 0)); }), 0);
  EXPECT_EQ(ir.GetHeader().GetEntryCount(), 0);
  // The name-offset table must not end the data.
  EXPECT_EQ(CodeOf([&] { LoadFromBytes(ir, ImageWithEntryList({}, 2)); }), 2);
}

TEST(VirReader, LoadFileClearsRemembersAndReportsMissingFiles) {
  TQVXIr ir;
  ir.Append(MakeFunction("A"));
  EXPECT_EQ(ir.LoadFile(""), 0);
  EXPECT_EQ(ir.GetFunctionCount(), 0);
  EXPECT_EQ(CodeOf([&] { ir.LoadFile("/nonexistent/quillon/x.vir"); }), 3);
  EXPECT_STREQ(ir.GetFileName(), "/nonexistent/quillon/x.vir");
}

}  // namespace
}  // namespace quillon
