// Bytes of the small songs and files the end-to-end tests write: a variable
// length number, a format-0 Standard MIDI File around one track's events,
// and a file's whole content. Test-only; any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

void PutVarLen(std::vector<uint8_t>& out, uint32_t value);
// The header chunk (format 0, one track, division) and the track chunk.
std::vector<uint8_t> Format0File(const std::vector<uint8_t>& track, int division);
std::string ReadBytes(const std::filesystem::path& file);
