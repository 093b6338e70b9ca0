// The device table: reading types from the settings file, dropping unusable
// ones, lookup by part number and family, and the port helpers.
#include <gtest/gtest.h>

#include <string>

#include "app/CMemINI.h"
#include "devicelink/CQVXDeviceTypeList.h"

namespace quillon {
namespace {

CQVXDeviceTypeList Load(const std::string& text) {
  CMemINI ini;
  ini.LoadBuffer(text);
  CQVXDeviceTypeList list;
  list.Load(ini);
  return list;
}

TEST(DeviceTypes, ReadsKeysWithFallbacksAndLearnWords) {
  CMemINI ini;
  ini.LoadBuffer(
      "[supported_learners]\nlearner_count=4\nlearner0=Main\nlearner1=Short\nlearner2=Halvar\nlearner3=Plain\n"
      "[Main]\npartnumber=71-2204-01\nfamilynumber=71-2204\nlearntype=qVx\n"
      "firstPort=1\nlastPort=8\nfirstSIport=5\nlastSIport=6\n"
      "[Short]\npartnum=71-900-02\nfamilynum=71-900\npartnumber=71-900-03\nlearntype=HalvarIP\nfirstport=1\nlastport=2\n"
      "[Halvar]\npartnum=72-100-01\nlearntype=hlvr\nfirstport=1\nlastport=4\n"
      "[Plain]\npartnumber=73-001-01\nlearntype=other\nfirstport=2\nlastport=3\n");
  CQVXDeviceTypeList list;
  ASSERT_EQ(list.Load(ini), 4);

  const CQVXDeviceType* main = list.GetAt(0);
  EXPECT_EQ(main->GetName(), "Main");
  EXPECT_EQ(main->GetFamilyNumber(), "71-2204");
  EXPECT_TRUE(main->IsQVXLearner());
  EXPECT_EQ(main->GetPortCount(), 8);
  EXPECT_TRUE(main->IsSharedPort(5));
  EXPECT_TRUE(main->IsSharedPort(6));
  EXPECT_FALSE(main->IsSharedPort(7));
  EXPECT_TRUE(main->NeedsPortOffset());

  EXPECT_EQ(list.GetAt(1)->GetPartNumber(), "71-900-03");  // "partnumber" wins over "partnum"
  EXPECT_EQ(list.GetAt(1)->GetFamilyNumber(), "71-900");
  EXPECT_TRUE(list.GetAt(1)->IsHalvarLearner());
  EXPECT_EQ(list.GetAt(2)->GetPartNumber(), "72-100-01");
  EXPECT_TRUE(list.GetAt(2)->IsHalvarLearner());
  EXPECT_FALSE(list.GetAt(2)->NeedsPortOffset());

  // Known but not a learner: kept for its ports.
  const CQVXDeviceType* plain = list.GetAt(3);
  EXPECT_EQ(plain->GetLearnKind(), CQVXDeviceType::kNotLearner);
  EXPECT_TRUE(plain->HasPorts());
  EXPECT_EQ(plain->GetPortCount(), 2);
  EXPECT_TRUE(list.IsKnown("73-001-01"));
  EXPECT_FALSE(list.IsLearner("73-001-01"));
  EXPECT_TRUE(list.IsLearner("72-100-01"));

  for (const char* word : {"hlvr", "HLVRIP", "halvar", "HalvarIp"})
    EXPECT_EQ(CQVXDeviceType::LearnKindFromText(word), CQVXDeviceType::kHalvarLearner) << word;
  EXPECT_EQ(CQVXDeviceType::LearnKindFromText(""), CQVXDeviceType::kNotLearner);
  EXPECT_EQ(CQVXDeviceType::LearnKindFromText("qvx2"), CQVXDeviceType::kNotLearner);
}

TEST(DeviceTypes, InvalidRangesAreDroppedOrCleared) {
  auto list = Load(
      "[supported_learners]\nlearner_count=6\nlearner0=Backwards\nlearner1=NoPorts\nlearner2=SharedOpen\n"
      "learner3=SharedWide\nlearner4=Missing\nlearner5=Offset2\n"
      "[Backwards]\npartnumber=10-000-01\nlearntype=QVX\nfirstport=4\nlastport=3\n"
      "[NoPorts]\npartnumber=10-000-02\nlearntype=QVX\n"
      "[SharedOpen]\npartnumber=10-000-03\nfirstport=1\nlastport=4\nfirstsiport=4\n"
      "[SharedWide]\npartnumber=10-000-04\nfirstport=1\nlastport=2\nfirstsiport=2\nlastsiport=9\n"
      "[Offset2]\npartnumber=71-2204-02\nlearntype=hlvr\nfirstport=1\nlastport=2\n");
  // A learner without a valid playback range is reset and dropped.
  EXPECT_FALSE(list.IsKnown("10-000-01"));
  EXPECT_FALSE(list.IsKnown("10-000-02"));
  ASSERT_EQ(list.GetCount(), 3);
  const CQVXDeviceType* open = list.Find("10-000-03");
  ASSERT_TRUE(open);
  EXPECT_EQ(open->GetFirstSharedPort(), 0);
  EXPECT_EQ(open->GetLastSharedPort(), 0);
  EXPECT_FALSE(open->IsSharedPort(4));
  // The shared range is not checked against the playback range.
  const CQVXDeviceType* wide = list.Find("10-000-04");
  ASSERT_TRUE(wide);
  EXPECT_TRUE(wide->IsSharedPort(9));
  // The port offset is for QVX learners only.
  EXPECT_FALSE(list.Find("71-2204-02")->NeedsPortOffset());

  CQVXDeviceType reset;
  CMemINI ini;
  ini.LoadBuffer("[T]\npartnumber=1\nlearntype=qvx\nfirstport=0\nlastport=2\nfirstsiport=1\nlastsiport=1\n");
  reset.ReadFromSection(*ini.FindSection("T"));
  EXPECT_EQ(reset.GetPartNumber(), "");
  EXPECT_EQ(reset.GetLearnKind(), CQVXDeviceType::kNotLearner);
  EXPECT_EQ(reset.GetLastPort(), 0);
  EXPECT_EQ(reset.GetLastSharedPort(), 0);
}

TEST(DeviceTypes, MissingTableEntriesAreSkipped) {
  EXPECT_EQ(Load("[other]\nx=1\n").GetCount(), 0);
  EXPECT_EQ(Load("[supported_learners]\nlearner_count=0\nlearner0=A\n[A]\npartnumber=1\nfirstport=1\nlastport=1\n")
                .GetCount(),
            0);
  auto list = Load(
      "[supported_learners]\nlearner_count=9\nlearner1=A\nlearner2=Nowhere\nlearner4=B\n"
      "[A]\npartnumber=1-1\nfirstport=1\nlastport=1\n[B]\npartnumber=2-2\nfirstport=1\nlastport=1\n");
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetAt(0)->GetName(), "A");
  EXPECT_EQ(list.GetAt(1)->GetName(), "B");

