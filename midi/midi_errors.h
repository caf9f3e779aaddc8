// The one exception family of the MIDI side: file reading, list positions and
// item assignment all raise an EMidiError, so a caller catches one type.
// Any thread may construct or throw them; they own only their message.
#pragma once

#include <stdexcept>
#include <string>

// Root of every error raised by midi/.
class EMidiError : public std::runtime_error {
 public:
  explicit EMidiError(const std::string& Message) : std::runtime_error(Message) {}
};

// A Standard MIDI File that cannot be read, or a song that cannot be used;
// the message names the file and what is wrong with it.
class EMidiFileError : public EMidiError {
 public:
  explicit EMidiFileError(const std::string& Message) : EMidiError(Message) {}
};

// A list read at a position outside 0 .. Count - 1.
class EListIndexError : public EMidiError {
 public:
  EListIndexError(long long Index, long long Count)
      : EMidiError("list index out of bounds (" + std::to_string(Index) + ", count " +
                   std::to_string(Count) + ")") {}
};

// Assign between two classes that do not know each other.
class EAssignError : public EMidiError {
 public:
  EAssignError(const std::string& SourceClass, const std::string& TargetClass)
      : EMidiError("cannot assign a " + SourceClass + " to a " + TargetClass) {}
};
