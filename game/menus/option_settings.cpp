#include "game/menus/option_settings.h"

#include <QAction>

#include <cstdio>
#include <span>

#include "game/core/option_values.h"

#include "platform/kernel/cp932.h"
#include "platform/kernel/profile.h"

namespace {

const std::string& VoiceKey() {
  static const std::string key = Utf8ToCp932(kVoiceKey);
  return key;
}
const std::string& PlaySpeedKey() {
  static const std::string key = Utf8ToCp932(kPlaySpeedKey);
  return key;
}
const std::string& RainSpeedKey() {
  static const std::string key = Utf8ToCp932(kRainSpeedKey);
  return key;
}
const std::string& BarLengthKey() {
  static const std::string key = Utf8ToCp932(kBarLengthKey);
  return key;
}

std::string ChannelKey(int channel) {
  char digits[4];
  std::snprintf(digits, sizeof digits, "%02d", channel);
  static const std::string prefix = Utf8ToCp932(kChannelKeyPrefix);
  return prefix + digits;
}

void ReadRadioValue(TMainMenu& menu, const TIniFile& ini, const std::string& key, std::span<const TOptionValue> values) {
  const std::string value = ini.ReadString(SettingsSection(), key, kDefaultValueText);
  // Item by item in menu order, as the class library sets radio items: the
  // match is checked (unchecking the others), every other item unchecked.
  for (const TOptionValue& v : values) menu.SetChecked(v.Item, value == v.Stored);
}

void WriteRadioValue(const TMainMenu& menu, TIniFile& ini, const std::string& key, std::span<const TOptionValue> values) {
  for (const TOptionValue& v : values) {
    if (menu.Checked(v.Item)) {
      ini.WriteString(SettingsSection(), key, v.Stored);
      return;
    }
  }
}

}  // namespace

void ReadOptionSettings(TMainMenu& menu, const TIniFile& ini) {
  const std::string& section = SettingsSection();
  menu.SetChecked("VoiceON", ini.ReadBool(section, VoiceKey(), kVoiceDefault));
  ReadRadioValue(menu, ini, PlaySpeedKey(), kPlaySpeedValues);
  ReadRadioValue(menu, ini, RainSpeedKey(), kRainSpeedValues);
  for (const TOptionFlag& f : kEffectAndPositionFlags) menu.SetChecked(f.Item, ini.ReadBool(section, f.Key, f.Default));
  const auto& channels = menu.ChannelItems();
  for (int c = 1; c <= kChannelCount; ++c) channels[c - 1]->setChecked(ini.ReadBool(section, ChannelKey(c), kChannelDefault));
  ReadRadioValue(menu, ini, BarLengthKey(), kBarLengthValues);
  menu.SetChecked("VoiceOFF", !menu.Checked("VoiceON"));
}

void WriteOptionSettings(const TMainMenu& menu, TIniFile& ini) {
  const std::string& section = SettingsSection();
  ini.WriteBool(section, VoiceKey(), menu.Checked("VoiceON"));
  WriteRadioValue(menu, ini, PlaySpeedKey(), kPlaySpeedValues);
  WriteRadioValue(menu, ini, RainSpeedKey(), kRainSpeedValues);
  for (const TOptionFlag& f : kEffectAndPositionFlags) ini.WriteBool(section, f.Key, menu.Checked(f.Item));
  const auto& channels = menu.ChannelItems();
  for (int c = 1; c <= kChannelCount; ++c) ini.WriteBool(section, ChannelKey(c), channels[c - 1]->isChecked());
  WriteRadioValue(menu, ini, BarLengthKey(), kBarLengthValues);
}
