#include "song_bytes.h"

#include <fstream>
#include <iterator>

namespace {

void PutBE(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

void PutVarLen(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = value & 0x7F;
    value >>= 7;
  } while (value != 0);
  while (n > 1) out.push_back(static_cast<uint8_t>(groups[--n] | 0x80));
  out.push_back(groups[0]);
}

std::vector<uint8_t> Format0File(const std::vector<uint8_t>& track, int division) {
  std::vector<uint8_t> file{'M', 'T', 'h', 'd'};
  PutBE(file, 6, 4);
  PutBE(file, 0, 2);
  PutBE(file, 1, 2);
  PutBE(file, static_cast<uint32_t>(division), 2);
  file.insert(file.end(), {'M', 'T', 'r', 'k'});
  PutBE(file, static_cast<uint32_t>(track.size()), 4);
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
