#include "midi/event_lists.h"

#include <algorithm>

#include "midi/midi_errors.h"

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
  for (size_t i = 0; i < n; ++i) m_items[i]->Index = static_cast<int32_t>(i);

  // The reader appends whole tracks, each already in tick order, and the beat
  // items come as one more ordered run; merging the ascending runs pairwise
  // costs n log(runs) instead of n log(n) and walks memory in order.
  std::vector<size_t> bounds{0};
  for (size_t i = 1; i < n; ++i) {
    if (m_items[i]->Tick < m_items[i - 1]->Tick) bounds.push_back(i);
  }
  bounds.push_back(n);

  const auto earlier = [](const TMidiEventItemStanderd* a, const TMidiEventItemStanderd* b) {
    return a->Tick != b->Tick ? a->Tick < b->Tick : a->Index < b->Index;
  };
  while (bounds.size() > 2) {
    std::vector<size_t> merged{0};
    size_t j = 0;
    for (; j + 2 < bounds.size(); j += 2) {
      std::inplace_merge(m_items.begin() + static_cast<std::ptrdiff_t>(bounds[j]),
                         m_items.begin() + static_cast<std::ptrdiff_t>(bounds[j + 1]),
                         m_items.begin() + static_cast<std::ptrdiff_t>(bounds[j + 2]), earlier);
      merged.push_back(bounds[j + 2]);
    }
    if (j + 1 < bounds.size() && merged.back() != bounds.back()) merged.push_back(bounds.back());
    bounds.swap(merged);
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
