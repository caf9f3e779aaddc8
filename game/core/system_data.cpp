#include "game/core/system_data.h"

#include "platform/kernel/cp932.h"
#include "platform/kernel/profile.h"

namespace SystemData {

namespace {
constexpr int32_t kDefaultPlayCount = 0;
}  // namespace

const std::string& SettingsSection() {
  static const std::string section = Utf8ToCp932("システムデータ");
  return section;
}

const std::string& PlayCountKey() {
  static const std::string key = Utf8ToCp932("プレイ回数");
  return key;
}

int32_t ReadPlayCount(const TIniFile& ini) { return ini.ReadInteger(SettingsSection(), PlayCountKey(), kDefaultPlayCount); }

int32_t ReadPlayCount(const std::string& settingsFile) { return ReadPlayCount(TIniFile(settingsFile)); }

bool WritePlayCount(const std::string& settingsFile, int32_t playCount) {
  return TIniFile(settingsFile).WriteInteger(SettingsSection(), PlayCountKey(), playCount);
}

}  // namespace SystemData
