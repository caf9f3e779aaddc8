#include "game/pluvionaut1/pluvionaut1.h"

#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QWindow>

#include <utility>

#include "game/core/bar_motion.h"
#include "game/input/bar_keys.h"
#include "game/input/gamepad.h"
#include "game/pluvionaut1/cursor_publisher.h"
#include "game/view/draw_area.h"
#include "game/core/extended_settings.h"
#include "game/pluvionaut1/form_font.h"
#include "game/pluvionaut1/form_owner_window.h"
#include "game/frame/game_graphics.h"
#include "game/frame/play_field.h"
#include "game/app/idle_driver.h"
#include "game/language/language_menu.h"
#include "game/library/library_menu.h"
#include "game/library/song_library.h"
#include "game/library/song_preview.h"
#include "game/frame/frame_text.h"
#include "game/play_records/game_recorder.h"
#include "game/pluvionaut1/open_song.h"
#include "game/core/random.h"
#include "game/play_records/records_menu.h"
#include "game/play_records/records_window.h"
#include "game/sequencer/midi_play_v.h"
#include "game/sequencer/sequencer_player.h"
#include "game/menus/option_settings.h"
#include "game/sound/sound_menu.h"
#include "game/pluvionaut1/status_bar.h"
#include "game/view/view_menu.h"
#include "game/app/tr.h"
#include "game/core/voice_cues.h"
#include "game/menus/disabled_item_hints.h"
#include "game/sequencer/window_player.h"
#include "platform/kernel/cp932.h"
#include "platform/kernel/paths.h"
#include "platform/kernel/profile.h"
#include "platform/ui/application.h"

namespace {

constexpr int kFormLeft = 152;
constexpr int kFormTop = 160;
constexpr int kFramerateIntervalMs = 1000;

}  // namespace

TForm1::TForm1(QWidget* parent, int playDevice) : QMainWindow(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromLatin1(kApplicationTitle));
  // A single fixed frame with minimise and the system menu (close) only.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

  m_extendedSettings = std::make_unique<TExtendedSettings>(SettingsFilePath());
  // The language first, so that every text is made in it.
  InstallLanguage();
  menuBar()->setNativeMenuBar(false);
  m_menu = std::make_unique<TMainMenu>(menuBar());
  // A fresh file starts with the designed section, whatever is changed first.
  m_extendedSettings->SetBeforeNewFile([this] {
    TIniFile ini(SettingsFilePath());
    WriteOptionSettings(*m_menu, ini);
  });
  // Menus are windows of their own; let them take the form's font too.
  for (QMenu* menu : menuBar()->findChildren<QMenu*>()) menu->setAttribute(Qt::WA_WindowPropagation, true);
  setFont(FormFont());

  m_drawArea = new TDrawArea(this);
  setCentralWidget(m_drawArea);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  // Sized now, not at the first show: the device wrapper reads the outer size
  // while the window is being created.
  layout()->activate();
  // The status bar lies over the drawing's bottom rows, as a child of it, so
  // it adds nothing to the window's height.
  m_statusBar = new TStatusBar(m_drawArea);
  m_cursor = new TCursorPublisher(m_drawArea);
  // The mouse's x goes to the judgement; a mouse moved far enough takes the
  // bar back from the keys or the pad.
  m_barMotion = std::make_unique<TBarMotion>();
  m_cursor->SetListener([this](int x) {
    Application().PublishCursorClientX(x);
    m_barMotion->MouseMoved(x);
  });
  // A magnified picture: the cursor over it is a point of the play field.
  m_cursor->SetToPlayField([area = m_drawArea](double x) { return area->PlayFieldX(x); });
  m_drawArea->SetBottomOverlay(m_statusBar, kStatusBarHeight);
  m_ownerWindow = std::make_unique<TFormOwnerWindow>(this, m_drawArea);
  RegisterPresentTarget(m_ownerWindow->Handle(), m_drawArea);

  m_framerateTimer.setObjectName(QStringLiteral("FramerateTimer"));
  m_framerateTimer.setInterval(kFramerateIntervalMs);
  connect(&m_framerateTimer, &QTimer::timeout, this, [this] { FramerateTimerTimer(); });

  m_farewell.setSingleShot(true);
  connect(&m_farewell, &QTimer::timeout, this, [this] { FarewellEnded(); });

  ConnectMenuHandlers();
  TSoundMenu::ApplyStartupSettings(*m_extendedSettings);
  BuildTimingMenu();
  BuildPractice();
  FormCreate(playDevice);
  CreateBarInputs();
  TSoundMenuHost soundHost;
  soundHost.Parent = this;
  soundHost.Playing = [this] { return Playing(); };
  soundHost.UsePlayDevice = [this](int deviceId) { return UsePlayDevice(deviceId); };
  soundHost.ShowStatusLine = [this](const QString& text) { m_statusBar->SetPanelText(kHintPanel, text); };
  m_soundMenu = std::make_unique<TSoundMenu>(*m_menu, *m_extendedSettings, std::move(soundHost));
  // The device made its 640 x 480 frames; now the window may grow.
  m_viewMenu = std::make_unique<TViewMenu>(*m_menu, *m_extendedSettings, this, m_drawArea);
  WatchScreen();
  new TDisabledItemHints(this);

  m_framerateTimer.start();
  Application().SetIdleHandler([this](void* sender, bool& done) { ApplicationEvents1Idle(sender, done); });
  m_idle = std::make_unique<TIdleDriver>([this](bool& done) { done = Application().RunIdleHandler(this); });
  // Last of the view menu's items.
  BuildLanguageMenu();
}

