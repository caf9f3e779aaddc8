#include "midi/event_lists.h"

#include <algorithm>
#include <cstdint>

#include "midi/midi_errors.h"

namespace {
// A sort key holds the tick in its upper and the list position in its lower 32 bits.
constexpr int kPositionBits = 32;
constexpr uint64_t kPositionMask = 0xFFFFFFFFu;
constexpr long long kMaxSortableItems = 0x7FFFFFFF;  // positions are int32 Index values
}  // namespace

TMidiEventItemStanderd* TMidiEventExclusiveItems::operator[](int Index) const {
  if (Index < 0 || Index >= Count()) throw EListIndexError(Index, Count());
  return m_items[static_cast<size_t>(Index)];
}

int TMidiEventExclusiveItems::Add(TMidiEventItemStanderd* Item) {
  m_items.push_back(Item);
  return Count() - 1;
}

void TMidiEventExclusiveItems::SortByTime() {
  const size_t n = m_items.size();
  if (n > kMaxSortableItems) throw EListIndexError(static_cast<long long>(n), kMaxSortableItems);

  // Sorting 64-bit keys (Tick above, position below) in one contiguous array
  // keeps the item objects out of the comparisons; the order is the same as
  // comparing Tick, then Index. Ticks are never negative, so the keys of
  // smaller ticks are smaller.
  std::vector<uint64_t> keys(n);
  for (size_t i = 0; i < n; ++i) {
    TMidiEventItemStanderd* item = m_items[i];
    item->Index = static_cast<int32_t>(i);
    keys[i] = (static_cast<uint64_t>(static_cast<uint32_t>(item->Tick)) << kPositionBits) | i;
  }

  // The reader appends whole tracks, each already in tick order, and the beat
  // items come as one more ordered run: merging the ascending runs pairwise
  // costs n log(runs) instead of n log(n).
  std::vector<size_t> bounds{0};
  for (size_t i = 1; i < n; ++i) {
    if (keys[i] < keys[i - 1]) bounds.push_back(i);
  }
  bounds.push_back(n);
  if (bounds.size() <= 2) return;  // already in order
  while (bounds.size() > 2) {
    std::vector<size_t> merged{0};
    size_t j = 0;
    for (; j + 2 < bounds.size(); j += 2) {
      std::inplace_merge(keys.begin() + static_cast<std::ptrdiff_t>(bounds[j]),
                         keys.begin() + static_cast<std::ptrdiff_t>(bounds[j + 1]),
                         keys.begin() + static_cast<std::ptrdiff_t>(bounds[j + 2]));
      merged.push_back(bounds[j + 2]);
    }
    if (j + 1 < bounds.size()) merged.push_back(bounds.back());
    bounds.swap(merged);
  }

  // Gather the items in key order into the key array itself (a key and a
  // pointer are both 64 bits wide), then copy them back: no second array.
  static_assert(sizeof(uintptr_t) <= sizeof(uint64_t));
  for (uint64_t& key : keys) key = reinterpret_cast<uintptr_t>(m_items[key & kPositionMask]);
  for (size_t i = 0; i < n; ++i) {
    m_items[i] = reinterpret_cast<TMidiEventItemStanderd*>(static_cast<uintptr_t>(keys[i]));
  }
}

TMidiEventItems::~TMidiEventItems() { TMidiEventItems::Clear(); }

void TMidiEventItems::Clear() {
  for (TMidiEventItemStanderd* item : m_items) delete item;
  m_items.clear();
}

TMidiEventItemTrack* TMidiEventItemTracks::Track(int Index) const {
  return static_cast<TMidiEventItemTrack*>((*this)[Index]);
}

namespace {

// Position of the first item whose Tick is at least T, scanning from Start;
// Count when there is none.
int FirstReaching(const TMidiEventExclusiveItems& List, int Start, int32_t T) {
  const int count = List.Count();
  int k = Start;
  while (k < count && List.Item(k)->Tick < T) ++k;
  return k;
}

TMidiEventItemStanderd* InEffect(const TMidiEventExclusiveItems& List, int First) {
  if (List.Count() == 0) return nullptr;
  if (First == 0) return List.Item(0);
  return List.Item(First - 1);  // First == Count gives the last item
}

}  // namespace

TMidiEventItemStanderd* ItemAt(const TMidiEventExclusiveItems& List, int32_t T) {
  return InEffect(List, FirstReaching(List, 0, T));
}

TMidiEventItemStanderd* ItemBefore(const TMidiEventExclusiveItems& List, int32_t T) {
  const int first = FirstReaching(List, 0, T);
  if (List.Count() == 0 || first == 0) return nullptr;
  return List.Item(first - 1);
}

TMidiEventItemStanderd* TItemAtCursor::At(int32_t T) {
  m_first = FirstReaching(m_list, m_first, T);
  return InEffect(m_list, m_first);
}
