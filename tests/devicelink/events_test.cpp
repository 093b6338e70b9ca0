#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "devicelink/CQVXEvent.h"
#include "devicelink/CQVXEventFile.h"
#include "devicelink/CQVXEventList.h"
#include "devicelink/CQVXIrData.h"
#include "devicelink/CQVXIrDataHalvar.h"
#include "devicelink/CQVXIrDataQVX.h"

namespace {

using namespace quillon;

// Counts destructions so ownership can be checked.
struct Tracked {
  explicit Tracked(int* counter) : counter(counter) {}
  ~Tracked() { ++*counter; }
  int* counter;
};

TEST(EventList, KeepsOrderAndRefusesNull) {
  CQVXEventList list;
  EXPECT_FALSE(list.Add(static_cast<CQVXEvent*>(nullptr)));
  EXPECT_FALSE(list.Add(std::unique_ptr<CQVXEvent>()));
  list.AddNew(6, "a.vir", 1, 2, 3, 4);
  list.Add(new CQVXEvent(7));
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.At(0)->GetType(), 6u);
  EXPECT_EQ(list.At(0)->GetText(), "a.vir");
  EXPECT_EQ(list.At(0)->GetParam(1), 1u);
  EXPECT_EQ(list.At(0)->GetP4(), 4u);
  EXPECT_EQ(list.At(0)->GetParam(5), 0u);
  EXPECT_EQ(list.At(1)->GetType(), 7u);
  EXPECT_EQ(list.At(2), nullptr);
  EXPECT_EQ(list.At(-1), nullptr);
}

TEST(EventList, TakeAllMovesEverythingInOrder) {
  CQVXEventList pending, mine;
  mine.AddNew(1);
  pending.AddNew(2);
  pending.AddNew(3);
  mine.TakeAll(pending);
  EXPECT_EQ(pending.GetCount(), 0);
  ASSERT_EQ(mine.GetCount(), 3);
  EXPECT_EQ(mine.At(1)->GetType(), 2u);
  EXPECT_EQ(mine.At(2)->GetType(), 3u);
  mine.TakeAll(mine);
  EXPECT_EQ(mine.GetCount(), 3);
}

TEST(EventFile, OwnsItsObjectUntilTaken) {
  int destroyed = 0;
  {
    CQVXEventList list;
    list.Add(new CQVXEventFile(10, "x", std::make_unique<Tracked>(&destroyed)));
    auto* file = dynamic_cast<CQVXEventFile*>(list.At(0));
    ASSERT_NE(file, nullptr);
    EXPECT_NE(file->GetObject<Tracked>(), nullptr);
    EXPECT_EQ(file->GetObject<int>(), nullptr);
  }
  EXPECT_EQ(destroyed, 1);

  CQVXEventFile file(10, "y", std::make_unique<Tracked>(&destroyed));
  std::unique_ptr<Tracked> taken = file.TakeObject<Tracked>();
  ASSERT_NE(taken, nullptr);
  EXPECT_FALSE(file.HasObject());
  taken.reset();
  EXPECT_EQ(destroyed, 2);
}

TEST(IrData, DescriptionsAndBuffer) {
  CQVXIrDataQVX empty;
  EXPECT_EQ(empty.GetType(), 9u);
  EXPECT_EQ(empty.GetText(), "No IR Data");
  EXPECT_EQ(empty.GetSize(), 0);
  EXPECT_EQ(empty.GetBuffer(), nullptr);

  CQVXIrDataQVX qvx(std::vector<uint8_t>{0, 0, 0, 0});
  EXPECT_EQ(qvx.GetText(), "Learned IR Data");
  EXPECT_EQ(qvx.GetSize(), 4);

  CQVXIrDataHalvar halvar(std::vector<uint8_t>(2052, 0));
  EXPECT_EQ(halvar.GetText(), "Halvar IR Data");
  EXPECT_EQ(halvar.GetSize(), 2052);
  CQVXEvent* base = &halvar;
  EXPECT_NE(dynamic_cast<CQVXIrDataHalvar*>(base), nullptr);
  EXPECT_EQ(dynamic_cast<CQVXIrDataQVX*>(base), nullptr);

  const uint8_t bytes[] = {1, 2, 3};
  halvar.SetBuffer(bytes, 3);
  EXPECT_EQ(halvar.GetSize(), 3);
  EXPECT_EQ(halvar.GetBuffer()[2], 3);
  halvar.SetBuffer(bytes, -1);
  EXPECT_EQ(halvar.GetSize(), 0);
}

}  // namespace
