#include "game/sound/sound_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QFileInfo>
#include <QMenu>

#include <filesystem>

#include "game/core/extended_settings.h"
#include "game/menus/main_menu.h"
#include "game/sequencer/play_device.h"
#include "game/app/file_dialog.h"
#include "game/app/tr.h"
#include "game/core/translatable.h"
#include "platform/audio/audio_engine.h"
#include "platform/audio/audio_stream.h"
#include "platform/kernel/cp932.h"
#include "platform/ui/application.h"
#include "platform/winmm/midi_out_ports.h"
#include "platform/winmm/mmsystem.h"

namespace {

constexpr int kLoadPollMs = 20;
// A lost audio output is looked for this often (opening a stream probes every
// device, which holds up the window a moment).
constexpr int kOutputWatchMs = 3000;
constexpr float kPercent = 100.0f;

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }
std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

struct TVolumeTexts {
  const char* caption;
  const char* musicHint;
  const char* voiceHint;
};

// The hints, in Rufuna's words, beside each step of VolumeSteps().
const TVolumeTexts kVolumeTexts[] = {
    {"100%", "曲をいつもの音量で鳴らすよ。", "私の声をいつもの大きさで聞かせるよ。"},
    {"75%", "曲の音量をちょっとだけ下げるよ。", "私の声をちょっとだけ小さくするよ。"},
    {"50%", "曲の音量を半分にするよ。", "私の声を半分の大きさにするよ。"},
    {"25%", "曲の音量をうんと小さくするよ。", "私の声をひそひそ声にするよ。"},
    {"0%", "曲の音を消すよ。ちょっとさびしいね。", "私の声を消すよ。できれば聞いてほしいけど。"},
};

// Whether the two paths name one file (links followed); false for an empty one.
bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code error;
  return a == b || std::filesystem::equivalent(a, b, error);
}

// The status line when the chosen MIDI output cannot be opened.
QString MidiOutputUnusableText(const std::string& name) {
  return Tr(StatusText("MIDI出力「%1」が使えないから、内蔵シンセで鳴らすね。"))
      .arg(TSoundMenu::StatusName(FromUtf8(name)));
}

}  // namespace

QString TSoundMenu::StatusName(const QString& name) {
  if (name.size() <= kStatusNameLimit) return name;
  return name.left(kStatusNameLimit - 1) + QChar(0x2026);
}

const std::vector<int>& TSoundMenu::VolumeSteps() {
  static const std::vector<int> steps = {100, 75, 50, 25, 0};
  return steps;
}

void TSoundMenu::ApplyStartupSettings(const TExtendedSettings& settings) {
  TAudioEngineOptions options = TAudioEngine::GlobalOptions();
  const std::string soundFont = settings.String(kSoundFontSetting);
  if (!soundFont.empty()) {
    // A file that does not load is skipped: the usual ones follow it.
    std::erase(options.soundFontPaths, soundFont);
    options.soundFontPaths.insert(options.soundFontPaths.begin(), soundFont);
  }
  options.outputDeviceName = settings.String(kAudioOutputSetting);
  TAudioEngine::SetGlobalOptions(std::move(options));
}

