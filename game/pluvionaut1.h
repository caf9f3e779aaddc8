// TForm1 (unit Pluvionaut1): the game's main window. Index of its files:
//   pluvionaut1.cpp     creation (FormCreate), closing (FormCloseQuery,
//                       FormClose, FormDestroy), Qt event routing, hint
//   form_handlers.cpp   menu handlers (Open, Play, Stop, ALL ON/OFF, Exit),
//                       OpenSong, dropped files
//   frame_loop.cpp      ApplicationEvents1Idle, FramerateTimerTimer, status
//                       bar read-outs
//   form_language.cpp   the language: translators, its submenu, the switch
// Main thread only. The window owns its menus, drawing, status bar, timers,
// idle driver and the sequencer Player with its ports; tests may attach
// another TWindowPlayer in its place (not owned). It installs its frame loop
// as the application's idle handler and reports hints, the cursor x and
// message boxes through Application().
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/language.h"
#include "game/main_menu.h"
#include "game/options.h"

class QMimeData;
class TCursorPublisher;
class TDrawArea;
class TExtendedSettings;
class TFormOwnerWindow;
class TOwnerWindow;
class TGameGraphics;
class TIdleDriver;
class TLanguageMenu;
class TMidiPlayV;
class TPlayField;
class TSequencerPlayer;
class TStatusBar;
class TWindowPlayer;

class TForm1 : public QMainWindow {
 public:
  // The MIDI mapper: the built-in synthesizer.
  static constexpr int kMidiMapperDevice = -1;
  static constexpr char kTutorialScript[] = "dat\\tutorial.dat";
  static constexpr char kScenarioScript[] = "dat\\scenario.dat";
  static constexpr char kTutorialSongFile[] = "dat\\tutorialmid.dat";

  // FormCreate: builds the window and the sequencer on playDevice with its
  // ports, loads the scripts and the tutorial song, reads the settings into
  // the menus, seeds the generator and greets.
  explicit TForm1(QWidget* parent = nullptr, int playDevice = kMidiMapperDevice);
  // FormDestroy.
  ~TForm1() override;

  // Components.
  TMainMenu& MainMenu1() { return *m_menu; }
  const TMainMenu& MainMenu1() const { return *m_menu; }
  TStatusBar* StatusBar1() const { return m_statusBar; }
  TDrawArea* DrawArea() const { return m_drawArea; }
  QTimer& FramerateTimer() { return m_framerateTimer; }
  TIdleDriver& ApplicationEvents1() { return *m_idle; }
  TCursorPublisher& CursorPublisher() { return *m_cursor; }
  // What the device wrapper is created with: handle, sizes, SetWindowPos.
  TOwnerWindow& OwnerWindow();
  // The settings beyond the designed options, read before anything else is
  // made (the sound and window features need them from the start).
  TExtendedSettings& ExtendedSettings() { return *m_extendedSettings; }

  // Menu handlers.
  void OpenClick();
  void Exit1Click();
  void PlayClick();
  void StopClick();
  void ALLONClick();
  void ALLOFFClick();
  // One frame of the game; done := False when it drew.
  void ApplicationEvents1Idle(void* Sender, bool& Done);
  void FramerateTimerTimer();
  // Loads a song and names it in the caption; an error box when it fails.
  void OpenSong(const QString& fileName);
  // Files dropped on the window (only while Open is visible): the first one
  // is opened.
  void WMDropFiles(const QStringList& fileNames);
  // The application's hint changed: status panel 0 shows it.
  void DisplayHint(const QString& hint);
  const QString& Hint() const { return m_hint; }
  // The language of every text the player reads; switching takes effect at
  // once (captions, hints, status texts, scripts) and is kept in the
  // settings ("言語" in "拡張設定").
  void SetLanguage(TLanguage language);
  TLanguage Language() const;

  // The sequencer the handlers drive: Player's adapter unless another one
  // is attached (not owned; nullptr detaches).
  void SetPlayer(TWindowPlayer* player) { m_player = player; }
  TWindowPlayer* WindowPlayer() const { return m_player; }
  // The window's own sequencer (null only when it could not be created).
  TMidiPlayV* Player() const { return m_ownPlayer.get(); }
  // The device wrapper, scene, textures and text writer, and the drawing of
  // the frames on them.
  TGameGraphics& Graphics() { return *m_graphics; }
  TPlayField& PlayField() { return *m_playField; }
  // Asks for a song file; empty when cancelled. The file dialog by default.
  void SetFileChooser(std::function<QString()> chooseFile) { m_chooseFile = std::move(chooseFile); }

  // Completed games: the sequencer's count, or, without a sequencer, the
  // count read from the settings file at creation.
  int PlayCount() const;
  void SetPlayCountWithoutPlayer(int playCount) { m_playCount = playCount; }
  bool Playing() const;

  // Window-wide state of the frame loop.
  int FirstLiveEvent = 0;
  int RainSpeed = kBaseRainSpeed;
  TChannelFlags RainChannels{};
  bool TutorialSong = false;
  int FrameCount = 0;
  // The lines of the invisible text boxes: the tutorial and scenario scripts (CP932).
  std::vector<std::string> Memo1;
  std::vector<std::string> Memo2;

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FormCreate(int playDevice);
  // Draws one frame with the window's state; true when it drew.
  bool DrawFrame();
  void CreatePlayer(int playDevice);
  void LoadTutorial();
  void InstallLanguage();
  void BuildLanguageMenu();
  // The tutorial and scenario scripts of the current language.
  void LoadScripts();
  bool FormCloseQuery();
  void FormClose();
  void ConnectMenuHandlers();
  void UpdateStatusReadouts();
  QString ChooseSongFile();
  static QStringList LocalFiles(const QMimeData* mime);

  std::unique_ptr<TExtendedSettings> m_extendedSettings;
  std::unique_ptr<TGameLanguage> m_language;
  std::unique_ptr<TMainMenu> m_menu;
  std::unique_ptr<TLanguageMenu> m_languageMenu;
  TDrawArea* m_drawArea = nullptr;
  TStatusBar* m_statusBar = nullptr;
  QTimer m_framerateTimer;
  std::unique_ptr<TIdleDriver> m_idle;
  TCursorPublisher* m_cursor = nullptr;
  std::unique_ptr<TFormOwnerWindow> m_ownerWindow;
  std::unique_ptr<TGameGraphics> m_graphics;
  std::unique_ptr<TPlayField> m_playField;
  int m_barHalfWidth = kBaseBarHalfWidth;  // of the game last started
  std::unique_ptr<TMidiPlayV> m_ownPlayer;
  std::unique_ptr<TSequencerPlayer> m_ownPlayerAdapter;
  TWindowPlayer* m_player = nullptr;
  std::function<QString()> m_chooseFile;
  QString m_hint;
  int m_playCount = 0;
  bool m_closing = false;
};
