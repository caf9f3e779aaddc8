// TListIntItems: an owned, ordered list of 32-bit integers (raw message bytes,
// display dots, device handles). Not synchronised: one thread at a time.
// Kept as one contiguous vector; TListIntItem is the value a position holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One entry of a TListIntItems.
struct TListIntItem {
  int32_t Value = 0;
};

class TListIntItems {
 public:
  // Appends Value and returns its position.
  int Add(int32_t Value);
  // The value at position Index; EListIndexError outside 0 .. Count - 1.
  int32_t Values(int Index) const;
  // Replaces the value at position Index; EListIndexError outside the list.
  void SetValue(int Index, int32_t Value);
  // The entry at position Index, as a holder.
  TListIntItem Item(int Index) const { return TListIntItem{Values(Index)}; }
  // Removes the entry at Index; the later entries move down by one.
  void Delete(int Index);
  void Clear() { m_values.clear(); }
  int Count() const { return static_cast<int>(m_values.size()); }
  void Reserve(int Count) { m_values.reserve(static_cast<size_t>(Count)); }

  // Unchecked access for loops that stay inside 0 .. Count - 1.
  const std::vector<int32_t>& Data() const { return m_values; }
  bool operator==(const TListIntItems& Other) const = default;

 private:
  void CheckIndex(int Index) const;
  std::vector<int32_t> m_values;
};
