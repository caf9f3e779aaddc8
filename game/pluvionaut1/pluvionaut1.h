// TForm1 (unit Pluvionaut1): the game's main window. Index of its files:
//   pluvionaut1.cpp             creation (FormCreate), closing (FormCloseQuery,
//                               FormClose, FormDestroy), Qt event routing, hint
//   pluvionaut1_handlers.cpp    menu handlers (Open, Play, Stop, ALL ON/OFF,
//                               Exit), OpenSong, dropped files
//   pluvionaut1_frame_loop.cpp  ApplicationEvents1Idle, FramerateTimerTimer,
//                               status bar read-outs
//   pluvionaut1_records.cpp     the play records: recorder, recent songs,
//                               records window, the options and result a game
//                               hands over
//   pluvionaut1_timing.cpp      pause and resume, pausing when the window goes
//                               to the background, the timing dialog
//   pluvionaut1_language.cpp    the language: translators, its submenu, the
//                               switch
//   pluvionaut1_input.cpp       the bar by keyboard and gamepad: the keys,
//                               the controllers, the controls dialog
//   pluvionaut1_practice.cpp    practice games: the item, keys, the loop's
//                               status text, the practice record
//   pluvionaut1_library.cpp     the song library: its folders' scans, its
//                               item, the song-select window, the preview
// Main thread only. The window owns its menus, drawing, status bar, timers,
// idle driver and the sequencer Player with its ports; tests may attach
// another TWindowPlayer in its place (not owned). It installs its frame loop
// as the application's idle handler and reports hints, the cursor x and
// message boxes through Application().
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/language/language.h"
#include "game/menus/main_menu.h"
#include "game/menus/options.h"
#include "records/game_record.h"
#include "game/sequencer/play_device.h"
#include "game/timing/timing_menu.h"

class QMimeData;
class TBarKeys;
class TBarMotion;
class TCursorPublisher;
class TGamepad;
class TDisabledItemHints;
class TDrawArea;
class TExtendedSettings;
class TGameRecorder;
class TRecordsMenu;
class TRecordsWindow;
class TFormOwnerWindow;
class TOwnerWindow;
class TGameGraphics;
class TIdleDriver;
class TLanguageMenu;
class TLibraryMenu;
class TLibraryWindow;
class TMidiPlayV;
class TPlayField;
class TPracticeMode;
class TSequencerPlayer;
class TSongLibrary;
class TSongPreview;
class TSoundMenu;
class TStatusBar;
class TViewMenu;
class TWindowPlayer;

class TForm1 : public QMainWindow {
 public:
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
  // The bar as keys and gamepads move it, the keys and the controllers.
  TBarMotion& BarMotion() { return *m_barMotion; }
  TBarKeys& BarKeys() { return *m_barKeys; }
  TGamepad& Gamepad() { return *m_gamepad; }
  // Where the bar is now (play-field x): the mouse's, or the keys' or the
  // pad's path at this moment.
  int BarX() const;
  // Keys and pads may move the bar: a game runs, not paused, and the window
  // itself has the keys (no menu, no dialog).
  bool BarMayMove() const;
  // The input that moved the bar furthest in the game last started, as the
  // records store it (the mouse when none moved it).
  std::string MostUsedBarInput() const;
  // What the device wrapper is created with: handle, sizes, SetWindowPos.
  TOwnerWindow& OwnerWindow();
  // The settings beyond the designed options, read before anything else is
  // made (the sound and window features need them from the start).
  TExtendedSettings& ExtendedSettings() { return *m_extendedSettings; }
  TSoundMenu& SoundMenu() { return *m_soundMenu; }
  // Puts deviceId (-1: the MIDI mapper) in place of the sequencer's play
  // device and opens its port again; when it does not open, the mapper is
  // opened instead and the result is false. While no game runs.
  bool UsePlayDevice(int deviceId);
  // The View menu: window sizes, full screen, smooth magnification.
  TViewMenu& ViewMenu() { return *m_viewMenu; }
  // 練習モード: practice games with their keys and the A-B loop.
  TPracticeMode& Practice() { return *m_practice; }
  // True while the farewell line plays before the window closes.
  bool SayingFarewell() const { return m_farewell.isActive(); }
  // The wait for the farewell's end (tests shorten it).
  QTimer& FarewellTimer() { return m_farewell; }

