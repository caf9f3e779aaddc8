// TControlsDialog (操作の設定): the keys of left, right, dash and pause and
// the gamepad's dead zone. A key is changed by clicking its button and
// pressing the new key; a key that another action already uses is refused
// with a line naming that action. Accepting writes "左キー", "右キー",
// "ダッシュキー", "一時停止キー" and "パッドの遊び"; cancelling keeps them.
// Main thread only; refers to the settings (owned by the window).
#pragma once

#include <QDialog>

#include <array>

#include "game/input/key_bindings.h"

class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QAction;
class TExtendedSettings;
class TMainMenu;

class TControlsDialog : public QDialog {
 public:
  TControlsDialog(QWidget* parent, TExtendedSettings& settings);

  // The key button of an action; clicked, it waits for the next key.
  QPushButton* KeyButton(TKeyAction action) const { return m_buttons[static_cast<int>(action)]; }
  QDoubleSpinBox* DeadZoneBox() const { return m_deadZone; }
  QLabel* MessageLine() const { return m_message; }
  const TKeyBindings& Bindings() const { return m_bindings; }
  // The action waiting for its key, or -1.
  int Waiting() const { return m_waiting; }

  // Binds key to action alone; false (and the message) when another action
  // has it.
  bool Bind(TKeyAction action, int key);
  // Writes the keys and the dead zone, then closes.
  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void StartWaiting(TKeyAction action);
  void UpdateButtons();

  TExtendedSettings& m_settings;
  TKeyBindings m_bindings;
  std::array<QPushButton*, kKeyActionCount> m_buttons{};
  QDoubleSpinBox* m_deadZone = nullptr;
  QLabel* m_message = nullptr;
  int m_waiting = -1;
};

// The caption of an action as the settings name it ("左キー"), translated.
QString KeyActionCaption(TKeyAction action);

// Adds 操作の設定... to the end of 再生, available only while no game runs.
QAction* AddControlsItem(TMainMenu& menu);