TForm1::~TForm1() {
  m_farewell.stop();
  DestroyLibrary();
  // FormDestroy: the idle driver goes first so no frame runs on a half
  // destroyed window; then the sequencer's ports close (which saves a play
  // count still unsaved) and the sequencer goes.
  m_idle.reset();
  Application().SetIdleHandler(nullptr);
  m_framerateTimer.stop();
  m_soundMenu.reset();
  // The keys' filter and the cursor's listener refer to the bar's motion,
  // which goes before Qt deletes the children.
  delete m_barKeys;
  m_barKeys = nullptr;
  m_cursor->SetListener([](int x) { Application().PublishCursorClientX(x); });
  m_padTimer.stop();
  m_gamepad.reset();
  if (m_ownPlayer) {
    m_ownPlayer->OnGameEnd = nullptr;
    m_ownPlayer->ClosePorts();
  }
  m_player = nullptr;
  m_ownPlayerAdapter.reset();
  m_ownPlayer.reset();
  // The drawing goes before the wrapper that its textures belong to.
  m_playField.reset();
  m_graphics.reset();
  UnregisterPresentTarget(m_ownerWindow->Handle(), m_drawArea);
}

TOwnerWindow& TForm1::OwnerWindow() { return *m_ownerWindow; }

void TForm1::FormCreate(int playDevice) {
  move(kFormLeft, kFormTop);
  // The device wrapper in window mode on the drawing, the scene, the
  // textures and the text writer; a missing picture leaves its texture empty.
  m_graphics = std::make_unique<TGameGraphics>(m_ownerWindow.get());
  m_playField = std::make_unique<TPlayField>(*m_graphics);
  CreatePlayer(playDevice);
  m_playDeviceId = playDevice;
  CreateRecords();
  CreateLibrary();
  LoadTutorial();
  m_playField->TutorialLines = Memo1;
  m_playField->ScenarioLines = Memo2;
  {
    // The play count moves to the sequencer, which reads it when created.
    const TIniFile ini(SettingsFilePath());
    m_playCount = ReadPlayCount(ini);
    // VoiceOFF ends up the opposite of VoiceON.
    ReadOptionSettings(*m_menu, ini);
  }
  Randomize();
  const std::string greeting = GreetingVoice(m_menu->Checked("VoiceON"), PlayCount());
  if (!greeting.empty()) PlayVoiceLine(greeting);
  m_menu->ApplyVisibility(PlayCount());
  setAcceptDrops(m_menu->OpenVisible());
  // The graphics showed the window before the menu knew the play count:
  // the library's refresh, which waits for Open, is started here as well.
  if (isVisible()) StartLibraryRefresh();
}

void TForm1::CreatePlayer(int playDevice) {
  // The sequencer reads the play count from the settings file as it is made.
  m_ownPlayer = std::make_unique<TMidiPlayV>(this);
  m_ownPlayer->BarMotion = m_barMotion.get();
  m_ownPlayerAdapter = std::make_unique<TSequencerPlayer>(*m_ownPlayer);
  m_player = m_ownPlayerAdapter.get();
  m_ownPlayer->AddPlayDevice(playDevice);
  // A port that does not open is skipped: the game then runs silently.
  m_ownPlayer->OpenPorts();
}

