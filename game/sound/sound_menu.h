// The サウンド menu: the volumes of the music and of the voice (at once, also
// during a game), the SoundFont, the MIDI output and the audio output (only
// while no game runs), with their keys in the section 拡張設定. The choices
// reach the audio engine and the sequencer's play device list; a SoundFont
// loads on a thread of its own. Main thread only. Owned by the main window,
// which lends it the main menu, the settings and a few callbacks
// (TSoundMenuHost); the menu bar owns the items.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/core/setting_declarations.h"
#include "game/sound/output_reconnect.h"
#include "game/sound/soundfont_swap.h"

class QAction;
class QActionGroup;
class QMenu;
class QWidget;
class TExtendedSettings;
class TMainMenu;

// What the window lends the sound menu.
struct TSoundMenuHost {
  QWidget* Parent = nullptr;                           // of the SoundFont file dialog
  std::function<bool()> Playing;                       // a game runs
  // Puts deviceId (the MIDI mapper: the built-in synthesizer) in place of
  // the sequencer's play device; false when it did not open.
  std::function<bool(int deviceId)> UsePlayDevice;
  std::function<void(const QString& text)> ShowStatusLine;  // status panel 0
};

class TSoundMenu : public QObject {
 public:
  // Before the synthesizer and the stream open: the chosen SoundFont goes
  // first in the engine's list (the usual ones follow, in case it does not
  // load) and the chosen audio output is asked for.
  static void ApplyStartupSettings(const TExtendedSettings& settings);

  // Builds the items into menu's サウンド menu and applies the volumes and
  // the MIDI output of settings; tells the player when there is no sound.
  TSoundMenu(TMainMenu& menu, TExtendedSettings& settings, TSoundMenuHost host);
  ~TSoundMenu() override;

  // Before a game starts: a chosen MIDI port that has gone gives way to the
  // built-in synthesizer (with a line in the status bar).
  void BeforeGameStart();

  // The file dialog of ファイルから選ぶ... (tests put their own in its place).
  void SetSoundFontChooser(std::function<QString()> choose) { m_chooseSoundFont = std::move(choose); }
  // Starts loading a SoundFont; it replaces the one in use once it has loaded
  // and no game runs. False when a load is running already or path is in use.
  bool ChooseSoundFont(const QString& path);
  bool SoundFontLoading() const { return m_soundFontSwap.Busy(); }
  // Chooses a MIDI output by name (empty: the built-in synthesizer).
  void ChooseMidiOutput(const std::string& name);
  // Chooses an audio output by name (empty: the default).
  void ChooseAudioOutput(const std::string& name);

  // The volume items' values in menu order: 100, 75, 50, 25, 0.
  static const std::vector<int>& VolumeSteps();
  // A device's name as a status line quotes it: names longer than
  // kStatusNameLimit characters end in "…", so the line fits its panel.
  static constexpr int kStatusNameLimit = 20;
  static QString StatusName(const QString& name);

 private:
  void BuildVolumeMenu(QMenu* parent, bool music);
  void ApplyVolume(bool music, int percent);
  void BuildSoundFontMenu(QMenu* parent);
  void RefreshSoundFonts();
  void PollSoundFontLoad();
  void BuildMidiOutputMenu(QMenu* parent);
  void RefreshMidiOutputs();
  void BuildAudioOutputMenu(QMenu* parent);
  void RefreshAudioOutputs();
  void CheckByData(QActionGroup* group, const QString& value);
  // A radio item for value, unless the group has one already (then nullptr).
  QAction* AddDeviceItem(QMenu* menu, QActionGroup* group, const char* namePrefix, int& count,
                         const QString& value, const QString& caption, const QString& hint);
  void ShowStatusLine(const QString& text);
  void ApplyMidiOutputAtStart();
  void ReportAudioOutputState();
  // Notices a stream whose server stopped taking the sound and, between
  // games, opens the output again.
  void WatchOutput();
  bool Playing() const;
  bool UsePlayDevice(int deviceId);

  TMainMenu& m_menu;
  TExtendedSettings& m_settings;
  TSoundMenuHost m_host;
  std::function<QString()> m_chooseSoundFont;
  TSoundFontSwap m_soundFontSwap;
  QTimer m_loadPoll;
  QTimer m_outputWatch;
  TOutputReconnect m_reconnect;
  bool m_collectStartupLines = false;
  QStringList m_startupLines;

  QMenu* m_soundFontMenu = nullptr;
  QActionGroup* m_soundFontGroup = nullptr;
  QAction* m_soundFontFileItem = nullptr;
  int m_soundFontItems = 0;
  QMenu* m_midiMenu = nullptr;
  QActionGroup* m_midiGroup = nullptr;
  int m_midiItems = 0;
  std::string m_midiOutput;  // the port in use; empty: the built-in synthesizer
  QMenu* m_audioMenu = nullptr;
  QActionGroup* m_audioGroup = nullptr;
  int m_audioItems = 0;
};
