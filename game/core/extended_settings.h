// The section "拡張設定" of the settings file: every setting that the game
// gained beyond its original options (volumes, devices, window size,
// offset, language...). One object, made by the main window at start-up,
// reads the section once; every feature asks it for its keys. A value is
// written to the file when it changes and the whole section again at close.
// Main thread only. The section "システムデータ" is never touched here.
//
// On disk, keys and values are CP932 like the rest of the file. A value that
// CP932 cannot hold (a path with characters outside JIS X 0208, say) is
// stored as "utf-8:" followed by its UTF-8 bytes with every byte outside
// printable ASCII, and '%', written as %XX; reading undoes it, so such a
// value round-trips through a file that stays valid CP932.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "game/core/setting_declarations.h"

class TExtendedSettings {
 public:
  // Reads the section from iniFileName (missing file or section: empty).
  explicit TExtendedSettings(std::string iniFileName);
  TExtendedSettings(const TExtendedSettings&) = delete;
  TExtendedSettings& operator=(const TExtendedSettings&) = delete;

  // The section name as stored (CP932).
  static const std::string& Section();

  // Keys and values below are UTF-8; a key missing from the section, or one
  // whose value cannot be used, gives the default.
  std::string String(std::string_view key, std::string_view def = {}) const;
  // A decimal integer within [min, max]; anything else gives def.
  int Integer(std::string_view key, int def, int min, int max) const;
  // "1" or "0"; anything else gives def.
  bool Bool(std::string_view key, bool def) const;
  bool Has(std::string_view key) const;
  // The same for a declared setting: its key, default and range.
  std::string String(const TStringSetting& setting) const { return String(setting.Key, setting.Default); }
  int Integer(const TIntegerSetting& setting) const {
    return Integer(setting.Key, setting.Default, setting.Min, setting.Max);
  }
  bool Bool(const TBoolSetting& setting) const { return Bool(setting.Key, setting.Default); }

  // Stores the value and writes it to the file when it differs from the one
  // held. Returns false when the file could not be written (the value is
  // still held and written again at close).
  bool SetString(std::string_view key, std::string_view value);
  bool SetInteger(std::string_view key, int value);
  bool SetBool(std::string_view key, bool value);

  // Writes every value held (at close). False when the file could not be
  // written.
  bool WriteAll();

  const std::string& FileName() const { return m_fileName; }
  // Called once before this section would start a file that does not exist
  // yet, so that the file's owner can write its own section first.
  void SetBeforeNewFile(std::function<void()> beforeNewFile) { m_beforeNewFile = std::move(beforeNewFile); }

  // The on-disk form of a value and back (exposed for tests).
  static std::string EncodeValue(std::string_view utf8);
  static std::string DecodeValue(std::string_view stored);

 private:
  void BeforeWriting();

  std::string m_fileName;
  std::map<std::string, std::string, std::less<>> m_values;  // UTF-8 key -> UTF-8 value
  std::function<void()> m_beforeNewFile;
};
