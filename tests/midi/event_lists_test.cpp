// Item lists: ownership, positions, the time sort and the lookups of the item
// in effect at a tick.
#include <gtest/gtest.h>

#include <random>

#include "midi/event_lists.h"
#include "midi/midi_errors.h"

namespace {

// Counts destructions so that ownership can be checked.
class TCountedItem : public TMidiEventItemStanderd {
 public:
  explicit TCountedItem(int* Destroyed, int32_t Tick_ = 0) : m_destroyed(Destroyed) { Tick = Tick_; }
  ~TCountedItem() override { ++*m_destroyed; }

 private:
  int* m_destroyed;
};

// A reference list of items at the given ticks; Store owns them.
class TickList {
 public:
  explicit TickList(std::initializer_list<int32_t> Ticks) {
    for (int32_t tick : Ticks) {
      auto* item = new TMidiEventItemStanderd;
      item->Tick = tick;
      Store.Add(item);
      List.Add(item);
    }
  }
  TMidiEventItems Store;
  TMidiEventExclusiveItems List;
};

}  // namespace

TEST(ItemLists, ReferenceListForgetsAndOwningListFrees) {
  int destroyed = 0;
  {
    TMidiEventItems owner;
    TMidiEventExclusiveItems refs;
    for (int i = 0; i < 3; ++i) {
      auto* item = new TCountedItem(&destroyed);
      owner.Add(item);
      refs.Add(item);
    }
    refs.Clear();
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(owner.Count(), 3);
    owner.Clear();
    EXPECT_EQ(destroyed, 3);
    owner.Add(new TCountedItem(&destroyed));
  }
  EXPECT_EQ(destroyed, 4);  // destruction frees too
}

TEST(ItemLists, PositionsOutsideTheListFail) {
  TMidiEventExclusiveItems list;
  EXPECT_THROW(list[0], EListIndexError);
  EXPECT_THROW(list.Last(), EListIndexError);
  TMidiEventItemStanderd item;
  list.Add(&item);
  EXPECT_EQ(list[0], &item);
  EXPECT_THROW(list[1], EListIndexError);
  EXPECT_THROW(list[-1], EListIndexError);
  TMidiEventItemTracks tracks;
  EXPECT_THROW(tracks.Track(0), EListIndexError);
}

TEST(SortByTime, EqualTicksKeepListOrderAndIndexBecomesThePosition) {
  TMidiEventItems list;
  const int32_t ticks[] = {480, 0, 480, 0, 960, 0};
  std::vector<TMidiEventItemStanderd*> made;
  for (int32_t tick : ticks) {
    auto* item = new TMidiEventItemStanderd;
    item->Tick = tick;
    item->Index = 99;
    list.Add(item);
    made.push_back(item);
  }
  list.SortByTime();
  const std::vector<TMidiEventItemStanderd*> expected{made[1], made[3], made[5],
                                                      made[0], made[2], made[4]};
  EXPECT_EQ(std::vector<TMidiEventItemStanderd*>(list.begin(), list.end()), expected);
  // Index holds the position before sorting.
  EXPECT_EQ(list[0]->Index, 1);
  EXPECT_EQ(list[3]->Index, 0);
}

TEST(SortByTime, MatchesAStableSortOnManyRuns) {
  std::mt19937 random(12345);
  for (int round = 0; round < 20; ++round) {
    TMidiEventItems list;
    std::vector<TMidiEventItemStanderd*> reference;
    const int count = 1 + static_cast<int>(random() % 500);
    for (int i = 0; i < count; ++i) {
      auto* item = new TMidiEventItemStanderd;
      item->Tick = static_cast<int32_t>(random() % 50);
      list.Add(item);
      reference.push_back(item);
    }
    std::stable_sort(reference.begin(), reference.end(),
                     [](auto* a, auto* b) { return a->Tick < b->Tick; });
    list.SortByTime();
    EXPECT_EQ(std::vector<TMidiEventItemStanderd*>(list.begin(), list.end()), reference);
  }
}

TEST(SortByTime, EmptyAndSingleLists) {
  TMidiEventItems list;
  list.SortByTime();
  EXPECT_EQ(list.Count(), 0);
  list.Add(new TMidiEventItemStanderd);
  list.SortByTime();
  EXPECT_EQ(list.Count(), 1);
}

TEST(ItemAt, EmptyListGivesNone) {
  TMidiEventExclusiveItems list;
  EXPECT_EQ(ItemAt(list, 0), nullptr);
  EXPECT_EQ(ItemBefore(list, 0), nullptr);
}

TEST(ItemAt, TheOnlyItemAppliesAlsoBeforeItsTick) {
  TickList tempos{480};
  EXPECT_EQ(ItemAt(tempos.List, 0), tempos.List[0]);
  EXPECT_EQ(ItemAt(tempos.List, 480), tempos.List[0]);
  EXPECT_EQ(ItemAt(tempos.List, 100000), tempos.List[0]);
}

TEST(ItemAt, AnItemIsInEffectOnlyAfterItsOwnTick) {
  TickList tempos{0, 960, 1920};
  EXPECT_EQ(ItemAt(tempos.List, 960), tempos.List[0]);
  EXPECT_EQ(ItemAt(tempos.List, 961), tempos.List[1]);
  EXPECT_EQ(ItemAt(tempos.List, 1920), tempos.List[1]);
  EXPECT_EQ(ItemAt(tempos.List, 1921), tempos.List[2]);
  EXPECT_EQ(ItemAt(tempos.List, 50000), tempos.List[2]);
}

TEST(ItemBefore, GivesNoneUntilTheFirstItemIsPassed) {
  TickList lyrics{960, 1440};
  EXPECT_EQ(ItemBefore(lyrics.List, 0), nullptr);
  EXPECT_EQ(ItemBefore(lyrics.List, 960), nullptr);
  EXPECT_EQ(ItemBefore(lyrics.List, 961), lyrics.List[0]);
  EXPECT_EQ(ItemBefore(lyrics.List, 5000), lyrics.List[1]);
}

TEST(ItemAtCursor, AgreesWithItemAtForRisingTicksEvenOnUnsortedLists) {
  // Side lists hold tracks one after another, so they need not be in tick order.
  TickList signatures{0, 1920, 960, 3840, 480, 4000};
  TItemAtCursor cursor(signatures.List);
  for (int32_t t = 0; t < 5000; t += 37) {
    EXPECT_EQ(cursor.At(t), ItemAt(signatures.List, t)) << t;
  }
}