  // Reloading replaces the old contents.
  CMemINI empty;
  list.Load(empty);
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(DeviceTypes, FindPrefersExactPartNumberOverFamily) {
  const std::string family = "[Family]\npartnumber=71-900-00\nfamilynumber=71-900\nlearntype=qvx\nfirstport=1\nlastport=2\n";
  const std::string exact = "[Exact]\npartnumber=71-900-01\nlearntype=hlvr\nfirstport=1\nlastport=4\n";
  const std::string header = "[supported_learners]\nlearner_count=2\nlearner0=Family\nlearner1=Exact\n";
  auto familyFirst = Load(header + family + exact);
  ASSERT_TRUE(familyFirst.Find("71-900-01"));
  EXPECT_EQ(familyFirst.Find("71-900-01")->GetName(), "Exact");
  EXPECT_EQ(familyFirst.Find("71-900-77")->GetName(), "Family");
  EXPECT_EQ(familyFirst.Find("71-900-77X")->GetName(), "Family");
  EXPECT_EQ(familyFirst.Find("71-9"), nullptr);  // shorter than the family number
  auto exactFirst = Load("[supported_learners]\nlearner_count=2\nlearner0=Exact\nlearner1=Family\n" + family + exact);
  EXPECT_EQ(exactFirst.Find("71-900-01")->GetName(), "Exact");
}

TEST(DeviceTypes, FindIgnoresCaseAndNeedsText) {
  auto list = Load(
      "[supported_learners]\nlearner_count=2\nlearner0=Family\nlearner1=Exact\n"
      "[Exact]\npartnumber=71-ABC-01\nlearntype=qvx\nfirstport=1\nlastport=2\n"
      "[Family]\npartnumber=80-000-00\nfamilynumber=71-abc\nlearntype=hlvr\nfirstport=1\nlastport=2\n");
  ASSERT_TRUE(list.Find("71-abc-01"));
  EXPECT_EQ(list.Find("71-abc-01")->GetName(), "Exact");
  EXPECT_EQ(list.Find("71-ABC-02")->GetName(), "Family");
  EXPECT_EQ(list.Find(""), nullptr);
  EXPECT_EQ(list.Find("99-999-99"), nullptr);
}

}  // namespace
}  // namespace quillon
