// The keys that move the bar and pause the game: left, right, dash and
// pause, each one or more keys, read from "拡張設定" ("左キー", "右キー",
// "ダッシュキー", "一時停止キー"; Qt's portable key names joined by "; ").
// A name Qt does not know, an empty list, or a key that an action read
// before already uses gives that action its default. Also the gamepad's
// dead zone ("パッドの遊び"). Main thread only; plain values.
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

#include <array>

#include "game/core/setting_declarations.h"

class TExtendedSettings;

enum class TKeyAction { Left = 0, Right = 1, Dash = 2, Pause = 3 };
inline constexpr int kKeyActionCount = 4;

struct TKeyBindings {
  std::array<QList<int>, kKeyActionCount> Keys;  // Qt::Key values, modifiers as keys (Qt::Key_Shift)

  const QList<int>& Of(TKeyAction action) const { return Keys[static_cast<int>(action)]; }
  // The action key is bound to, or none.
  bool Find(int key, TKeyAction& action) const;
  // The pause keys as the shortcuts of the pause item.
  QList<QKeySequence> PauseShortcuts() const;
};

// The declaration of each action's setting, and its caption (the key's name
// in the settings, "左キー"...).
const TStringSetting& KeySetting(TKeyAction action);

// One key's portable name ("Left", "Shift", "Z") and back (0: unknown).
QString KeyName(int key);
int KeyFromName(const QString& name);
// The list form of a setting's value: "Left; Z".
QString KeyListText(const QList<int>& keys);
// The keys as the player reads them, in the language shown ("←, Z").
QString KeyListNativeText(const QList<int>& keys);
// Parses a list; empty when any name is unknown.
QList<int> KeyListFromText(const QString& text);

// The bindings of the settings, every fault mended by its default.
TKeyBindings ReadKeyBindings(const TExtendedSettings& settings);
void WriteKeyBindings(const TKeyBindings& bindings, TExtendedSettings& settings);

// The gamepad's dead zone, a fraction of the stick's travel
// (kPadDeadZoneMin .. kPadDeadZoneMax; anything else gives the default).
double ReadPadDeadZone(const TExtendedSettings& settings);
void WritePadDeadZone(double deadZone, TExtendedSettings& settings);