TSoundMenu::TSoundMenu(TMainMenu& menu, TExtendedSettings& settings, TSoundMenuHost host)
    : m_menu(menu), m_settings(settings), m_host(std::move(host)) {
  m_chooseSoundFont = [this] {
    const QStringList starts{QString::fromStdString(m_settings.String(kSoundFontSetting)),
                             QStringLiteral("/usr/share/sounds/sf2")};
    TOpenFileDialog dialog(m_host.Parent, Tr("サウンドフォントを選んでね"), starts);
    dialog.setNameFilter(Tr("サウンドフォント (*.sf2 *.sf3)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
  };
  m_loadPoll.setInterval(kLoadPollMs);
  connect(&m_loadPoll, &QTimer::timeout, this, [this] { PollSoundFontLoad(); });
  m_outputWatch.setInterval(kOutputWatchMs);
  connect(&m_outputWatch, &QTimer::timeout, this, [this] { WatchOutput(); });
  m_outputWatch.start();

  QMenu* sound = m_menu.SoundMenu();
  BuildVolumeMenu(sound, true);
  BuildVolumeMenu(sound, false);
  sound->addSeparator();
  BuildSoundFontMenu(sound);
  BuildMidiOutputMenu(sound);
  BuildAudioOutputMenu(sound);
  m_menu.ShowFilledMenus();

  m_collectStartupLines = true;
  ReportAudioOutputState();
  ApplyMidiOutputAtStart();
  m_collectStartupLines = false;
  if (!m_startupLines.isEmpty()) ShowStatusLine(m_startupLines.join(QStringLiteral("　")));
}

TSoundMenu::~TSoundMenu() {
  m_loadPoll.stop();
  m_outputWatch.stop();
  // A load still running finishes before the loader goes; what it loaded is
  // freed with it.
}

// ---- volumes ----

void TSoundMenu::BuildVolumeMenu(QMenu* parent, bool music) {
  QMenu* submenu = music ? m_menu.AddSubmenu(parent, "MusicVolume", QStringLiteral("音楽の音量"),
                                           QStringLiteral("曲の音量を変えられるよ。"))
                         : m_menu.AddSubmenu(parent, "VoiceVolume", QStringLiteral("ボイスの音量"),
                                           QStringLiteral("私の声の大きさを変えられるよ。"));
  // A value out of range or unreadable gives the full volume.
  const int percent = m_settings.Integer(music ? kMusicVolumeSetting : kVoiceVolumeSetting);
  QActionGroup* group = m_menu.NewRadioGroup();
  for (size_t i = 0; i < VolumeSteps().size(); ++i) {
    const int step = VolumeSteps()[i];
    const std::string name = std::string(music ? "MusicVolume" : "VoiceVolume") + std::to_string(step);
    const TVolumeTexts& texts = kVolumeTexts[i];
    QAction* item = m_menu.AddRadio(submenu, group, name.c_str(), QString::fromUtf8(texts.caption),
                                  QString::fromUtf8(music ? texts.musicHint : texts.voiceHint), step == percent);
    connect(item, &QAction::triggered, this, [this, music, step] {
      ApplyVolume(music, step);
      m_settings.SetInteger(music ? kMusicVolumeKey : kVoiceVolumeKey, step);
    });
  }
  ApplyVolume(music, percent);
}

void TSoundMenu::ApplyVolume(bool music, int percent) {
  const float volume = static_cast<float>(percent) / kPercent;
  if (music) {
    TAudioEngine::Global().SetMusicVolume(volume);
  } else {
    TAudioEngine::Global().SetVoiceVolume(volume);
  }
}

// ---- shared by the device lists ----

void TSoundMenu::CheckByData(QActionGroup* group, const QString& value) {
  for (QAction* item : group->actions()) {
    if (item->data().toString() == value) {
      item->setChecked(true);
      return;
    }
  }
  if (QAction* checked = group->checkedAction()) checked->setChecked(false);
}

QAction* TSoundMenu::AddDeviceItem(QMenu* menu, QActionGroup* group, const char* namePrefix, int& count,
                                   const QString& value, const QString& caption, const QString& hint) {
  for (QAction* item : group->actions()) {
    if (item->data().toString() == value) return nullptr;
  }
  const std::string name = namePrefix + std::to_string(++count);
  // A file or device name reads the same in every language.
  QAction* item = m_menu.AddNameRadio(menu, group, name.c_str(), caption, hint, false);
  item->setData(value);
  return item;
}

void TSoundMenu::ShowStatusLine(const QString& text) {
  // At start-up several lines may come together: each one stays readable.
  if (m_collectStartupLines) {
    m_startupLines.append(text);
    return;
  }
  if (m_host.ShowStatusLine) m_host.ShowStatusLine(text);
}

// ---- SoundFont ----

void TSoundMenu::BuildSoundFontMenu(QMenu* parent) {
  m_soundFontMenu = m_menu.AddSubmenu(parent, "SoundFont", QStringLiteral("サウンドフォント"),
                                    QStringLiteral("曲を鳴らす音色のセットを選べるよ。"));
  m_menu.AddIdleOnly(m_soundFontMenu->menuAction());
  m_soundFontGroup = m_menu.NewRadioGroup();
  m_soundFontFileItem = m_menu.AddCommand(m_soundFontMenu, "SoundFontFile", QStringLiteral("ファイルから選ぶ..."),
                                        QStringLiteral("サウンドフォントのファイルを自分で選べるよ。"));
  connect(m_soundFontFileItem, &QAction::triggered, this, [this] {
    const QString path = m_chooseSoundFont ? m_chooseSoundFont() : QString();
    if (!path.isEmpty()) ChooseSoundFont(path);
  });
  m_soundFontMenu->addSeparator();
  RefreshSoundFonts();
  connect(m_soundFontMenu, &QMenu::aboutToShow, this, [this] { RefreshSoundFonts(); });
}

void TSoundMenu::RefreshSoundFonts() {
  std::vector<std::string> files = FindSoundFonts(SoundFontFolders());
  // The font in use is listed once, under the name the folder lists it by
  // (default-GM.sf2 is a link to FluidR3_GM.sf2).
  std::string inUse = TAudioEngine::Global().SoundFontPath();
  const auto listed = std::find_if(files.begin(), files.end(), [&](const std::string& f) { return SameFile(f, inUse); });
  if (listed != files.end()) {
    inUse = *listed;
  } else if (!inUse.empty()) {
    files.push_back(inUse);
  }
  for (const std::string& file : files) {
    const QString path = FromUtf8(file);
    QAction* item = AddDeviceItem(m_soundFontMenu, m_soundFontGroup, "SoundFont", m_soundFontItems, path,
                                  QFileInfo(path).fileName(), QStringLiteral("このサウンドフォントで曲を鳴らすよ。"));
    if (item == nullptr) continue;
    connect(item, &QAction::triggered, this, [this, item] {
      ChooseSoundFont(item->data().toString());
      // The mark moves once the file has loaded.
      CheckByData(m_soundFontGroup, FromUtf8(TAudioEngine::Global().SoundFontPath()));
    });
  }
  CheckByData(m_soundFontGroup, FromUtf8(inUse));
}

bool TSoundMenu::ChooseSoundFont(const QString& path) {
  // The font already playing is not loaded again.
  if (SameFile(ToUtf8(path), TAudioEngine::Global().SoundFontPath())) return true;
  if (!m_soundFontSwap.Start(ToUtf8(path))) return false;
  ShowStatusLine(Tr(StatusText("サウンドフォントを読み込んでいるよ。ちょっと待ってね。")));
  m_loadPoll.start();
  return true;
}

void TSoundMenu::PollSoundFontLoad() {
  switch (m_soundFontSwap.Poll(Playing())) {
    case TSoundFontSwap::TReport::Waiting:
      return;
    case TSoundFontSwap::TReport::Failed: {
      m_loadPoll.stop();
      const QString text = Tr("サウンドフォント「%1」は読み込めなかったよ。今までの音色のままにしておくね。")
                               .arg(FromUtf8(m_soundFontSwap.Path()));
      Application().ShowMessageBox(Utf8ToCp932(ToUtf8(text)), Utf8ToCp932(ToUtf8(Tr("サウンドフォント"))),
                                   MB_OK | MB_ICONWARNING);
      ShowStatusLine(QString());
      return;
    }
    case TSoundFontSwap::TReport::Swapped:
      break;
  }
  m_loadPoll.stop();
  m_settings.SetString(kSoundFontKey, m_soundFontSwap.Path());
  // Without a SoundFont at start the built-in synthesizer could not open:
  // now it can.
  if (m_soundFontSwap.ReplacedNone() && m_midiOutput.empty()) UsePlayDevice(kMidiMapperDevice);
  RefreshSoundFonts();
  ShowStatusLine(Tr(StatusText("サウンドフォントを切り替えたよ。")));
}

// ---- MIDI output ----

void TSoundMenu::BuildMidiOutputMenu(QMenu* parent) {
  m_midiMenu = m_menu.AddSubmenu(parent, "MidiOutput", QStringLiteral("MIDI出力"),
                               QStringLiteral("曲を鳴らす音源を選べるよ。外の音源もつなげるよ。"));
  m_menu.AddIdleOnly(m_midiMenu->menuAction());
  m_midiGroup = m_menu.NewRadioGroup();
  QAction* builtIn = m_menu.AddRadio(m_midiMenu, m_midiGroup, "MidiOutputBuiltIn", QStringLiteral("内蔵シンセサイザー"),
                                   QStringLiteral("ゲームに入っているシンセサイザーで鳴らすよ。"), true);
  builtIn->setData(QString());
  connect(builtIn, &QAction::triggered, this, [this] { ChooseMidiOutput(std::string()); });
  m_midiMenu->addSeparator();
  RefreshMidiOutputs();
  connect(m_midiMenu, &QMenu::aboutToShow, this, [this] { RefreshMidiOutputs(); });
}

void TSoundMenu::RefreshMidiOutputs() {
  const std::vector<std::string> ports = SystemMidiOutPortNames();
  for (const std::string& port : ports) {
    QAction* item = AddDeviceItem(m_midiMenu, m_midiGroup, "MidiOutput", m_midiItems, FromUtf8(port), FromUtf8(port),
                                  QString::fromUtf8(Translatable("このMIDI出力に曲を送るよ。")));
    if (item == nullptr) continue;
    connect(item, &QAction::triggered, this, [this, item] { ChooseMidiOutput(ToUtf8(item->data().toString())); });
  }
  // A port that has gone stays in the list (its item may come back) but cannot be chosen.
  for (QAction* item : m_midiGroup->actions()) {
    const std::string name = ToUtf8(item->data().toString());
    if (!name.empty()) item->setVisible(std::find(ports.begin(), ports.end(), name) != ports.end());
  }
  CheckByData(m_midiGroup, FromUtf8(m_midiOutput));
}

void TSoundMenu::ChooseMidiOutput(const std::string& name) {
  const int device = name.empty() ? kMidiMapperDevice : MidiOutDeviceIdByName(name);
  if (!name.empty() && (device < 0 || !UsePlayDevice(device))) {
    UsePlayDevice(kMidiMapperDevice);
    m_midiOutput.clear();
    ShowStatusLine(MidiOutputUnusableText(name));
  } else {
    if (name.empty()) UsePlayDevice(kMidiMapperDevice);
    m_midiOutput = name;
    m_settings.SetString(kMidiOutputKey, name);
  }
  CheckByData(m_midiGroup, FromUtf8(m_midiOutput));
}

void TSoundMenu::ApplyMidiOutputAtStart() {
  const std::string name = m_settings.String(kMidiOutputSetting);
  if (name.empty()) return;
  const int device = MidiOutDeviceIdByName(name);
  if (device >= 0 && UsePlayDevice(device)) {
    m_midiOutput = name;
  } else {
    // The setting stays: the port may be there again next time.
    UsePlayDevice(kMidiMapperDevice);
    ShowStatusLine(MidiOutputUnusableText(name));
  }
  CheckByData(m_midiGroup, FromUtf8(m_midiOutput));
}

void TSoundMenu::BeforeGameStart() {
  if (m_midiOutput.empty()) return;
  const std::vector<std::string> ports = SystemMidiOutPortNames();
  if (std::find(ports.begin(), ports.end(), m_midiOutput) != ports.end()) return;
  const QString gone = FromUtf8(m_midiOutput);
  UsePlayDevice(kMidiMapperDevice);
  m_midiOutput.clear();
  CheckByData(m_midiGroup, QString());
  ShowStatusLine(Tr(StatusText("MIDI出力「%1」がなくなったから、内蔵シンセで鳴らすね。")).arg(StatusName(gone)));
}

// ---- audio output ----

void TSoundMenu::BuildAudioOutputMenu(QMenu* parent) {
  m_audioMenu = m_menu.AddSubmenu(parent, "AudioOutput", QStringLiteral("オーディオ出力"),
                                QStringLiteral("音を出す機械を選べるよ。"));
  m_menu.AddIdleOnly(m_audioMenu->menuAction());
  m_audioGroup = m_menu.NewRadioGroup();
  QAction* standard = m_menu.AddRadio(m_audioMenu, m_audioGroup, "AudioOutputDefault", QStringLiteral("既定"),
                                    QStringLiteral("いつもの出力から音を出すよ。"), true);
  standard->setData(QString());
  connect(standard, &QAction::triggered, this, [this] { ChooseAudioOutput(std::string()); });
  m_audioMenu->addSeparator();
  // The devices are asked for when the menu opens: probing them takes a moment.
  connect(m_audioMenu, &QMenu::aboutToShow, this, [this] { RefreshAudioOutputs(); });
  const std::string chosen = m_settings.String(kAudioOutputSetting);
  if (!chosen.empty() && !TAudioEngine::Global().OutputFellBack()) {
    if (QAction* item = AddDeviceItem(m_audioMenu, m_audioGroup, "AudioOutput", m_audioItems, FromUtf8(chosen),
                                      FromUtf8(chosen), QString::fromUtf8(Translatable("この機械から音を出すよ。")))) {
      connect(item, &QAction::triggered, this, [this, chosen] { ChooseAudioOutput(chosen); });
    }
    CheckByData(m_audioGroup, FromUtf8(chosen));
  }
}

void TSoundMenu::RefreshAudioOutputs() {
  for (const std::string& device : TAudioStream::OutputDeviceNames()) {
    QAction* item = AddDeviceItem(m_audioMenu, m_audioGroup, "AudioOutput", m_audioItems, FromUtf8(device),
                                  FromUtf8(device), QString::fromUtf8(Translatable("この機械から音を出すよ。")));
    if (item == nullptr) continue;
    connect(item, &QAction::triggered, this, [this, item] { ChooseAudioOutput(ToUtf8(item->data().toString())); });
  }
}

void TSoundMenu::ChooseAudioOutput(const std::string& name) {
  TAudioEngine& engine = TAudioEngine::Global();
  engine.ReopenOutput(name);
  m_settings.SetString(kAudioOutputKey, name);
  CheckByData(m_audioGroup, engine.OutputFellBack() ? QString() : FromUtf8(name));
  ReportAudioOutputState();
}

void TSoundMenu::WatchOutput() {
  TAudioEngine& engine = TAudioEngine::Global();
  // A new stream settles for a moment before it plays: not in the middle of a game.
  const bool mayReopen = !Playing() && !SoundFontLoading();
  const auto reopen = [&] { return engine.ReopenOutput(m_settings.String(kAudioOutputSetting)); };
  // An output that never opened (no sound server yet at start-up) is looked
  // for in the same way as one that was lost, once a sound system is there.
  const bool neverOpened = engine.OutputFailed() && TAudioStream::SoundSystemPresent();
  switch (m_reconnect.Watch(std::chrono::steady_clock::now(), engine.StreamLost() || neverOpened, mayReopen, reopen)) {
    case TOutputReconnect::TReport::None:
      break;
    case TOutputReconnect::TReport::Lost:
      // Without sound from the start the player has been told so already.
      if (!neverOpened) {
        ShowStatusLine(Tr(StatusText("オーディオ出力が音を受け取らなくなっちゃった。戻ってきたら、つなぎ直すね。")));
      }
      break;
    case TOutputReconnect::TReport::Reconnected:
      ShowStatusLine(Tr(StatusText("オーディオ出力が戻ってきたから、つなぎ直したよ。")));
      break;
    case TOutputReconnect::TReport::GaveUp:
      ReportAudioOutputState();
      break;
  }
}

bool TSoundMenu::Playing() const { return m_host.Playing && m_host.Playing(); }

bool TSoundMenu::UsePlayDevice(int deviceId) { return m_host.UsePlayDevice && m_host.UsePlayDevice(deviceId); }

void TSoundMenu::ReportAudioOutputState() {
  TAudioEngine& engine = TAudioEngine::Global();
  if (engine.OutputFailed()) {
    ShowStatusLine(Tr(StatusText("音を出せる機械が見つからないから、今日は音なしで遊んでね。")));
  } else if (engine.OutputFellBack()) {
    ShowStatusLine(Tr(StatusText("選んだオーディオ出力が開けなかったから、いつもの出力で鳴らすね。")));
  }
}
