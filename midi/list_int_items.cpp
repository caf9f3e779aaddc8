#include "midi/list_int_items.h"

#include "midi/midi_errors.h"

int TListIntItems::Add(int32_t Value) {
  m_values.push_back(Value);
  return Count() - 1;
}

void TListIntItems::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListIndexError(Index, Count());
}

int32_t TListIntItems::Values(int Index) const {
  CheckIndex(Index);
  return m_values[static_cast<size_t>(Index)];
}

void TListIntItems::SetValue(int Index, int32_t Value) {
  CheckIndex(Index);
  m_values[static_cast<size_t>(Index)] = Value;
}

void TListIntItems::Delete(int Index) {
  CheckIndex(Index);
  m_values.erase(m_values.begin() + Index);
}