  // Menu handlers.
  void OpenClick();
  void Exit1Click();
  void PlayClick();
  void StopClick();
  void ALLONClick();
  void ALLOFFClick();
  // 一時停止 (and Esc, Space): pauses a running game, or resumes a paused one.
  void PauseClick();
  // タイミング調整...: the calibration dialog on the game's MIDI output.
  void TimingCalibrationClick();
  // 操作の設定...: the keys and the gamepad's dead zone (while no game runs).
  void ControlsClick();
  // The timing offset of the game last started (ms, from the settings at Play).
  int OffsetMs() const { return m_offsetMs; }
  // The song's difficulty for the options of the game last started; < 0 before one.
  double GameDifficulty() const { return m_gameDifficulty; }
  // One frame of the game; done := False when it drew.
  void ApplicationEvents1Idle(void* Sender, bool& Done);
  void FramerateTimerTimer();
  // Loads a song and names it in the caption; an error box when it fails.
  void OpenSong(const QString& fileName);
  // Files dropped on the window (only while Open is visible): the first one
  // is opened.
  void WMDropFiles(const QStringList& fileNames);
  // A song named on the command line: opened like a dropped file once Open
  // is unlocked; before that a hint says why not.
  void OpenCommandLineFile(const QString& fileName);
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
  // The window's own sequencer (null only when it could not be created).
  TMidiPlayV* Player() const { return m_ownPlayer.get(); }
  // The device wrapper, scene, textures and text writer, and the drawing of
  // the frames on them.
  TGameGraphics& Graphics() { return *m_graphics; }
  TPlayField& PlayField() { return *m_playField; }
  // Asks for a song file; empty when cancelled. The file dialog by default.
  void SetFileChooser(std::function<QString()> chooseFile) { m_chooseFile = std::move(chooseFile); }

  // The play records (beside the settings file), the recent songs in the
  // ファイル menu and the records window (made when first shown).
  TGameRecorder& Recorder() { return *m_recorder; }
  TRecordsMenu& RecordsMenu() { return *m_recordsMenu; }
  TRecordsWindow* RecordsWindow() const { return m_recordsWindow; }
  void ShowRecordsWindow();
  // A song chosen from the recent songs or the records window: opened as
  // the Open dialog opens it (the game stops first).
  void OpenRecordedSong(const QString& fileName);

  // The song library (its folders and scans), its ファイル item, the
  // song-select window (made when first shown) and its preview player.
  TSongLibrary& SongLibrary() { return *m_songLibrary; }
  TLibraryMenu& LibraryMenu() { return *m_libraryMenu; }
  TLibraryWindow* LibraryWindow() const { return m_libraryWindow; }
  TSongPreview& SongPreview() { return *m_songPreview; }
  void ShowLibraryWindow();

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
  // Connects the window system's window to the view menu once it exists.
  void WatchScreen();
  void FormCreate(int playDevice);
  // Draws one frame with the window's state; true when it drew.
  bool DrawFrame();
  // A modal box or dialog of this window has the focus.
  bool OwnDialogActive() const;
  void CreatePlayer(int playDevice);
  void LoadTutorial();
  void InstallLanguage();
  void BuildLanguageMenu();
  // The tutorial and scenario scripts of the current language.
  void LoadScripts();
  // True when the window may close now; false while the farewell plays (the
  // window closes by itself at its end).
  bool FormCloseQuery();
  void FarewellEnded();
  void FormClose();
  // Loads a song and names it in the caption; false (Play disabled) when it
  // fails, with the box left to the caller.
  bool LoadSong(const QString& fileName);
  void ShowLoadError();
  void ConnectMenuHandlers();
  void CreateRecords();
  // The loaded song's difficulty for a game's options (random lanes count as normal).
  void MeasureGameDifficulty(const TGameOptions& options);
  // The loaded song becomes the one whose games are recorded.
  void RecordSong(const std::string& fileName, bool tutorial);
  // The options of the game PlayClick is starting; the song's best before it.
  void BeginRecordedGame(const TGameOptions& options);
  void GameEnded(int good, int bad, int maxCombo);
  void BuildTimingMenu();
  void CreateLibrary();
  // The refresh of the song folders once the window is on screen.
  void StartLibraryRefresh();
  void DestroyLibrary();
  void StopSongPreview();
  void CreateBarInputs();
  // Every frame: the mouse's hand-over, the keys' and the pads' state, and
  // the distance each input moved the bar during the game.
  void PollBarInputs();
  void BuildPractice();
  // Panel 0 and the progress strip in a practice game.
  void UpdatePracticeStatus();
  // The game that ended was a practice game: its record says so.
  void MarkPracticeRecord();
  // The window went to the background: pause when the player asked for it.
  void PauseWhenInactive();
  void UpdateStatusReadouts();
  QString ChooseSongFile();
  static QStringList LocalFiles(const QMimeData* mime);

