// The keyed lists and the support description of a package, on INI texts
// that packages in the field may carry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CMemINI.h"
#include "library/CKeyedStringList.h"
#include "library/LibraryText.h"

namespace quillon::library {
namespace {

TEST(KeyedStringList, MergesItemsOfTheCountOnceByKey) {
  CMemINI ini;
  ini.LoadBuffer(std::string("[main]\ntype_count=3\ntype2=7, Tuner \ntype0=3,DVD\ntype1=noComma\ntype3=9,Beyond\n"
                             "type01=8,Padded\n[MFG]\nMFG_COUNT=2000000000\nmfg0=5,A,B\nmfg1=-4,Neg\n"));
  CKeyedStringList types = CKeyedStringList::DeviceTypes();
  std::vector<std::string> rejected;
  EXPECT_EQ(types.Merge(ini, &rejected), 2);
  ASSERT_EQ(types.GetCount(), 2u);
  EXPECT_EQ(types.GetItems()[0].m_key, 3);  // number order, not file order
  EXPECT_EQ(types.GetItems()[1].m_name, "Tuner");
  EXPECT_EQ(rejected.size(), 1u);
  EXPECT_EQ(types.Merge(ini), 0);  // known keys are not added twice

  CKeyedStringList makers = CKeyedStringList::Manufacturers();
  EXPECT_EQ(makers.Merge(ini), 2);  // an absurd count costs nothing
  EXPECT_EQ(makers.FindKey(5)->m_name, "A,B");
  // A listed negative key is skipped by the synthetic keys.
  EXPECT_EQ(makers.KeyOfName("new one"), -1);
  EXPECT_EQ(makers.KeyOfName("another"), -2);
  EXPECT_EQ(makers.KeyOfName("NEG"), -4);
  EXPECT_EQ(makers.KeyOfName("third"), -3);
  EXPECT_EQ(makers.KeyOfName("fourth"), -5);
  makers.Clear();
  EXPECT_EQ(makers.KeyOfName("fresh"), -1);
}

TEST(LibraryText, VersionListsAndNumberedNames) {
  EXPECT_EQ(ParseVersionList("1, 3 ,7"), (std::vector<int>{1, 3, 7}));
  EXPECT_EQ(ParseVersionList("  12;4-5 and 6"), (std::vector<int>{12, 4, 5, 6}));
  EXPECT_TRUE(ParseVersionList("v2").empty());
  EXPECT_TRUE(ParseVersionList(" ,1").empty());
  std::vector<std::string> rejected;
  EXPECT_EQ(ParseVersionList("1,99999999999,2", &rejected), (std::vector<int>{1, 2}));
  EXPECT_EQ(rejected, std::vector<std::string>{"99999999999"});
  EXPECT_EQ(NumberedName("MODEL_12", "model_"), 12);
  EXPECT_FALSE(NumberedName("model_012", "model_"));
  EXPECT_FALSE(NumberedName("model_", "model_"));
  EXPECT_FALSE(NumberedName("model_-1", "model_"));
  EXPECT_EQ(DisplayName("???"), "Other");
  EXPECT_EQ(DisplayName("??"), "??");
}

}  // namespace
}  // namespace quillon::library
