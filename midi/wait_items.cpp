#include "midi/wait_items.h"

#include "midi/midi_errors.h"

namespace {

// Value of one hexadecimal digit, or -1.
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void TMidiWaitItems::AddWaitItem(const std::string& HexText, uint8_t Kind, int32_t Wait) {
  auto item = std::make_unique<TMidiWaitItem>();
  TMidiWaitItem& added = *item;
  m_items.push_back(std::move(item));
  for (size_t i = 0; i + 1 < HexText.size(); i += 2) {
    const int high = HexDigit(HexText[i]);
    const int low = HexDigit(HexText[i + 1]);
    if (high < 0 || low < 0) return;
    added.Pattern.Add(high * 16 + low);
  }
  added.Wait = Wait;
  added.Kind = Kind;
}

const TMidiWaitItem& TMidiWaitItems::operator[](int Index) const {
  if (Index < 0 || Index >= Count()) throw EListIndexError(Index, Count());
  return *m_items[static_cast<size_t>(Index)];
}
