// Import of INI interchange files: the order of steps, every recorded
// message and the values substituted for bad ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "app/CMemINI.h"
#include "app/IPrompt.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrIni.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"

namespace quillon {
namespace {

struct RecordingPrompt : IPrompt {
  std::vector<std::string> texts;
  PromptAnswer MessageBox(const std::string& text, const std::string&, PromptButtons, PromptIcon) override {
    texts.push_back(text);
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return -1; }
};

class IniImport : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("quillon_ini_import_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Writes TEXT to a file and imports it into driver_ (advanced mode on).
  TQVXIrIni::ImportResult Run(const std::string& text, bool advanced = true) {
    const std::string path = (dir_ / "in.ini").string();
    std::ofstream(path, std::ios::binary) << text;
    return TQVXIrIni::Import(path, driver_, advanced, messages_, &prompt_);
  }

  // A one-function file whose sub-function 0 has the given extra keys.
  static std::string OneFunction(const std::string& subKeys, const std::string& name = "POWER") {
    return "[HEADER]\nfunction_count=1\n[function_0]\nfunction_name=" + name + "\n" + subKeys;
  }

  const TQVXIrSubFunction* Sub(int k = 0, int j = 0) const {
    const TQVXIrFunction* f = driver_.GetFunction(k);
    return f ? f->GetSubFunction(j) : nullptr;
  }

  std::filesystem::path dir_;
  TQVXIr driver_;
  std::vector<std::string> messages_;
  RecordingPrompt prompt_;
};

const char* kGoodSub = "sub0_divider=1736\nsub0_times=0x10,0x20\nsub0_header_selectors=0x01\nsub0_body_selectors=0x10\n";

TEST_F(IniImport, OnlyInAdvancedMode) {
  driver_.AppendCopy(TQVXIrFunction());
  EXPECT_EQ(Run(OneFunction(kGoodSub), false), TQVXIrIni::ImportResult::kNotAllowed);
  EXPECT_EQ(driver_.GetFunctionCount(), 1);
}

TEST_F(IniImport, MissingFileChangesNothingSilently) {
  driver_.AppendCopy(TQVXIrFunction());
  messages_.push_back("stale");
  EXPECT_EQ(TQVXIrIni::Import((dir_ / "none.ini").string(), driver_, true, messages_, &prompt_),
            TQVXIrIni::ImportResult::kNoFile);
  EXPECT_EQ(TQVXIrIni::Import("", driver_, true, messages_, &prompt_), TQVXIrIni::ImportResult::kNoFile);
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(prompt_.texts.empty());
  EXPECT_EQ(driver_.GetFunctionCount(), 1);
}

TEST_F(IniImport, NoHeaderSectionIsInvalid) {
  driver_.AppendCopy(TQVXIrFunction());
  EXPECT_EQ(Run("[function_0]\nfunction_name=A\n"), TQVXIrIni::ImportResult::kInvalidFile);
  EXPECT_EQ(prompt_.texts, std::vector<std::string>{"The INI file is invalid/corrupted."});
  EXPECT_EQ(driver_.GetFunctionCount(), 1);
}

TEST_F(IniImport, HeaderValuesAndDefaults) {
  driver_.GetHeader().SetText(TQVXIrHeaderEntry::kDeviceModel, "old model");
  driver_.AppendCopy(TQVXIrFunction());
  ASSERT_EQ(Run("[header]\nDEVICE_TYPE=VCR\ndriver_version=12abc\nis_velmor_supported=YeS\n"),
            TQVXIrIni::ImportResult::kImported);
  EXPECT_EQ(messages_, std::vector<std::string>{"Nothing to learn."});
  EXPECT_EQ(driver_.GetFunctionCount(), 0);
  const TQVXIrHeader& h = driver_.GetHeader();
  EXPECT_STREQ(h.GetText(TQVXIrHeaderEntry::kDeviceType), "VCR");
  EXPECT_STREQ(h.GetText(TQVXIrHeaderEntry::kDeviceModel), "");
  EXPECT_STREQ(h.GetText(TQVXIrHeaderEntry::kDeviceManufacturer), "");
  EXPECT_STREQ(h.GetText(TQVXIrHeaderEntry::kDriverVersion), "12");
  // No flags entry before: "yes" adds one with value 1.
  ASSERT_NE(h.FindEntry(TQVXIrHeaderEntry::kFlags), nullptr);
  EXPECT_EQ(h.FindEntry(TQVXIrHeaderEntry::kFlags)->GetFlagsWord(), 1u);

  ASSERT_EQ(Run("[HEADER]\nfunction_count=-3\n"), TQVXIrIni::ImportResult::kImported);
  EXPECT_STREQ(driver_.GetHeader().GetText(TQVXIrHeaderEntry::kDriverVersion), "1");
  EXPECT_EQ(driver_.GetHeader().FindEntry(TQVXIrHeaderEntry::kFlags)->GetFlagsWord(), 0u);
}

TEST_F(IniImport, FlagsEntryKeepsItsOtherBits) {
  const uint8_t word[4] = {0x80, 0, 0, 0x03};
  driver_.GetHeader().SetBinary(TQVXIrHeaderEntry::kFlags, 4, word);
  Run("[HEADER]\nis_velmor_supported=no\n");
  EXPECT_EQ(driver_.GetHeader().FindEntry(TQVXIrHeaderEntry::kFlags)->GetFlagsWord(), 0x80000002u);
  // Without "yes" and without an entry, none is added.
  TQVXIr fresh;
  std::vector<std::string> messages;
  CMemINI ini;
  ini.LoadBuffer(std::string("[HEADER]\nfunction_count=0\n"));
  TQVXIrIni::Import(ini, fresh, messages, nullptr);
  EXPECT_EQ(fresh.GetHeader().FindEntry(TQVXIrHeaderEntry::kFlags), nullptr);
  // An entry shorter than 4 bytes is left alone.
  const uint8_t shortWord[2] = {0, 0};
  fresh.GetHeader().SetBinary(TQVXIrHeaderEntry::kFlags, 2, shortWord);
  ini.LoadBuffer(std::string("[HEADER]\nis_velmor_supported=yes\n"));
  TQVXIrIni::Import(ini, fresh, messages, nullptr);
  EXPECT_EQ(fresh.GetHeader().FindEntry(TQVXIrHeaderEntry::kFlags)->GetDataLength(), 2);
}

TEST_F(IniImport, TooManyFunctionsReads126) {
  std::string text = "[HEADER]\nfunction_count=200\n";
  for (int k = 0; k < 200; ++k)
    text += "[function_" + std::to_string(k) + "]\nfunction_name=F" + std::to_string(k) + "\n" + kGoodSub;
  ASSERT_EQ(Run(text), TQVXIrIni::ImportResult::kImported);
  EXPECT_EQ(messages_, std::vector<std::string>{"Too many functions specified"});
  ASSERT_EQ(driver_.GetFunctionCount(), 126);
  EXPECT_STREQ(driver_.GetFunction(125)->GetName(), "F125");
}

TEST_F(IniImport, MissingSectionsAndDuplicateNamesKeepTheirSlots) {
  ASSERT_EQ(Run("[HEADER]\nfunction_count=4\n[function_0]\nfunction_name=Power\n" + std::string(kGoodSub) +
                "[function_2]\nfunction_name=POWER\n" + kGoodSub + "[function_3]\nsub_function_count=1\n"),
            TQVXIrIni::ImportResult::kImported);
  EXPECT_EQ(messages_, (std::vector<std::string>{"fcn 2: Bad/Duplicate name", "fcn 3: Bad/Duplicate name"}));
  ASSERT_EQ(driver_.GetFunctionCount(), 4);
  EXPECT_STREQ(driver_.GetFunction(0)->GetName(), "Power");
  for (int k = 1; k < 4; ++k) {
    EXPECT_EQ(driver_.GetFunction(k)->GetName(), nullptr);
    EXPECT_EQ(driver_.GetFunction(k)->GetSubFunctionCount(), 0);
  }
}

TEST_F(IniImport, SubFunctionDefaults) {
  ASSERT_EQ(Run(OneFunction(kGoodSub)), TQVXIrIni::ImportResult::kImported);
  EXPECT_TRUE(messages_.empty());
  const TQVXIrSubFunction* sub = Sub();
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(driver_.GetFunction(0)->GetSubFunctionCount(), 1);  // sub_function_count defaults to 1
  EXPECT_EQ(sub->GetFlags(), TQVXIrSubFunction::kModulated);
  EXPECT_EQ(sub->GetDivider(), 1736);
  EXPECT_EQ(sub->GetGranularity(), 1);
  EXPECT_EQ(sub->GetRepeatCount(), 4);
  EXPECT_EQ(sub->GetCounts(), 0x42);
  EXPECT_EQ(sub->GetHeaderCount(), 1);
  EXPECT_EQ(sub->GetBodyCount(), 1);
  EXPECT_EQ(sub->GetSelectors(), (std::vector<uint8_t>{0x01, 0x10}));
}

TEST_F(IniImport, FlagKeys) {
  Run(OneFunction(std::string(kGoodSub) + "sub0_isx10=1\nsub0_is_modulated=0\nsub0_is_inverted=7\n"));
  EXPECT_EQ(Sub()->GetFlags(), TQVXIrSubFunction::kX10 | TQVXIrSubFunction::kInverted);
}

TEST_F(IniImport, DividerMessagesAndSubstitutes) {
  Run(OneFunction("sub_function_count=4\n"
                  "sub0_divider=3000\nsub0_times=1\nsub0_body_selectors=0\n"
                  "sub1_divider=10,20\nsub1_times=1\nsub1_body_selectors=0\n"
                  "sub2_times=1\nsub2_body_selectors=0\n"
                  "sub3_divider=0x123456\nsub3_times=1\nsub3_body_selectors=0\n"));
  EXPECT_EQ(messages_, (std::vector<std::string>{
                           "sub of fcn 0: Invalid timebase",
                           "sub of fcn 0: Invalid timebase count",
                           "sub of fcn 0: Invalid timebase count",
                           "List Value Truncated",
                           "sub of fcn 0: Invalid timebase",
                       }));
  ASSERT_EQ(driver_.GetFunction(0)->GetSubFunctionCount(), 4);
  EXPECT_EQ(Sub(0, 0)->GetDivider(), 100);
  EXPECT_EQ(Sub(0, 1)->GetDivider(), 10);
  EXPECT_EQ(Sub(0, 2)->GetDivider(), 0);
  EXPECT_EQ(Sub(0, 3)->GetDivider(), 100);  // 0x3456 is above 2,200
}

TEST_F(IniImport, RepeatCountOutOfRange) {
  Run(OneFunction(std::string(kGoodSub) + "sub0_repeat_count=16\nsub0_granularity=3\n"));
  EXPECT_EQ(messages_, std::vector<std::string>{"sub of fcn 0: bad repeat count"});
  EXPECT_EQ(Sub()->GetRepeatCount(), 4);
  EXPECT_EQ(Sub()->GetGranularity(), 3);
}

TEST_F(IniImport, NoDataSkipsTheSubFunction) {
  Run("[HEADER]\nfunction_count=2\n[function_0]\nfunction_name=A\nsub_function_count=2\n"
      "sub0_divider=1736\nsub0_times=0x10\nsub1_divider=99999\nsub1_header_selectors=0\n"
      "[function_1]\nfunction_name=B\nsub0_times=1\nsub0_header_selectors=0\n");
  EXPECT_EQ(messages_, (std::vector<std::string>{"sub of fcn 0: No Data", "sub of fcn 0: Invalid timebase",
                                                 "sub of fcn 0: No Data", "sub of fcn 1: Invalid timebase count"}));
  // A named function whose sub-functions all lacked data is still added.
  ASSERT_EQ(driver_.GetFunctionCount(), 2);
  EXPECT_STREQ(driver_.GetFunction(0)->GetName(), "A");
  EXPECT_EQ(driver_.GetFunction(0)->GetSubFunctionCount(), 0);
  EXPECT_EQ(driver_.GetFunction(1)->GetSubFunctionCount(), 1);
}

TEST_F(IniImport, TimeTableRules) {
  Run("[HEADER]\nfunction_count=3\n"
      "[function_0]\nfunction_name=A\nsub0_divider=1\nsub0_times=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\n"
      "sub0_body_selectors=0x01\n"
      "[function_1]\nfunction_name=B\nsub0_divider=1\nsub0_times=;;;\nsub0_body_selectors=0x00\n"
      "[function_2]\nfunction_name=C\nsub0_divider=1\nsub0_times=70000,0x0000ffff,0x1ffff\nsub0_body_selectors=0\n");
  EXPECT_EQ(messages_, (std::vector<std::string>{
                           "sub of fcn 0: Bad Time Information",
                           "sub of fcn 1: Bad Time Information",
                           "sub of fcn 1: bad header selector",
                           "List Value Truncated",
                           "sub of fcn 2: time value truncation",
                       }));
  EXPECT_EQ(Sub(0)->GetTimeCount(), 15);
  EXPECT_EQ(Sub(0)->GetCounts(), 0x4F);
  // Without time values the sub-function could not be read back from a
  // driver file: it is reported and left out.
  EXPECT_EQ(driver_.GetFunction(1)->GetSubFunctionCount(), 0);
  EXPECT_EQ(Sub(2)->GetTimes(), (std::vector<uint16_t>{70000 & 0xFFFF, 0xFFFF, 0xFFFF}));
}

TEST_F(IniImport, HexTokensWithLeadingZerosAndDecimalTokens) {
  Run(OneFunction("sub0_divider=1736\nsub0_times=0x00abcd,10,10a,0x12345\nsub0_body_selectors=0x0123\n"));
  EXPECT_EQ(messages_, std::vector<std::string>{"List Value Truncated"});
  EXPECT_EQ(Sub()->GetTimes(), (std::vector<uint16_t>{0xabcd, 10, 0x10a, 0x2345}));
  EXPECT_EQ(Sub()->GetSelectors(), std::vector<uint8_t>{0x23});  // low 8 bits
}

TEST_F(IniImport, SelectorRules) {
  std::string many;
  for (int i = 0; i < 251; ++i) many += "0x10,";
  Run("[HEADER]\nfunction_count=2\n"
      "[function_0]\nfunction_name=A\nsub0_divider=1\nsub0_times=1,2\nsub0_header_selectors=0x21,0x01,0x11\n"
      "sub0_body_selectors=0x02\n"
      "[function_1]\nfunction_name=B\nsub0_divider=1\nsub0_times=1,2\nsub0_header_selectors=" +
      many + "\nsub0_body_selectors=" + many + "\n");
  EXPECT_EQ(messages_, (std::vector<std::string>{
                           "sub of fcn 0: bad header selector",  // high nibble equals the time count
                           "sub of fcn 0: bad header selector",  // body selectors report the same text
                           "sub of fcn 1: Bad header",
                           "sub of fcn 1: Bad body",
                       }));
  // Bad selectors are stored all the same.
  EXPECT_EQ(Sub(0)->GetSelectors(), (std::vector<uint8_t>{0x21, 0x01, 0x11, 0x02}));
  EXPECT_EQ(Sub(0)->GetHeaderCount(), 3);
  EXPECT_EQ(Sub(1)->GetHeaderCount(), 250);
  EXPECT_EQ(Sub(1)->GetBodyCount(), 250);
}

TEST_F(IniImport, HugeSubFunctionCountIsBounded) {
  Run(OneFunction("sub_function_count=2147483647\n" + std::string(kGoodSub)));
  ASSERT_EQ(driver_.GetFunctionCount(), 1);
  EXPECT_EQ(driver_.GetFunction(0)->GetSubFunctionCount(), 1);
  EXPECT_EQ(messages_.size(), static_cast<size_t>(2 * (TQVXIrIni::kMaxSubFunctions - 1)));  // no divider, no data
  EXPECT_EQ(messages_.back(), "sub of fcn 0: No Data");
}

TEST_F(IniImport, SelectorTextsWithoutNumbersLeaveTheSubFunctionOut) {
  Run(OneFunction("sub_function_count=2\nsub0_divider=1736\nsub0_times=0x10,0x20\nsub0_header_selectors=--\n"
                  "sub0_body_selectors=;\n"
                  "sub1_divider=1736\nsub1_times=0x10,0x20\nsub1_body_selectors=0x01\n"));
  EXPECT_EQ(messages_, std::vector<std::string>{"sub of fcn 0: No Selector Data"});
  ASSERT_EQ(driver_.GetFunction(0)->GetSubFunctionCount(), 1);
  EXPECT_EQ(Sub(0, 0)->GetSelectors(), std::vector<uint8_t>{0x01});
}

// Whatever a hand-made INI file holds, a driver the import produces either
// cannot be saved (beyond the file format's limits) or opens again.
TEST(IniImportRandom, EveryImportedDriverThatSavesOpensAgain) {
  std::mt19937 random(20240305);
  const std::vector<std::string> keys = {"function_name", "sub_function_count", "sub0_divider", "sub0_times",
                                         "sub0_header_selectors", "sub0_body_selectors", "sub0_repeat_count",
                                         "sub0_granularity", "sub1_times", "sub1_body_selectors", "sub1_divider",
                                         "sub0_is_modulated"};
  const std::vector<std::string> values = {"", "0", "1", "2", "-1", "15", "16", "2200", "3000", "0x10,0x20",
                                           "0x01", "0x10,0x01,0x11", "--", ";", "x12", "0xfffff", "1,2,3",
                                           "0x21", "zz", "65536,1", "POWER", "PLAY", "power"};
  int saved = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = "[HEADER]\nfunction_count=" + std::to_string(random() % 4) + "\n";
    for (int k = 0; k < 3; ++k) {
      text += "[function_" + std::to_string(k) + "]\n";
      const int lines = static_cast<int>(random() % 9);
      for (int l = 0; l < lines; ++l) {
        text += keys[random() % keys.size()] + "=" + values[random() % values.size()];
        if (random() % 3 == 0) text += "," + values[random() % values.size()];
        text += "\n";
      }
    }
    CMemINI ini;
    ini.LoadBuffer(text);
    TQVXIr driver;
    std::vector<std::string> messages;
    if (TQVXIrIni::Import(ini, driver, messages, nullptr) != TQVXIrIni::ImportResult::kImported) continue;
    std::vector<std::uint8_t> image;
    try {
      image.assign(static_cast<std::size_t>(driver.ComputeSize(true, 0)), 0);
      TQVXIrSaveBuffer out(image.data(), image.size());
      image.resize(static_cast<std::size_t>(driver.Save(out, 0)));
    } catch (const TQVXIrException&) {
      continue;  // refused, nothing written
    }
    ++saved;
    TQVXIr back;
    TQVXIrLoadBuffer in(image.data(), image.size());
    EXPECT_NO_THROW(back.Load(in)) << text;
  }
  EXPECT_GT(saved, 1000);
}

TEST(IniImportText, ErrorHeading) {
  EXPECT_EQ(TQVXIrIni::ErrorHeading(),
            "The following errors were encountered during the import process.  The driver may not be usable.");
}

}  // namespace
}  // namespace quillon
