#include "game/menus/option_settings.h"

#include <QAction>

#include <cstdio>

#include "platform/kernel/cp932.h"
#include "platform/kernel/profile.h"

namespace {

// A radio value item and the text that stands for it in the file.
struct TStoredValue {
  const char* Item;
  const char* Text;
};

constexpr TStoredValue kPlaySpeedValues[] = {
    {"playspeed05", "0.5"}, {"playspeed10", "1.0"}, {"playspeed15", "1.5"}, {"playspeed20", "2.0"},
};
constexpr TStoredValue kRainSpeedValues[] = {
    {"rainspeed025", "0.25"}, {"rainspeed05", "0.5"}, {"rainspeed10", "1.0"}, {"rainspeed20", "2.0"},
    {"rainspeed30", "3.0"},   {"rainspeed40", "4.0"}, {"rainspeed50", "5.0"}, {"rainspeed60", "6.0"},
};
// "0.0" stands for the infinite bar.
constexpr TStoredValue kBarLengthValues[] = {
    {"barlength05", "0.5"}, {"barlength10", "1.0"}, {"barlength20", "2.0"},
    {"barlength30", "3.0"}, {"barlength40", "4.0"}, {"barlengthinfinity", "0.0"},
};
constexpr const char* kDefaultValueText = "1.0";

// The check items in the order they are read and written, with the key in
// ASCII (these keys are the same in every code page) and the default.
struct TStoredFlag {
  const char* Item;
  const char* Key;
  bool Default;
};
constexpr TStoredFlag kEffectAndPositionFlags[] = {
    {"Hidden", "HIDDEN", false}, {"Sudden", "SUDDEN", false},   {"NORMAL", "NORMAL", true},
    {"MIRROR", "MIRROR", false}, {"NRANDOM", "RANDOM", false}, {"SRANDOM", "S-RANDOM", false},
};
constexpr bool kChannelDefault = true;
constexpr bool kVoiceDefault = true;

const std::string& VoiceKey() {
  static const std::string key = Utf8ToCp932("ルフナボイス");
  return key;
}
const std::string& PlaySpeedKey() {
  static const std::string key = Utf8ToCp932("音楽の再生スピード");
  return key;
}
const std::string& RainSpeedKey() {
  static const std::string key = Utf8ToCp932("雨の落下スピード");
  return key;
}
const std::string& BarLengthKey() {
  static const std::string key = Utf8ToCp932("バーの長さ");
  return key;
}

std::string ChannelKey(int channel) {
  char digits[4];
  std::snprintf(digits, sizeof digits, "%02d", channel);
  static const std::string prefix = Utf8ToCp932("チャンネル");
  return prefix + digits;
}

template <std::size_t N>
void ReadRadioValue(TMainMenu& menu, const TIniFile& ini, const std::string& key, const TStoredValue (&values)[N]) {
  const std::string value = ini.ReadString(SettingsSection(), key, kDefaultValueText);
  // Item by item in menu order, as the class library sets radio items: the
  // match is checked (unchecking the others), every other item unchecked.
  for (const TStoredValue& v : values) menu.SetChecked(v.Item, value == v.Text);
}

template <std::size_t N>
void WriteRadioValue(const TMainMenu& menu, TIniFile& ini, const std::string& key, const TStoredValue (&values)[N]) {
  for (const TStoredValue& v : values) {
    if (menu.Checked(v.Item)) {
      ini.WriteString(SettingsSection(), key, v.Text);
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
  for (const TStoredFlag& f : kEffectAndPositionFlags) menu.SetChecked(f.Item, ini.ReadBool(section, f.Key, f.Default));
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
  for (const TStoredFlag& f : kEffectAndPositionFlags) ini.WriteBool(section, f.Key, menu.Checked(f.Item));
  const auto& channels = menu.ChannelItems();
  for (int c = 1; c <= kChannelCount; ++c) ini.WriteBool(section, ChannelKey(c), channels[c - 1]->isChecked());
  WriteRadioValue(menu, ini, BarLengthKey(), kBarLengthValues);
}
