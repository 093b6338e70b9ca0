#include <gtest/gtest.h>

#include "deviceops/CUploadNameChoice.h"

namespace quillon {
namespace {

TEST(UploadNameChoice, ProposesTheNextFreeNumber) {
  CUploadNameChoice choice(5, "living room.vir");
  EXPECT_EQ(choice.GetChoice(), CUploadNameChoice::kAutoNumber);
  EXPECT_EQ(choice.GetNumber(), 5);
  EXPECT_FALSE(choice.IsNumberEnabled());
  EXPECT_EQ(choice.TargetName(6), "6.vir");  // looked up again on OK
  ASSERT_TRUE(choice.SetChoice(CUploadNameChoice::kLocalName));
  EXPECT_EQ(choice.TargetName(6), "living room.vir");
}

TEST(UploadNameChoice, AllNumbersTakenDisablesAutoAndProposes99) {
  CUploadNameChoice choice(-1, "");
  EXPECT_FALSE(choice.IsChoiceEnabled(CUploadNameChoice::kAutoNumber));
  EXPECT_EQ(choice.GetChoice(), CUploadNameChoice::kNumber);
  EXPECT_EQ(choice.GetNumber(), 99);
  EXPECT_TRUE(choice.IsNumberEnabled());
  EXPECT_EQ(choice.TargetName(-1), "99.vir");
}

TEST(UploadNameChoice, UntitledDocumentCannotUseLocalNameAndNumbersClamp) {
  CUploadNameChoice choice(0, "");
  EXPECT_FALSE(choice.SetChoice(CUploadNameChoice::kLocalName));
  EXPECT_EQ(choice.GetChoice(), CUploadNameChoice::kAutoNumber);
  ASSERT_TRUE(choice.SetChoice(CUploadNameChoice::kNumber));
  choice.SetNumber(150);
  EXPECT_EQ(choice.TargetName(0), "99.vir");
  choice.SetNumber(-3);
  EXPECT_EQ(choice.TargetName(0), "0.vir");
  ASSERT_TRUE(choice.SetChoice(CUploadNameChoice::kAutoNumber));
  EXPECT_EQ(choice.TargetName(-1), "");  // every number was taken meanwhile
}

}  // namespace
}  // namespace quillon
