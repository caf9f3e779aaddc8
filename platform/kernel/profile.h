// Settings files with the Windows private-profile semantics: sections and
// keys matched without regard to ASCII letter case, everything else in the
// file kept as it is, CRLF line ends, bytes stored as given (CP932), every
// write on disk when the call returns, replaced atomically (temporary file in
// the same folder + rename). Any thread; calls on one file are serialised.
#pragma once

#include <string>

#include "platform/wintypes/wintypes.h"

// Copies the value of key in section into buffer (at most size - 1 bytes and
// a terminating zero) and returns the number of bytes copied; the default
// (without its trailing blanks) when the file, section or key is missing.
// Values lose surrounding blanks and one pair of enclosing quotes. A null
// appName lists the section names, a null keyName the keys of the section,
// each name zero-terminated and the list ending in a second zero (size - 2
// when cut short).
DWORD GetPrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR defaultValue, LPSTR returnedString,
                               DWORD size, LPCSTR fileName);

// Sets key in section to value, creating the file and section when missing.
// A null value deletes the key, a null keyName the whole section. Returns
// FALSE when the file cannot be written, or when a name or value would
// break the file's lines (a line break, '=' in a key, ']' in a section).
BOOL WritePrivateProfileStringA(LPCSTR appName, LPCSTR keyName, LPCSTR value, LPCSTR fileName);

// The reading and writing conventions of the class library's INI file object
// over the two functions above. Names and values are CP932 bytes.
class TIniFile {
 public:
  explicit TIniFile(std::string fileName);

  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  // The default when the value is missing or not an integer: decimal with an
  // optional sign, or hexadecimal after "$" or "0x" (as the class library).
  int ReadInteger(const std::string& section, const std::string& key, int def) const;
  // ReadInteger(def ? 1 : 0) != 0.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  // Return false when the file could not be written.
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool WriteInteger(const std::string& section, const std::string& key, int value);
  bool WriteBool(const std::string& section, const std::string& key, bool value);  // "1" / "0"

  const std::string& FileName() const { return m_fileName; }

 private:
  std::string m_fileName;
};
