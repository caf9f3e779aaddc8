// Ordered lists of event items: reference lists (side lists, a track's
// channel events), the owning song list and the track records, the time sort
// and the "item in effect at tick T" lookups. Built on the main thread while a
// file loads; read-only while a song plays.
#pragma once

#include <cstdint>
#include <vector>

#include "midi/event_item.h"

class TMidiEventItemTrackName;
class TMidiSong;

// A list of references: Clear forgets the entries and frees nothing.
class TMidiEventExclusiveItems {
 public:
  TMidiEventExclusiveItems() = default;
  TMidiEventExclusiveItems(const TMidiEventExclusiveItems&) = delete;
  TMidiEventExclusiveItems& operator=(const TMidiEventExclusiveItems&) = delete;
  virtual ~TMidiEventExclusiveItems() = default;

  int Count() const { return static_cast<int>(m_items.size()); }
  // The item at Index; EListIndexError outside 0 .. Count - 1.
  TMidiEventItemStanderd* operator[](int Index) const;
  TMidiEventItemStanderd* Item(int Index) const { return (*this)[Index]; }
  // The last item; EListIndexError when the list is empty.
  TMidiEventItemStanderd* Last() const { return (*this)[Count() - 1]; }
  // Appends Item and returns its position.
  int Add(TMidiEventItemStanderd* Item);
  virtual void Clear() { m_items.clear(); }
  void Reserve(size_t Count) { m_items.reserve(Count); }

  // Sets every item's Index to its position, then orders the list by Tick
  // and, at equal Tick, by Index: a stable sort by Tick of the list as it was.
  void SortByTime();

  std::vector<TMidiEventItemStanderd*>::const_iterator begin() const { return m_items.begin(); }
  std::vector<TMidiEventItemStanderd*>::const_iterator end() const { return m_items.end(); }

 protected:
  std::vector<TMidiEventItemStanderd*> m_items;
};

// The song list: owns its items (Clear and destruction free them) and knows
// the sequencer that performs them.
class TMidiEventItems : public TMidiEventExclusiveItems {
 public:
  TMidiEventItems() = default;
  ~TMidiEventItems() override;
  void Clear() override;

  TMidiSong* Player = nullptr;
};

// One record per track chunk read, in file order. Its inherited item fields
// are unused; it owns its ChannelEvents list object, not the items in it.
class TMidiEventItemTrack : public TMidiEventItemStanderd {
 public:
  const char* ClassName() const override { return "TMidiEventItemTrack"; }

  TMidiEventItemTrackName* NameItem = nullptr;  // the last name event of the track
  TMidiEventExclusiveItems ChannelEvents;       // the track's short items in file order
  int32_t Port = 0;                             // output port of the track
};

// The track list; owns the track records.
class TMidiEventItemTracks : public TMidiEventItems {
 public:
  // The record at Index; EListIndexError outside the list.
  TMidiEventItemTrack* Track(int Index) const;
};

// The item in effect at tick T: the item before the first one whose Tick is
// at least T (an item at exactly T is not yet in effect); the first item when
// that is the very first; the last item when none reaches T; null when empty.
TMidiEventItemStanderd* ItemAt(const TMidiEventExclusiveItems& List, int32_t T);
// As ItemAt, but null when the first item already reaches T.
TMidiEventItemStanderd* ItemBefore(const TMidiEventExclusiveItems& List, int32_t T);

// ItemAt for a rising sequence of ticks in O(list + calls): the position of
// the first item with Tick >= T only grows as T grows, even in a list that is
// not sorted by tick, so the scan resumes where the previous call stopped.
class TItemAtCursor {
 public:
  explicit TItemAtCursor(const TMidiEventExclusiveItems& List) : m_list(List) {}
  // Same result as ItemAt(List, T); T must not fall between calls.
  TMidiEventItemStanderd* At(int32_t T);

 private:
  const TMidiEventExclusiveItems& m_list;
  int m_first = 0;  // no item before this position has Tick >= the last T
};