  std::unique_ptr<TExtendedSettings> m_extendedSettings;
  std::unique_ptr<TGameLanguage> m_language;
  std::unique_ptr<TMainMenu> m_menu;
  std::unique_ptr<TSoundMenu> m_soundMenu;
  std::unique_ptr<TLanguageMenu> m_languageMenu;
  TDrawArea* m_drawArea = nullptr;
  TStatusBar* m_statusBar = nullptr;
  QTimer m_framerateTimer;
  std::unique_ptr<TIdleDriver> m_idle;
  TCursorPublisher* m_cursor = nullptr;
  std::unique_ptr<TBarMotion> m_barMotion;
  TBarKeys* m_barKeys = nullptr;  // owned by Qt's object tree
  std::unique_ptr<TGamepad> m_gamepad;
  // While a controller is plugged in, SDL is asked for its events more often
  // than the frames come, so that the pad's changes carry their own moments.
  QTimer m_padTimer;
  QAction* m_controlsItem = nullptr;
  std::array<double, 3> m_barTravelPx{};  // by TBarInput, in the game last started
  int m_lastBarX = 0;
  std::unique_ptr<TFormOwnerWindow> m_ownerWindow;
  std::unique_ptr<TGameGraphics> m_graphics;
  std::unique_ptr<TPlayField> m_playField;
  int m_barHalfWidth = kBaseBarHalfWidth;  // of the game last started
  int m_offsetMs = 0;                      // of the game last started
  double m_gameDifficulty = -1.0;          // of the game last started
  TTimingMenu m_timingMenu;
  std::unique_ptr<TMidiPlayV> m_ownPlayer;
  std::unique_ptr<TSequencerPlayer> m_ownPlayerAdapter;
  TWindowPlayer* m_player = nullptr;
  std::function<QString()> m_chooseFile;
  // The song opened last (empty: none yet): the Open dialog starts in its folder.
  QString m_lastSongFile;
  QString m_hint;
  int m_playCount = 0;
  std::unique_ptr<TGameRecorder> m_recorder;
  std::unique_ptr<TRecordsMenu> m_recordsMenu;
  TRecordsWindow* m_recordsWindow = nullptr;  // a child window, owned by Qt's object tree
  std::optional<TSongSummary> m_bestBeforeGame;  // of the song of the game last started
  std::unique_ptr<TViewMenu> m_viewMenu;
  bool m_watchingScreen = false;  // screen changes reach the view menu
  QTimer m_farewell;
  bool m_farewellHeard = false;
  TPracticeMode* m_practice = nullptr;  // a child of the window
  bool m_practiceTextShown = false;     // status panel 0 shows the practice text
  int m_playDeviceId = kMidiMapperDevice;  // the device the game plays through now
  std::unique_ptr<TSongLibrary> m_songLibrary;
  std::unique_ptr<TLibraryMenu> m_libraryMenu;
  std::unique_ptr<TSongPreview> m_songPreview;
  TLibraryWindow* m_libraryWindow = nullptr;  // a child window, owned by Qt's object tree
  bool m_libraryRefreshStarted = false;
};
