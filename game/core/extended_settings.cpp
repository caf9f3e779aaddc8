#include "game/core/extended_settings.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/kernel/cp932.h"
#include "platform/kernel/profile.h"

namespace {

constexpr std::string_view kUtf8Prefix = "utf-8:";
// Large enough for any key list or value the game writes; a longer value
// (a hand-edited file) is cut there, as the profile functions do.
constexpr DWORD kReadBufferBytes = 64 * 1024;

bool IsPlainByte(unsigned char c) { return c >= 0x20 && c < 0x7F && c != '%'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Every key of the section, as stored (CP932), in file order.
std::vector<std::string> SectionKeys(const std::string& fileName) {
  std::vector<char> buffer(kReadBufferBytes);
  const DWORD n = GetPrivateProfileStringA(TExtendedSettings::Section().c_str(), nullptr, "", buffer.data(),
                                           static_cast<DWORD>(buffer.size()), fileName.c_str());
  std::vector<std::string> keys;
  for (DWORD i = 0; i < n;) {
    std::string key(buffer.data() + i);
    if (key.empty()) break;
    i += static_cast<DWORD>(key.size()) + 1;
    keys.push_back(std::move(key));
  }
  return keys;
}

}  // namespace

const std::string& TExtendedSettings::Section() {
  static const std::string section = Utf8ToCp932("拡張設定");
  return section;
}

TExtendedSettings::TExtendedSettings(std::string iniFileName) : m_fileName(std::move(iniFileName)) {
  std::vector<char> buffer(kReadBufferBytes);
  for (const std::string& key : SectionKeys(m_fileName)) {
    GetPrivateProfileStringA(Section().c_str(), key.c_str(), "", buffer.data(), static_cast<DWORD>(buffer.size()),
                             m_fileName.c_str());
    m_values[Cp932ToUtf8(key)] = DecodeValue(buffer.data());
  }
}

std::string TExtendedSettings::EncodeValue(std::string_view utf8) {
  const std::string cp932 = Utf8ToCp932(utf8);
  const bool lossless = Cp932ToUtf8(cp932) == utf8;
  if (lossless && utf8.substr(0, kUtf8Prefix.size()) != kUtf8Prefix) return cp932;
  std::string out(kUtf8Prefix);
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsPlainByte(c)) {
      out += ch;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      out += escaped;
    }
  }
  return out;
}

std::string TExtendedSettings::DecodeValue(std::string_view stored) {
  if (stored.substr(0, kUtf8Prefix.size()) != kUtf8Prefix) return Cp932ToUtf8(stored);
  std::string out;
  for (std::size_t i = kUtf8Prefix.size(); i < stored.size(); ++i) {
    if (stored[i] == '%' && i + 2 < stored.size() && HexDigit(stored[i + 1]) >= 0 && HexDigit(stored[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(stored[i + 1]) * 16 + HexDigit(stored[i + 2]));
      i += 2;
    } else {
      out += stored[i];
    }
  }
  return out;
}

std::string TExtendedSettings::String(std::string_view key, std::string_view def) const {
  const auto it = m_values.find(key);
  return it != m_values.end() ? it->second : std::string(def);
}

int TExtendedSettings::Integer(std::string_view key, int def, int min, int max) const {
  const auto it = m_values.find(key);
  if (it == m_values.end()) return def;
  const std::string& text = it->second;
  int value = 0;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [ptr, ec] = std::from_chars(begin, end, value);
  if (ec != std::errc() || ptr != end || begin == end || value < min || value > max) return def;
  return value;
}

bool TExtendedSettings::Bool(std::string_view key, bool def) const {
  const auto it = m_values.find(key);
  if (it == m_values.end()) return def;
  if (it->second == "1") return true;
  if (it->second == "0") return false;
  return def;
}

bool TExtendedSettings::Has(std::string_view key) const { return m_values.find(key) != m_values.end(); }

bool TExtendedSettings::SetString(std::string_view key, std::string_view value) {
  auto it = m_values.find(key);
  if (it != m_values.end() && it->second == value) return true;
  if (it == m_values.end()) it = m_values.emplace(std::string(key), std::string()).first;
  it->second = std::string(value);
  BeforeWriting();
  return WritePrivateProfileStringA(Section().c_str(), Utf8ToCp932(key).c_str(), EncodeValue(value).c_str(),
                                    m_fileName.c_str()) != FALSE;
}

bool TExtendedSettings::SetInteger(std::string_view key, int value) { return SetString(key, std::to_string(value)); }

bool TExtendedSettings::SetBool(std::string_view key, bool value) { return SetString(key, value ? "1" : "0"); }

void TExtendedSettings::BeforeWriting() {
  if (!m_beforeNewFile) return;
  std::error_code error;
  if (!std::filesystem::exists(m_fileName, error) && !error) m_beforeNewFile();
}

bool TExtendedSettings::WriteAll() {
  bool ok = true;
  BeforeWriting();
  for (const auto& [key, value] : m_values) {
    if (!WritePrivateProfileStringA(Section().c_str(), Utf8ToCp932(key).c_str(), EncodeValue(value).c_str(),
                                    m_fileName.c_str()))
      ok = false;
  }
  return ok;
}
