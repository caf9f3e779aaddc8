// The device wrapper's debug options (a set of three, stored as one byte) and
// how a set drives the log switches. Main thread only.
#pragma once

#include <cstdint>
#include <initializer_list>

enum TVXDebugOptionKind : uint8_t {
  vxoHaltOnError = 0,   // bit 0
  vxoDebugMessage = 1,  // bit 1
  vxoDetailedLog = 2,   // bit 2
};

class TVXDebugOption {
 public:
  constexpr TVXDebugOption() = default;
  constexpr TVXDebugOption(std::initializer_list<TVXDebugOptionKind> kinds) {
    for (TVXDebugOptionKind k : kinds) m_bits = static_cast<uint8_t>(m_bits | (1u << k));
  }
  static constexpr TVXDebugOption FromBits(uint8_t bits) {
    TVXDebugOption o;
    o.m_bits = static_cast<uint8_t>(bits & kAllBits);
    return o;
  }
  constexpr bool Contains(TVXDebugOptionKind k) const { return (m_bits >> k) & 1u; }
  constexpr uint8_t Bits() const { return m_bits; }
  constexpr bool operator==(const TVXDebugOption&) const = default;

 private:
  static constexpr uint8_t kAllBits = 7;
  uint8_t m_bits = 0;
};

inline constexpr TVXDebugOption kAllDebugOptions{vxoHaltOnError, vxoDebugMessage, vxoDetailedLog};

// Overwrites the three process-wide log switches from the set.
void ApplyDebugOption(TVXDebugOption option);
