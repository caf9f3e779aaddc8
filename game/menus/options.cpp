#include "game/menus/options.h"

#include <QAction>


namespace {

// The value of the checked item among items, looked up in values.
const TOptionValue* CheckedValue(const std::vector<QAction*>& items, std::span<const TOptionValue> values) {
  const QAction* item = TMainMenu::CheckedItem(items);
  if (item == nullptr) return nullptr;
  return FindOptionValue(values, item->objectName().toLatin1().constData());
}

}  // namespace

std::optional<double> MusicSpeedOption(const TMainMenu& menu) {
  const QAction* item = TMainMenu::CheckedItem(menu.PlaySpeedItems());
  if (item == nullptr) return std::nullopt;
  const TOptionValue* value = CheckedValue(menu.PlaySpeedItems(), kPlaySpeedValues);
  return value != nullptr ? value->Factor : 1.0;
}

int RainSpeedOption(const TMainMenu& menu) {
  const TOptionValue* value = CheckedValue(menu.RainSpeedItems(), kRainSpeedValues);
  return value != nullptr ? RainSpeedFor(value->Factor) : kBaseRainSpeed;
}

int BarHalfWidthOption(const TMainMenu& menu) {
  const TOptionValue* value = CheckedValue(menu.BarLengthItems(), kBarLengthValues);
  return value != nullptr ? BarHalfWidthFor(value->Factor) : kBaseBarHalfWidth;
}

TChannelFlags RainChannelsOption(const TMainMenu& menu) {
  TChannelFlags channels{};
  const auto& items = menu.ChannelItems();
  for (int c = 0; c < kChannelCount; ++c) channels[c] = items[c]->isChecked();
  return channels;
}

TLaneMode LaneModeOption(const TMainMenu& menu) {
  if (menu.Checked("MIRROR")) return TLaneMode::Mirror;
  if (menu.Checked("NRANDOM")) return TLaneMode::NRandom;
  if (menu.Checked("SRANDOM")) return TLaneMode::SRandom;
  return TLaneMode::Normal;
}

void SetAllChannels(TMainMenu& menu, bool on) {
  for (QAction* item : menu.ChannelItems()) item->setChecked(on);
}
