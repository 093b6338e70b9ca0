// Export of drivers to the INI interchange text and import back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/CMemINI.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "irmodel/TQVXIrIni.h"

namespace quillon {
namespace {

std::unique_ptr<TQVXIrSubFunction> MakeSub(uint8_t flags, uint16_t divider, int repeat,
                                           std::vector<uint16_t> times, std::vector<uint8_t> header,
                                           std::vector<uint8_t> body) {
  auto sub = std::make_unique<TQVXIrSubFunction>();
  sub->SetFlags(flags);
  sub->SetDivider(divider);
  sub->SetTimes(times);
  sub->SetHeaderAndBody(header.data(), static_cast<int>(header.size()), body.data(), static_cast<int>(body.size()));
  sub->SetCounts(static_cast<uint8_t>(repeat * 16 + static_cast<int>(times.size())));
  return sub;
}

std::unique_ptr<TQVXIrFunction> MakeFunction(const char* name, int subs) {
  auto f = std::make_unique<TQVXIrFunction>();
  if (name) f->SetName(name);
  for (int i = 0; i < subs; ++i)
    f->AddSubFunction(MakeSub(static_cast<uint8_t>(i == 0 ? 1 : 6), static_cast<uint16_t>(1736 + i), 3 + i,
                              {0x20, 0x1a0, 0xffff}, {0x01}, {0x02, 0x12, static_cast<uint8_t>(0x20 + i)}));
  return f;
}

TQVXIr SampleDriver() {
  TQVXIr driver;
  driver.GetHeader().SetText(TQVXIrHeaderEntry::kDeviceType, "DVD");
  driver.GetHeader().SetText(TQVXIrHeaderEntry::kDeviceManufacturer, "Sony");
  driver.GetHeader().SetText(TQVXIrHeaderEntry::kDeviceModel, "DVP-1");
  driver.GetHeader().SetText(TQVXIrHeaderEntry::kDriverVersion, "7");
  const uint8_t flags[4] = {0, 0, 0, 1};
  driver.GetHeader().SetBinary(TQVXIrHeaderEntry::kFlags, 4, flags);
  driver.Append(MakeFunction("POWER", 1));
  driver.Append(MakeFunction("PLAY", 2));
  driver.Append(MakeFunction(nullptr, 1));
  return driver;
}

TEST(IniExport, WritesSectionsAndKeysInOrder) {
  const std::string text = TQVXIrIni::ExportText(SampleDriver());
  const std::string expected =
      "[HEADER]\r\ndevice_type=DVD\r\ndevice_manufacturer=Sony\r\ndevice_model=DVP-1\r\ndriver_version=7\r\n"
      "driver_type=ir\r\nis_velmor_supported=no\r\nfunction_count=3\r\n\r\n"
      "[function_0]\r\nfunction_name=POWER\r\nsub_function_count=1\r\nsub0_isx10=0\r\nsub0_is_modulated=1\r\n"
      "sub0_is_inverted=0\r\nsub0_divider=1736\r\nsub0_granularity=1\r\nsub0_repeat_count=3\r\n"
      "sub0_times=0x20,0x1a0,0xffff\r\nsub0_header_selectors=0x1\r\nsub0_body_selectors=0x2,0x12,0x20\r\n\r\n";
  ASSERT_GE(text.size(), expected.size());
  EXPECT_EQ(text.substr(0, expected.size()), expected);
  EXPECT_NE(text.find("[function_1]\r\nfunction_name=PLAY\r\nsub_function_count=2\r\n"), std::string::npos);
  EXPECT_NE(text.find("sub1_isx10=1\r\nsub1_is_modulated=0\r\nsub1_is_inverted=1\r\nsub1_divider=1737\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("[function_2]\r\nfunction_name=\r\n"), std::string::npos);
}

TEST(IniExport, DriverTypeFollowsKindAndSupportIsAlwaysNo) {
  TQVXIr driver = SampleDriver();
  driver.SetKind(TQVXIr::kX10Driver);
  EXPECT_NE(TQVXIrIni::ExportText(driver).find("driver_type=x10\r\nis_velmor_supported=no\r\n"), std::string::npos);
  driver.SetKind(TQVXIr::kMultiFunctionDriver);
  EXPECT_EQ(TQVXIrIni::ExportText(driver).find("driver_type"), std::string::npos);
  // A selection carries the header but not the kind: always "ir".
  const TQVXIr selection = TQVXIrIni::Selection(driver, {1, 7, 0});
  ASSERT_EQ(selection.GetFunctionCount(), 2);
  EXPECT_STREQ(selection.GetFunction(0)->GetName(), "PLAY");
  EXPECT_STREQ(selection.GetFunction(1)->GetName(), "POWER");
  const std::string text = TQVXIrIni::ExportText(selection);
  EXPECT_NE(text.find("driver_type=ir\r\n"), std::string::npos);
  EXPECT_NE(text.find("device_model=DVP-1\r\n"), std::string::npos);
  EXPECT_NE(text.find("function_count=2\r\n"), std::string::npos);
}

TEST(IniExport, NoFunctionsNothingToExport) {
  TQVXIr driver;
  CMemINI ini;
  EXPECT_FALSE(TQVXIrIni::Export(driver, ini));
  EXPECT_EQ(ini.GetCount(), 0);
}

TEST(IniExport, ProposedFileName) {
  TQVXIr driver;
  EXPECT_EQ(TQVXIrIni::ProposedFileName(driver), "");
  driver.GetHeader().SetText(TQVXIrHeaderEntry::kDeviceModel, "X1");
  EXPECT_EQ(TQVXIrIni::ProposedFileName(driver), "X1");
  driver.GetHeader().SetText(TQVXIrHeaderEntry::kDeviceManufacturer, "Acme");
  EXPECT_EQ(TQVXIrIni::ProposedFileName(driver), "Acme_X1");
  driver.GetHeader().SetText(TQVXIrHeaderEntry::kDeviceModel, "");
  EXPECT_EQ(TQVXIrIni::ProposedFileName(driver), "Acme");
}

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

TEST(IniRoundTrip, ExportThenImportReproducesFunctions) {
  const TQVXIr original = SampleDriver();
  CMemINI ini;
  ASSERT_TRUE(TQVXIrIni::Export(original, ini));
  // Through the text form, as a file would carry it.
  CMemINI reread;
  const std::string text = ini.SaveText();
  reread.LoadBuffer(text);

  TQVXIr imported;
  imported.GetHeader().SetText(TQVXIrHeaderEntry::kComments, "kept");
  const uint8_t flags[4] = {0, 0, 0, 1};
  imported.GetHeader().SetBinary(TQVXIrHeaderEntry::kFlags, 4, flags);
  imported.Append(MakeFunction("OLD", 1));
  std::vector<std::string> messages;
  ASSERT_EQ(TQVXIrIni::Import(reread, imported, messages, nullptr), TQVXIrIni::ImportResult::kImported);

  // The unnamed function comes back as an unnamed placeholder.
  EXPECT_EQ(messages, std::vector<std::string>{"fcn 2: Bad/Duplicate name"});
  ASSERT_EQ(imported.GetFunctionCount(), 3);
  for (int k = 0; k < 2; ++k) {
    const TQVXIrFunction* a = original.GetFunction(k);
    const TQVXIrFunction* b = imported.GetFunction(k);
    EXPECT_STREQ(a->GetName(), b->GetName());
    ASSERT_EQ(a->GetSubFunctionCount(), b->GetSubFunctionCount());
    for (int j = 0; j < a->GetSubFunctionCount(); ++j) ExpectSameSub(*a->GetSubFunction(j), *b->GetSubFunction(j));
  }
  EXPECT_EQ(imported.GetFunction(2)->GetName(), nullptr);
  EXPECT_EQ(imported.GetFunction(2)->GetSubFunctionCount(), 0);

  // Header: texts replaced, comments kept, the supported bit dropped.
  const TQVXIrHeader& header = imported.GetHeader();
  EXPECT_STREQ(header.GetText(TQVXIrHeaderEntry::kDeviceType), "DVD");
  EXPECT_STREQ(header.GetText(TQVXIrHeaderEntry::kDeviceManufacturer), "Sony");
  EXPECT_STREQ(header.GetText(TQVXIrHeaderEntry::kDeviceModel), "DVP-1");
  EXPECT_STREQ(header.GetText(TQVXIrHeaderEntry::kDriverVersion), "7");
  EXPECT_STREQ(header.GetText(TQVXIrHeaderEntry::kComments), "kept");
  EXPECT_EQ(header.FindEntry(TQVXIrHeaderEntry::kFlags)->GetFlagsWord(), 0u);
}

}  // namespace
}  // namespace quillon
