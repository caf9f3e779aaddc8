#include "game/core/option_values.h"

#include <cstring>

const TOptionValue* FindOptionValue(std::span<const TOptionValue> values, const char* item) {
  for (const TOptionValue& value : values) {
    if (std::strcmp(value.Item, item) == 0) return &value;
  }
  return nullptr;
}
