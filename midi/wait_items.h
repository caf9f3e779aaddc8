// Recognition patterns for system-exclusive messages: a message that starts
// with a pattern's bytes gets the pattern's Kind and Wait (a reset needs time
// before the next message). Filled once by the song's constructor on the main
// thread and read-only afterwards; the list owns its patterns.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midi/list_int_items.h"

class TMidiWaitItem {
 public:
  int32_t Wait = 0;       // milliseconds
  TListIntItems Pattern;  // byte values the message must start with
  uint8_t Kind = 0;
};

class TMidiWaitItems {
 public:
  // Appends a pattern filled from HexText two characters at a time (an odd
  // last character is ignored). A pair that is not hexadecimal stops the
  // filling at once: the pattern keeps the bytes read so far, and Kind and
  // Wait stay 0.
  void AddWaitItem(const std::string& HexText, uint8_t Kind, int32_t Wait);
  int Count() const { return static_cast<int>(m_items.size()); }
  // The pattern at Index; EListIndexError outside the list.
  const TMidiWaitItem& operator[](int Index) const;
  void Clear() { m_items.clear(); }

 private:
  std::vector<std::unique_ptr<TMidiWaitItem>> m_items;
};
