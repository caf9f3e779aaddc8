// Fuzzes the archive reader: LoadFromVHAStream with a few IDs, and
// ExpandBytePairs on the raw input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gfx/vha_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  for (const char* id : {"a", "Title", ""}) {
    TMemoryStream stream(bytes);
    try {
      LoadFromVHAStream(stream, id);
    } catch (const EVHAError&) {
    } catch (const EStreamError&) {
    }
  }
  TMemoryStream packed(bytes);
  try {
    ExpandBytePairs(packed, size > 0 ? data[0] * 64u : 0u);
  } catch (const EVHAError&) {
  }
  return 0;
}
