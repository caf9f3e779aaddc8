// The サウンド menu: the volumes of the music and of the voice (at once, also
// during a game), the SoundFont, the MIDI output and the audio output (only
// while no game runs), with their keys in the section 拡張設定. The choices
// reach the audio engine and the sequencer's play device list; a SoundFont
// loads on a thread of its own. Main thread only. Owned by the main window;
// the menu bar owns the items.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/soundfont_loader.h"

class QAction;
class QActionGroup;
class QMenu;
class TExtendedSettings;
class TForm1;

// The keys of the section 拡張設定 (UTF-8).
inline constexpr char kMusicVolumeKey[] = "音楽の音量";
inline constexpr char kVoiceVolumeKey[] = "ボイスの音量";
inline constexpr char kSoundFontKey[] = "サウンドフォント";
inline constexpr char kMidiOutputKey[] = "MIDI出力";
inline constexpr char kAudioOutputKey[] = "オーディオ出力";

inline constexpr int kFullVolumePercent = 100;

class TSoundMenu : public QObject {
 public:
  // Before the synthesizer and the stream open: the chosen SoundFont goes
  // first in the engine's list (the usual ones follow, in case it does not
  // load) and the chosen audio output is asked for.
  static void ApplyStartupSettings(const TExtendedSettings& settings);

  // Builds the items into the form's サウンド menu and applies the volumes and
  // the MIDI output of the settings; tells the player when there is no sound.
  explicit TSoundMenu(TForm1& form);
  ~TSoundMenu() override;

  // Before a game starts: a chosen MIDI port that has gone gives way to the
  // built-in synthesizer (with a line in the status bar).
  void BeforeGameStart();

  // The file dialog of ファイルから選ぶ... (tests put their own in its place).
  void SetSoundFontChooser(std::function<QString()> choose) { m_chooseSoundFont = std::move(choose); }
  // Starts loading a SoundFont; it replaces the one in use once it has loaded
  // and no game runs. False when a load is running already or path is in use.
  bool ChooseSoundFont(const QString& path);
  bool SoundFontLoading() const { return m_loader.Busy() || m_loader.Finished() || m_swapPending; }
  // Chooses a MIDI output by name (empty: the built-in synthesizer).
  void ChooseMidiOutput(const std::string& name);
  // Chooses an audio output by name (empty: the default).
  void ChooseAudioOutput(const std::string& name);

  // The volume items' values in menu order: 100, 75, 50, 25, 0.
  static const std::vector<int>& VolumeSteps();

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

  TForm1& m_form;
  TExtendedSettings& m_settings;
  std::function<QString()> m_chooseSoundFont;
  TSoundFontLoader m_loader;
  QTimer m_loadPoll;
  QTimer m_outputWatch;
  bool m_outputLost = false;
  int m_outputRetries = 0;  // reopening attempts since the last stream that lasted
  bool m_recovered = false;
  std::chrono::steady_clock::time_point m_recoveredAt;
  bool m_swapPending = false;
  std::unique_ptr<TSynthesizer> m_loaded;  // loaded, waiting for the game to end
  QString m_loadingPath;
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
