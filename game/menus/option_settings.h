// The options and the play count in the settings file: read into the menu
// items at start-up, written from them when the window closes. Main thread
// only (the menus are Qt objects); the file itself is TIniFile's.
#pragma once

#include <string>

#include "game/core/system_data.h"
#include "game/menus/main_menu.h"

class TIniFile;

// Section and play count as they are stored on disk (CP932).
using SystemData::PlayCountKey;
using SystemData::ReadPlayCount;
using SystemData::SettingsSection;

// Reads every option key in the file's key order into the menu: a string
// value checks the item whose value text it equals exactly (none when it
// equals no item), Booleans set their items in the order HIDDEN, SUDDEN,
// NORMAL, MIRROR, RANDOM, S-RANDOM, channels 01..16 (among the lane items
// the last true one read wins), missing or unreadable values give the
// defaults. VoiceOFF ends up the opposite of VoiceON.
void ReadOptionSettings(TMainMenu& menu, const TIniFile& ini);

// Writes every option key from the menu; a radio group with no item checked
// writes nothing, so the file keeps its previous value for that key.
void WriteOptionSettings(const TMainMenu& menu, TIniFile& ini);
