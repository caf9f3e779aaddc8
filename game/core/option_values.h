// The designed options' values, declared once: each value item of the radio
// groups with its design name (the menu item), its caption, the text that
// stands for it in the section "システムデータ", and its factor on the base
// value; the keys and defaults of the options in that section; and what a
// factor makes of the base fall speed and bar. Adding a value is one line
// here: the menu, the settings file, the game and the records window all
// read it from these tables. Header only; any thread.
#pragma once

#include <span>

// Pixels per quarter note at fall speed 1.0, and half the bar's length in
// pixels at bar length 1.0.
inline constexpr int kBaseRainSpeed = 100;
inline constexpr int kBaseBarHalfWidth = 15;
// The infinite bar's half length (no drop falls beside it).
inline constexpr int kInfiniteBarHalfWidth = 2147483646;

struct TOptionValue {
  const char* Item;     // design name of the menu item
  const char* Caption;  // the item's text (a number: the same in every language)
  const char* Stored;   // the value's text in the settings file
  double Factor;        // on the base value; 0 for the infinite bar
};

// In menu order. The "1.0" item of each group is the default.
inline constexpr TOptionValue kRainSpeedValues[] = {
    {"rainspeed025", "0.25", "0.25", 0.25}, {"rainspeed05", "0.5", "0.5", 0.5}, {"rainspeed10", "1.0", "1.0", 1.0},
    {"rainspeed20", "2.0", "2.0", 2.0},     {"rainspeed30", "3.0", "3.0", 3.0}, {"rainspeed40", "4.0", "4.0", 4.0},
    {"rainspeed50", "5.0", "5.0", 5.0},     {"rainspeed60", "6.0", "6.0", 6.0},
};
inline constexpr TOptionValue kPlaySpeedValues[] = {
    {"playspeed05", "0.5", "0.5", 0.5},
    {"playspeed10", "1.0", "1.0", 1.0},
    {"playspeed15", "1.5", "1.5", 1.5},
    {"playspeed20", "2.0", "2.0", 2.0},
};
inline constexpr double kInfiniteBarFactor = 0.0;
inline constexpr TOptionValue kBarLengthValues[] = {
    {"barlength05", "0.5", "0.5", 0.5},
    {"barlength10", "1.0", "1.0", 1.0},
    {"barlength20", "2.0", "2.0", 2.0},
    {"barlength30", "3.0", "3.0", 3.0},
    {"barlength40", "4.0", "4.0", 4.0},
    {"barlengthinfinity", "∞", "0.0", kInfiniteBarFactor},
};
// The default value's caption and stored text.
inline constexpr char kDefaultValueText[] = "1.0";

// Pixels per quarter note at a fall-speed factor (whole pixels, toward zero).
constexpr int RainSpeedFor(double factor) { return static_cast<int>(kBaseRainSpeed * factor); }
// Half the bar's length at a bar-length factor (the halved bar is 15 / 2 = 7).
constexpr int BarHalfWidthFor(double factor) {
  return factor == kInfiniteBarFactor ? kInfiniteBarHalfWidth : static_cast<int>(kBaseBarHalfWidth * factor);
}

// The value of a group whose item has that design name; nullptr when none.
const TOptionValue* FindOptionValue(std::span<const TOptionValue> values, const char* item);

// Keys (UTF-8; on disk CP932) and defaults of the options in "システムデータ".
inline constexpr char kVoiceKey[] = "ルフナボイス";
inline constexpr bool kVoiceDefault = true;
inline constexpr char kPlaySpeedKey[] = "音楽の再生スピード";
inline constexpr char kRainSpeedKey[] = "雨の落下スピード";
inline constexpr char kBarLengthKey[] = "バーの長さ";
// "チャンネル01" .. "チャンネル16".
inline constexpr char kChannelKeyPrefix[] = "チャンネル";
inline constexpr bool kChannelDefault = true;

// The check items stored as Booleans, in the order they are read and
// written, with the key (ASCII, the same in every code page) and the default.
struct TOptionFlag {
  const char* Item;
  const char* Key;
  bool Default;
};
inline constexpr TOptionFlag kEffectAndPositionFlags[] = {
    {"Hidden", "HIDDEN", false}, {"Sudden", "SUDDEN", false},   {"NORMAL", "NORMAL", true},
    {"MIRROR", "MIRROR", false}, {"NRANDOM", "RANDOM", false}, {"SRANDOM", "S-RANDOM", false},
};
