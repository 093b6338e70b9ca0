// Text rules of the driver document: names, header fields, versions, the
// maintained header entries and the clipboard block.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "irmodel/CDriverDocText.h"
#include "irmodel/CFunctionClipboard.h"

namespace quillon {
namespace {

TEST(DocText, IllegalFunctionNameCharacters) {
  for (const char* bad : {"a<b", "a>b", "R&D", "it's", "say \"hi\""})
    EXPECT_TRUE(CDriverDocText::HasIllegalNameCharacters(bad)) << bad;
  EXPECT_FALSE(CDriverDocText::HasIllegalNameCharacters("VOL+ / CH-_1 *#"));
  EXPECT_STREQ(CDriverDocText::kIllegalNameMessage,
               "Illegal XML characters: <, >, ', \" and & in function name.");
}

TEST(DocText, HeaderCleaningJoinsAmpersandsWithAnd) {
  std::string text = "Bang & Olufsen <Europe>";
  EXPECT_TRUE(CDriverDocText::CleanHeaderText(text));
  EXPECT_EQ(text, "Bang and Olufsen Europe");
  text = "A&B \"x\" 'y' & &z";
  EXPECT_TRUE(CDriverDocText::CleanHeaderText(text));
  EXPECT_EQ(text, "AB x y and z");
  // A quote removed next to an ampersand makes a new " & ".
  text = "a '& b";
  EXPECT_TRUE(CDriverDocText::CleanHeaderText(text));
  EXPECT_EQ(text, "a and b");
  text = "Plain Text";
  EXPECT_FALSE(CDriverDocText::CleanHeaderText(text));
  EXPECT_EQ(text, "Plain Text");
}

TEST(DocText, VersionIsFirstDigitRunClampedTo1To255) {
  EXPECT_EQ(CDriverDocText::ConfirmVersion("v2"), 2);
  EXPECT_EQ(CDriverDocText::ConfirmVersion("300"), 255);
  EXPECT_EQ(CDriverDocText::ConfirmVersion(""), 1);
  EXPECT_EQ(CDriverDocText::ConfirmVersion("0"), 1);
  EXPECT_EQ(CDriverDocText::ConfirmVersion("x 12 y 40"), 12);
  EXPECT_EQ(CDriverDocText::ConfirmVersion("000000000000000000000000007"), 7);
  EXPECT_EQ(CDriverDocText::ConfirmVersion("99999999999999999999999"), 255);
  EXPECT_EQ(CDriverDocText::SpinVersion(255, 1), 255);
  EXPECT_EQ(CDriverDocText::SpinVersion(1, -1), 1);
  EXPECT_EQ(CDriverDocText::SpinVersion(7, 1), 8);
}

TEST(DocText, SavedTimeHasNoLeadingZeroOnTheDay) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(CDriverDocText::FormatSavedTime(1796679780), "Mon, Dec 7, 2026, 09:43PM");
  EXPECT_EQ(CDriverDocText::FormatSavedTime(0), "Thu, Jan 1, 1970, 12:00AM");
  EXPECT_EQ(CDriverDocText::FormatSavedTime(1796644800), "Mon, Dec 7, 2026, 12:00PM");
}

TEST(DocText, MaintainedEntries) {
  EXPECT_EQ(CDriverDocText::ProgramVersionText(), "1.0.0");
  EXPECT_EQ(CDriverDocText::FileNameEntry("/tmp/drivers/Sony_DVD.vir"), "Sony_DVD.vir");
  EXPECT_EQ(CDriverDocText::FileNameEntry("plain.vir"), "plain.vir");
  const std::string longName = std::string(300, 'n') + ".vir";
  const std::string kept = CDriverDocText::FileNameEntry("/d/" + longName);
  EXPECT_EQ(kept.size(), 250u);
  EXPECT_EQ(kept, longName.substr(longName.size() - 250));
}

TEST(DocText, DriverKindTexts) {
  EXPECT_STREQ(CDriverDocText::DriverKindText(0), "IR Driver:  ");
  EXPECT_STREQ(CDriverDocText::DriverKindText(1), "X10 Driver:  ");
  EXPECT_STREQ(CDriverDocText::DriverKindText(2), "Multifunction IR Driver:  ");
  EXPECT_STREQ(CDriverDocText::DriverKindText(3), "Multifunction IR Driver:  ");
}

TEST(DocText, ErrorFormats) {
  EXPECT_EQ(CDriverDocText::FormatError(CDriverDocText::kLoadErrorFormat, "/x/a.vir", 2, "Corrupt File"),
            "Error loading /x/a.vir\nErrorID - 2\nCause: Corrupt File");
  EXPECT_EQ(CDriverDocText::Format(CDriverDocText::kRenameErrorsFormat, 3),
            "3 File(s) could not be copied due to renaming errors");
}

TEST(FunctionClipboard, BlockStartsWithItsOwnLength) {
  const std::vector<uint8_t> image = {9, 8, 7};
  const auto block = CFunctionClipboard::MakeBlock(image);
  ASSERT_EQ(block.size(), 7u);
  EXPECT_EQ(block[0], 7);
  EXPECT_EQ(block[1] | block[2] | block[3], 0);
  EXPECT_EQ(CFunctionClipboard::ImageOf(block), image);
}

TEST(FunctionClipboard, MalformedBlocksYieldNothing) {
  EXPECT_FALSE(CFunctionClipboard::ImageOf({1, 0}).has_value());
  EXPECT_FALSE(CFunctionClipboard::ImageOf({3, 0, 0, 0}).has_value());
  EXPECT_FALSE(CFunctionClipboard::ImageOf({9, 0, 0, 0, 1}).has_value());
  // A length word shorter than the block: the bytes beyond it are ignored.
  EXPECT_EQ(CFunctionClipboard::ImageOf({5, 0, 0, 0, 1, 2}), std::vector<uint8_t>{1});
}

}  // namespace
}  // namespace quillon
