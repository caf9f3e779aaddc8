// Test helper: writes "Vornhalt Archive" files (the system itself has no
// writer): stored or byte-pair encoded entries, several blocks per entry.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bmp_builder.h"

struct TVhaEntry {
  std::string id;
  std::vector<uint8_t> data;
  int blocks = 1;  // byte-pair blocks the data is split into
};

// One byte-pair block: up to `pairs` rounds of replacing the most frequent
// adjacent pair by an unused code, the table written as two runs of 128
// entries.
inline std::vector<uint8_t> EncodeBlock(const std::vector<uint8_t>& data, int pairs = 40) {
  std::vector<int> seq(data.begin(), data.end());
  bool used[256] = {};
  for (uint8_t b : data) used[b] = true;
  int left[256], right[256];
  for (int k = 0; k < 256; ++k) left[k] = k, right[k] = 0;
  for (int round = 0; round < pairs; ++round) {
    int code = -1;
    for (int k = 0; k < 256; ++k) {
      if (!used[k]) {
        code = k;
        break;
      }
    }
    if (code < 0 || seq.size() < 2) break;
    std::map<std::pair<int, int>, int> counts;
    for (size_t i = 0; i + 1 < seq.size(); ++i) ++counts[{seq[i], seq[i + 1]}];
    auto best = counts.begin();
    for (auto it = counts.begin(); it != counts.end(); ++it) {
      if (it->second > best->second) best = it;
    }
    if (best->second < 2) break;
    used[code] = true;
    left[code] = best->first.first;
    right[code] = best->first.second;
    std::vector<int> next;
    for (size_t i = 0; i < seq.size(); ++i) {
      if (i + 1 < seq.size() && seq[i] == left[code] && seq[i + 1] == right[code]) {
        next.push_back(code);
        ++i;
      } else {
        next.push_back(seq[i]);
      }
    }
    seq = next;
  }
  std::vector<uint8_t> out;
  for (int run = 0; run < 2; ++run) {
    out.push_back(127);  // 128 entries
    for (int k = run * 128; k < run * 128 + 128; ++k) {
      out.push_back(static_cast<uint8_t>(left[k]));
      if (left[k] != k) out.push_back(static_cast<uint8_t>(right[k]));
    }
  }
  PutLE(out, static_cast<uint32_t>(seq.size()), 4);
  for (int s : seq) out.push_back(static_cast<uint8_t>(s));
  return out;
}

inline std::vector<uint8_t> EncodeBytePairs(const std::vector<uint8_t>& data, int blocks) {
  std::vector<uint8_t> out;
  const size_t per = blocks > 0 ? (data.size() + blocks - 1) / blocks : data.size();
  for (size_t pos = 0; pos < data.size(); pos += per) {
    const std::vector<uint8_t> part(data.begin() + static_cast<std::ptrdiff_t>(pos),
                                    data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), pos + per)));
    const std::vector<uint8_t> block = EncodeBlock(part);
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

inline std::vector<uint8_t> MakeArchive(int32_t method, const std::vector<TVhaEntry>& entries) {
  std::vector<uint8_t> header(256, 0);
  header[0] = static_cast<uint8_t>(method);
  header[4] = 'V', header[5] = 'H', header[6] = 'A', header[7] = '0';
  const auto count = static_cast<uint32_t>(entries.size());
  for (int i = 0; i < 4; ++i) header[8 + i] = static_cast<uint8_t>(count >> (8 * i));
  std::vector<uint8_t> directory, data;
  const uint32_t dataStart = 256 + 268 * count;
  for (const TVhaEntry& e : entries) {
    const std::vector<uint8_t> stored = method == 1 ? EncodeBytePairs(e.data, e.blocks) : e.data;
    PutLE(directory, dataStart + static_cast<uint32_t>(data.size()), 4);
    PutLE(directory, static_cast<uint32_t>(stored.size()), 4);
    PutLE(directory, static_cast<uint32_t>(e.data.size()), 4);
    std::vector<uint8_t> id(256, 0);
    std::copy(e.id.begin(), e.id.end(), id.begin());
    directory.insert(directory.end(), id.begin(), id.end());
    data.insert(data.end(), stored.begin(), stored.end());
  }
  std::vector<uint8_t> out = header;
  out.insert(out.end(), directory.begin(), directory.end());
  out.insert(out.end(), data.begin(), data.end());
  return out;
}
