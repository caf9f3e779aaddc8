#include "game/input/key_bindings.h"

#include <QStringList>

#include <cmath>

#include "game/core/extended_settings.h"

namespace {

// Qt's key sequences carry modifiers as flags of another key; a modifier
// pressed alone (the dash key) is a key of its own here.
struct TModifierName {
  int Key;
  const char* Name;
};
constexpr TModifierName kModifierNames[] = {
    {Qt::Key_Shift, "Shift"}, {Qt::Key_Control, "Ctrl"}, {Qt::Key_Alt, "Alt"}, {Qt::Key_Meta, "Meta"}};

const QString kListSeparator = QStringLiteral("; ");

// Keys of the dead zone's text: hundredths, as the dialog sets it.
constexpr double kDeadZoneSteps = 100.0;

}  // namespace

bool TKeyBindings::Find(int key, TKeyAction& action) const {
  for (int i = 0; i < kKeyActionCount; ++i) {
    if (Keys[i].contains(key)) {
      action = static_cast<TKeyAction>(i);
      return true;
    }
  }
  return false;
}

QList<QKeySequence> TKeyBindings::PauseShortcuts() const {
  QList<QKeySequence> shortcuts;
  for (int key : Of(TKeyAction::Pause)) shortcuts.append(QKeySequence(key));
  return shortcuts;
}

const TStringSetting& KeySetting(TKeyAction action) {
  static const TStringSetting* const kSettings[kKeyActionCount] = {&kLeftKeySetting, &kRightKeySetting,
                                                                   &kDashKeySetting, &kPauseKeySetting};
  return *kSettings[static_cast<int>(action)];
}

QString KeyName(int key) {
  for (const TModifierName& modifier : kModifierNames) {
    if (modifier.Key == key) return QString::fromLatin1(modifier.Name);
  }
  return QKeySequence(key).toString(QKeySequence::PortableText);
}

int KeyFromName(const QString& name) {
  const QString trimmed = name.trimmed();
  if (trimmed.isEmpty()) return 0;
  for (const TModifierName& modifier : kModifierNames) {
    if (trimmed.compare(QLatin1String(modifier.Name), Qt::CaseInsensitive) == 0) return modifier.Key;
  }
  const QKeySequence sequence = QKeySequence::fromString(trimmed, QKeySequence::PortableText);
  // One key without modifiers; Qt gives Qt::Key_unknown for a name it does
  // not know.
  if (sequence.count() != 1) return 0;
  const QKeyCombination combination = sequence[0];
  if (combination.keyboardModifiers() != Qt::NoModifier || combination.key() == Qt::Key_unknown) return 0;
  return static_cast<int>(combination.key());
}

QString KeyListText(const QList<int>& keys) {
  QStringList names;
  for (int key : keys) names.append(KeyName(key));
  return names.join(kListSeparator);
}

QString KeyListNativeText(const QList<int>& keys) {
  QStringList names;
  for (int key : keys) {
    bool modifier = false;
    for (const TModifierName& m : kModifierNames) modifier = modifier || m.Key == key;
    names.append(modifier ? KeyName(key) : QKeySequence(key).toString(QKeySequence::NativeText));
  }
  return names.join(QStringLiteral(", "));
}

QList<int> KeyListFromText(const QString& text) {
  QList<int> keys;
  for (const QString& name : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    const int key = KeyFromName(name);
    if (key == 0) return {};
    if (!keys.contains(key)) keys.append(key);
  }
  return keys;
}

TKeyBindings ReadKeyBindings(const TExtendedSettings& settings) {
  TKeyBindings bindings;
  for (int i = 0; i < kKeyActionCount; ++i) {
    const TStringSetting& setting = KeySetting(static_cast<TKeyAction>(i));
    QList<int> keys = KeyListFromText(QString::fromStdString(settings.String(setting)));
    bool taken = false;
    for (int key : keys) {
      TKeyAction other{};
      taken = taken || bindings.Find(key, other);
    }
    if (keys.isEmpty() || taken) keys = KeyListFromText(QString::fromUtf8(setting.Default));
    // A default that a remapped action before it took loses that key.
    QList<int> free;
    for (int key : keys) {
      TKeyAction other{};
      if (!bindings.Find(key, other)) free.append(key);
    }
    bindings.Keys[i] = free;
  }
  return bindings;
}

void WriteKeyBindings(const TKeyBindings& bindings, TExtendedSettings& settings) {
  for (int i = 0; i < kKeyActionCount; ++i) {
    settings.SetString(KeySetting(static_cast<TKeyAction>(i)).Key, KeyListText(bindings.Keys[i]).toStdString());
  }
}

double ReadPadDeadZone(const TExtendedSettings& settings) {
  bool ok = false;
  const double value = QString::fromStdString(settings.String(kPadDeadZoneSetting)).trimmed().toDouble(&ok);
  if (!ok || !(value >= kPadDeadZoneMin && value <= kPadDeadZoneMax)) return kPadDeadZoneDefault;
  return value;
}

void WritePadDeadZone(double deadZone, TExtendedSettings& settings) {
  const double steps = std::round(deadZone * kDeadZoneSteps) / kDeadZoneSteps;
  settings.SetString(kPadDeadZoneKey, QString::number(steps, 'f', 2).toStdString());
}