bool TForm1::UsePlayDevice(int deviceId) {
  const bool used = m_player != nullptr && m_player->UsePlayDevice(deviceId);
  // Where the game plays now: the device, or the mapper in its place.
  m_playDeviceId = used ? deviceId : kMidiMapperDevice;
  return used;
}

void TForm1::LoadTutorial() {
  LoadScripts();
  try {
    if (m_player == nullptr) throw std::runtime_error("no sequencer to load the tutorial song into");
    m_player->LoadFromFile(TranslatePath(kTutorialSongFile));
    m_player->Seek(0);
    RecordSong(TranslatePath(kTutorialSongFile), true);
  } catch (const std::exception& error) {
    // Without the tutorial song there is nothing to play until a file is
    // opened, and opening unlocks only after a game: say so once, leave Play
    // off and start up all the same.
    m_menu->Item("Play")->setEnabled(false);
    Application().ShowMessageBox(Utf8ToCp932(TutorialSongMissingText(error.what()).toStdString()),
                                 Utf8ToCp932(Tr(LoadErrorCaption()).toStdString()), MB_OK | MB_ICONERROR);
  }
  // The tutorial stays until a song is opened, also when its song is missing.
  TutorialSong = true;
}

bool TForm1::FormCloseQuery() {
  // A farewell that could not be played (no voice file) is not waited for.
  if (TutorialSong && m_menu->Checked("VoiceON") && PlayVoiceLine(kFarewellVoice)) {
    // The farewell is heard to its end before the window goes. The loop
    // keeps running (a window that stops answering for six seconds is
    // flagged as hung by the desktop), but the window takes no input; the
    // close is asked again when the line has ended.
    setEnabled(false);
    m_farewell.start(kFarewellWaitMs);
    return false;
  }
  return true;
}

void TForm1::FarewellEnded() {
  setEnabled(true);
  m_farewellHeard = true;
  close();
}

void TForm1::FormClose() {
  TIniFile ini(SettingsFilePath());
  WriteOptionSettings(*m_menu, ini);
  m_extendedSettings->WriteAll();
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (m_farewell.isActive()) {
    // The farewell is playing: this request joins the one that started it.
    event->ignore();
    return;
  }
  // Asked again at the farewell's end: the query was answered then.
  const bool heard = std::exchange(m_farewellHeard, false);
  if (!heard && !FormCloseQuery()) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

void TForm1::WatchScreen() {
  // The window system's window exists once the form has been shown (which
  // FormCreate may already have done): from then on a move to another screen
  // lays the window out again for that screen.
  if (m_watchingScreen || m_viewMenu == nullptr || windowHandle() == nullptr) return;
  m_watchingScreen = true;
  connect(windowHandle(), &QWindow::screenChanged, this, [this] { m_viewMenu->ScreenChanged(); });
}

bool TForm1::event(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && m_viewMenu) {
    m_viewMenu->WindowStateChanged(windowState().testFlag(Qt::WindowFullScreen));
  }
  if (event->type() == QEvent::Show) {
    WatchScreen();
    StartLibraryRefresh();
  }
  // Menu items report their hints as status tips; they become the
  // application's hint, shown by DisplayHint.
  if (event->type() == QEvent::StatusTip) {
    const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    if (tip != m_hint) {
      m_hint = tip;
      Application().SetHint(Utf8ToCp932(tip.toStdString()));
      DisplayHint(m_hint);
    }
    return true;
  }
  if (event->type() == QEvent::WindowDeactivate) PauseWhenInactive();
  return QMainWindow::event(event);
}

void TForm1::DisplayHint(const QString& hint) { m_statusBar->SetPanelText(kHintPanel, hint); }

int TForm1::PlayCount() const { return m_player != nullptr ? m_player->PlayCount() : m_playCount; }

bool TForm1::Playing() const { return m_player != nullptr && m_player->Playing(); }

void TForm1::ConnectMenuHandlers() {
  connect(m_menu->Item("Open"), &QAction::triggered, this, [this] { OpenClick(); });
  connect(m_menu->Item("Exit1"), &QAction::triggered, this, [this] { Exit1Click(); });
  connect(m_menu->Item("Play"), &QAction::triggered, this, [this] { PlayClick(); });
  connect(m_menu->Item("Stop"), &QAction::triggered, this, [this] { StopClick(); });
  connect(m_menu->Item("ALLON"), &QAction::triggered, this, [this] { ALLONClick(); });
  connect(m_menu->Item("ALLOFF"), &QAction::triggered, this, [this] { ALLOFFClick(); });
}
