// The unit VHArc: reads single entries out of a "Vornhalt Archive" (VHA0)
// resource archive, stored as is or byte-pair encoded, and hands them back
// expanded as memory streams. Any thread (no shared state); the caller owns
// every returned stream. Malformed archives are refused with EVHAError,
// never by reading past the input or overrunning the expansion stack.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "gfx/stream.h"

inline constexpr int kVHAHeaderSize = 256;
inline constexpr int kVHADirectoryEntrySize = 268;
inline constexpr int kVHAIdFieldSize = 256;
inline constexpr int32_t kVHAMethodBytePair = 1;
// Entries larger than this are refused (no resource of the game comes near),
// whether announced or expanded.
inline constexpr int64_t kVHAMaxEntryBytes = 256 * 1024 * 1024;
// A byte-pair entry expanding to fewer bytes than its expanded size keeps at
// most this many zero bytes after its expansion: what an entry allocates is
// bounded by what its packed data expands to, not by the size it announces.
inline constexpr int64_t kVHAMaxZeroTailBytes = 64 * 1024;

class EVHAError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The entry ID (compared without regard to letter case) of the archive file,
// expanded. File-open failures raise EFOpenError unchanged.
std::unique_ptr<TMemoryStream> LoadFromVHAFile(const std::string& FileName, const std::string& ID);
// The same on an open stream positioned at the archive's start.
std::unique_ptr<TMemoryStream> LoadFromVHAStream(TStream& Stream, const std::string& ID);
// True when the 256-byte header carries the signature "VHA0" at bytes 4-7.
bool IsVHAHeader(const uint8_t* Header);
// Expands byte-pair encoded blocks (Packed at position 0) into a stream at
// position 0 of ExpandedSize bytes, or more when the blocks expand to more;
// a shorter expansion leaves zeros (at most kVHAMaxZeroTailBytes of them).
// The whole expansion is measured before anything is allocated.
std::unique_ptr<TMemoryStream> ExpandBytePairs(TMemoryStream& Packed, uint32_t ExpandedSize);
