#include "smf_walk.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr double kDefaultTempoUs = 500000.0;

class Reader {
 public:
  Reader(const std::vector<std::uint8_t>& bytes, size_t begin, size_t end) : m_bytes(bytes), m_pos(begin), m_end(end) {}
  bool AtEnd() const { return m_pos >= m_end; }
  size_t Position() const { return m_pos; }
  std::uint8_t Byte() {
    if (m_pos >= m_end) throw std::runtime_error("SMF: read past the end at byte " + std::to_string(m_pos));
    return m_bytes[m_pos++];
  }
  std::uint8_t Peek() const {
    if (m_pos >= m_end) throw std::runtime_error("SMF: read past the end at byte " + std::to_string(m_pos));
    return m_bytes[m_pos];
  }
  std::uint32_t BigEndian(int count) {
    std::uint32_t v = 0;
    for (int i = 0; i < count; ++i) v = (v << 8) | Byte();
    return v;
  }
  std::uint32_t VarLen() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t b = Byte();
      v = (v << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return v;
    }
    throw std::runtime_error("SMF: variable-length quantity longer than four bytes");
  }
  std::vector<std::uint8_t> Bytes(std::uint32_t count) {
    if (count > m_end - m_pos) throw std::runtime_error("SMF: a length runs past its chunk");
    std::vector<std::uint8_t> out(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos),
                                  m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos + count));
    m_pos += count;
    return out;
  }

 private:
  const std::vector<std::uint8_t>& m_bytes;
  size_t m_pos;
  size_t m_end;
};

int DataBytesOf(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0;
  return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

}  // namespace

WalkedSmf WalkSmf(const std::vector<std::uint8_t>& bytes) {
  WalkedSmf smf;
  Reader file(bytes, 0, bytes.size());
  if (file.BigEndian(4) != 0x4D546864) throw std::runtime_error("SMF: no MThd chunk");
  const std::uint32_t headerLength = file.BigEndian(4);
  if (headerLength < 6) throw std::runtime_error("SMF: header shorter than 6 bytes");
  smf.format = static_cast<int>(file.BigEndian(2));
  smf.trackCount = static_cast<int>(file.BigEndian(2));
  smf.division = static_cast<int>(file.BigEndian(2));
  file.Bytes(headerLength - 6);
  if (smf.division <= 0 || smf.division >= 0x8000) throw std::runtime_error("SMF: not a ticks-per-quarter division");

  for (int track = 0; track < smf.trackCount; ++track) {
    if (file.BigEndian(4) != 0x4D54726B) throw std::runtime_error("SMF: track " + std::to_string(track) + " is no MTrk");
    const std::uint32_t length = file.BigEndian(4);
    const size_t begin = file.Position();
    if (length > bytes.size() - begin) throw std::runtime_error("SMF: track chunk longer than the file");
    file.Bytes(length);
    Reader in(bytes, begin, begin + length);
    std::uint32_t tick = 0;
    std::uint8_t running = 0;
    bool ended = false;
    while (!in.AtEnd() && !ended) {
      tick += in.VarLen();
      WalkedEvent e;
      e.tick = tick;
      e.track = track;
      std::uint8_t status = in.Peek();
      if (status & 0x80) {
        in.Byte();
      } else if (running != 0) {
        status = running;
      } else {
        throw std::runtime_error("SMF: data byte without a running status");
      }
      e.status = status;
      if (status == 0xFF) {
        e.metaType = in.Byte();
        e.data = in.Bytes(in.VarLen());
        ended = e.metaType == 0x2F;
      } else if (status == 0xF0 || status == 0xF7) {
        e.data = in.Bytes(in.VarLen());
        running = 0;
      } else if (status >= 0xF0) {
        throw std::runtime_error("SMF: system message in a track");
      } else {
        running = status;
        for (int i = 0; i < DataBytesOf(status); ++i) e.data.push_back(in.Byte());
      }
      smf.events.push_back(std::move(e));
    }
    if (!in.AtEnd()) throw std::runtime_error("SMF: bytes after end-of-track in track " + std::to_string(track));
    smf.trackEnded.push_back(ended);
  }

  std::stable_sort(smf.events.begin(), smf.events.end(),
                   [](const WalkedEvent& a, const WalkedEvent& b) { return a.tick < b.tick; });
  // Milliseconds re-anchored at each tempo change.
  double tempoUs = kDefaultTempoUs;
  double anchorMs = 0.0;
  std::uint32_t anchorTick = 0;
  for (WalkedEvent& e : smf.events) {
    e.ms = anchorMs + (e.tick - anchorTick) * tempoUs / 1000.0 / smf.division;
    if (e.status == 0xFF && e.metaType == 0x51 && e.data.size() == 3) {
      anchorMs = e.ms;
      anchorTick = e.tick;
      tempoUs = (e.data[0] << 16) | (e.data[1] << 8) | e.data[2];
    }
  }
  if (!smf.events.empty()) smf.endMs = smf.events.back().ms;
  return smf;
}
