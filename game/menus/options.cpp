#include "game/menus/options.h"

#include <QAction>

#include <cstddef>

#include <utility>

#include "game/core/random.h"

namespace {

bool IsItem(const QAction* item, const char* name) { return item->objectName() == QLatin1String(name); }

}  // namespace

std::optional<double> MusicSpeedOption(const TMainMenu& menu) {
  const QAction* item = TMainMenu::CheckedItem(menu.PlaySpeedItems());
  if (item == nullptr) return std::nullopt;
  if (IsItem(item, "playspeed05")) return 0.5;
  if (IsItem(item, "playspeed15")) return 1.5;
  if (IsItem(item, "playspeed20")) return 2.0;
  return 1.0;
}

int RainSpeedOption(const TMainMenu& menu) {
  int rainSpeed = kBaseRainSpeed;
  const QAction* item = TMainMenu::CheckedItem(menu.RainSpeedItems());
  if (item == nullptr) return rainSpeed;
  if (IsItem(item, "rainspeed025")) return rainSpeed / 4;
  if (IsItem(item, "rainspeed05")) return rainSpeed / 2;
  // rainspeed10 .. rainspeed60: the factor is the item's tens digit.
  static constexpr std::pair<const char*, int> kFactors[] = {
      {"rainspeed10", 1}, {"rainspeed20", 2}, {"rainspeed30", 3},
      {"rainspeed40", 4}, {"rainspeed50", 5}, {"rainspeed60", 6},
  };
  for (const auto& [name, factor] : kFactors) {
    if (IsItem(item, name)) return rainSpeed * factor;
  }
  return rainSpeed;
}

int BarHalfWidthOption(const TMainMenu& menu) {
  const int halfWidth = kBaseBarHalfWidth;
  const QAction* item = TMainMenu::CheckedItem(menu.BarLengthItems());
  if (item == nullptr) return halfWidth;
  if (IsItem(item, "barlength05")) return halfWidth / 2;
  if (IsItem(item, "barlength20")) return halfWidth * 2;
  if (IsItem(item, "barlength30")) return halfWidth * 3;
  if (IsItem(item, "barlength40")) return halfWidth * 4;
  if (IsItem(item, "barlengthinfinity")) return kInfiniteBarHalfWidth;
  return halfWidth;
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

TLanePermutation MakeLanePermutation() {
  TLanePermutation p{};
  for (int i = 0; i < kLaneCount; ++i) p[i] = i;
  for (int i = 0; i < kLaneCount; ++i) std::swap(p[Random(kLaneCount)], p[i]);
  return p;
}

int LaneForNote(TLaneMode mode, int note, const TLanePermutation& permutation) {
  // A note number is a 7-bit data byte; masking keeps a lane of a damaged
  // event inside the field and the permutation lookup inside its table.
  note &= kLaneCount - 1;
  switch (mode) {
    case TLaneMode::Mirror:
      return (kLaneCount - 1) - note;
    case TLaneMode::NRandom:
      return permutation[static_cast<std::size_t>(note)];
    case TLaneMode::SRandom:
      return Random(kLaneCount);
    case TLaneMode::Normal:
      break;
  }
  return note;
}

void SetAllChannels(TMainMenu& menu, bool on) {
  for (QAction* item : menu.ChannelItems()) item->setChecked(on);
}

const char* LaneModeName(TLaneMode mode) {
  switch (mode) {
    case TLaneMode::Mirror: return "MIRROR";
    case TLaneMode::NRandom: return "RANDOM";
    case TLaneMode::SRandom: return "S-RANDOM";
    case TLaneMode::Normal: break;
  }
  return "NORMAL";
}
