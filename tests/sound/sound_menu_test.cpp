// The サウンド menu on the real window: the volumes reach the audio engine at
// once and round-trip through the section 拡張設定, unusable values fall back
// to the defaults, a MIDI output that is not there gives way to the built-in
// synthesizer, and a SoundFont loads on its own thread (a broken file: one
// message box, the SoundFont in use stays).
#include "game/sound/sound_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "game/core/extended_settings.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/sequencer/midi_play_v.h"
#include "game/pluvionaut1/status_bar.h"
#include "game/core/voice_cues.h"
#include "platform/audio/audio_engine.h"
#include "platform/kernel/cp932.h"
#include "platform/kernel/paths.h"
#include "platform/ui/application.h"
#include "tests/support/qt_test_app.h"

namespace {

constexpr char kSmallSoundFont[] = "/usr/share/sounds/sf2/TimGM6mb.sf2";
// An upper bound for a load, counted in event-loop rounds, not in time.
constexpr int kMaxLoadRounds = 20'000'000;

class SoundMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    dir = std::filesystem::temp_directory_path() / ("pluv_sound_menu_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    iniPath = (dir / "pluvionaut.ini").string();
    std::filesystem::remove(iniPath);
    SetSettingsPathForTesting(iniPath);
    SetVoiceLineOutput([](const std::string&) { return false; });
    HeadlessApplication().ClearMessageBoxes();
  }
  void TearDown() override {
    form.reset();
    ResetVoiceLineOutput();
    std::filesystem::remove_all(dir);
  }
  // A settings file holding these lines of the section 拡張設定 (UTF-8 here, CP932 on disk).
  void WriteSettings(const std::string& lines) {
    std::ofstream out(iniPath, std::ios::binary);
    out << Utf8ToCp932("[拡張設定]\r\n" + lines);
  }
  void Open() { form = std::make_unique<TForm1>(); }
  TMainMenu& Menu() { return form->MainMenu1(); }
  TExtendedSettings Reread() const { return TExtendedSettings(iniPath); }
  void WaitForLoad() {
    for (int round = 0; round < kMaxLoadRounds && form->SoundMenu().SoundFontLoading(); ++round) {
      QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    ASSERT_FALSE(form->SoundMenu().SoundFontLoading());
  }

  std::filesystem::path dir;
  std::string iniPath;
  std::unique_ptr<TForm1> form;
};

TEST_F(SoundMenuTest, VolumesTakeEffectAtOnceAlsoDuringAGameAndAreWritten) {
  Open();
  EXPECT_TRUE(Menu().Checked("MusicVolume100"));
  EXPECT_TRUE(Menu().Checked("VoiceVolume100"));
  EXPECT_FLOAT_EQ(TAudioEngine::Global().MusicVolume(), 1.0f);
  EXPECT_TRUE(Menu().SoundMenu()->menuAction()->isVisible());
  for (int step : TSoundMenu::VolumeSteps()) {
    EXPECT_FALSE(Menu().Item("MusicVolume" + std::to_string(step))->statusTip().isEmpty());
    EXPECT_FALSE(Menu().Item("VoiceVolume" + std::to_string(step))->statusTip().isEmpty());
  }

  // While a game runs the volumes stay at hand; the device choices do not.
  Menu().ApplyPlayingState(true);
  EXPECT_TRUE(Menu().SoundMenu()->menuAction()->isEnabled());
  EXPECT_TRUE(Menu().Item("MusicVolume")->isEnabled());
  EXPECT_TRUE(Menu().Item("VoiceVolume")->isEnabled());
  EXPECT_FALSE(Menu().Item("SoundFont")->isEnabled());
  EXPECT_FALSE(Menu().Item("MidiOutput")->isEnabled());
  EXPECT_FALSE(Menu().Item("AudioOutput")->isEnabled());

  Menu().Item("MusicVolume25")->trigger();
  Menu().Item("VoiceVolume0")->trigger();
  EXPECT_FLOAT_EQ(TAudioEngine::Global().MusicVolume(), 0.25f);
  EXPECT_FLOAT_EQ(TAudioEngine::Global().VoiceVolume(), 0.0f);
  EXPECT_TRUE(Menu().Checked("MusicVolume25"));
  EXPECT_FALSE(Menu().Checked("MusicVolume100"));
  // Written when chosen, not only at close.
  EXPECT_EQ(Reread().Integer(kMusicVolumeKey, -1, 0, 100), 25);
  EXPECT_EQ(Reread().Integer(kVoiceVolumeKey, -1, 0, 100), 0);
  Menu().ApplyPlayingState(false);
}

TEST_F(SoundMenuTest, StoredVolumesComeBackAndUnusableValuesFallBackToFull) {
  WriteSettings("音楽の音量=50\r\nボイスの音量=loud\r\n");
  Open();
  EXPECT_TRUE(Menu().Checked("MusicVolume50"));
  EXPECT_FLOAT_EQ(TAudioEngine::Global().MusicVolume(), 0.5f);
  EXPECT_TRUE(Menu().Checked("VoiceVolume100"));
  EXPECT_FLOAT_EQ(TAudioEngine::Global().VoiceVolume(), 1.0f);
  form.reset();

  WriteSettings("音楽の音量=250\r\nボイスの音量=75\r\n");
  Open();
  EXPECT_TRUE(Menu().Checked("MusicVolume100"));
  EXPECT_TRUE(Menu().Checked("VoiceVolume75"));
  EXPECT_FLOAT_EQ(TAudioEngine::Global().VoiceVolume(), 0.75f);
}

TEST_F(SoundMenuTest, MissingMidiOutputFallsBackToTheBuiltInSynthesizer) {
  WriteSettings("MIDI出力=No Such Synth:Port 0 128:0\r\n");
  Open();
  EXPECT_TRUE(Menu().Checked("MidiOutputBuiltIn"));
  // The name, as long as a line can quote it.
  const QString quoted = TSoundMenu::StatusName(QStringLiteral("No Such Synth:Port 0 128:0"));
  EXPECT_TRUE(quoted.startsWith(QStringLiteral("No Such Synth")));
  EXPECT_TRUE(form->StatusBar1()->PanelText(kHintPanel).contains(quoted));
  // The game still has its port: the built-in synthesizer's.
  ASSERT_NE(form->Player(), nullptr);
  ASSERT_EQ(form->Player()->PlayDevices.Count(), 1);
  EXPECT_EQ(form->Player()->PlayDevices.Items(0).DeviceId, -1);
  // The choice stays for a later start with the port back.
  EXPECT_EQ(Reread().String(kMidiOutputKey), "No Such Synth:Port 0 128:0");

  // Chosen from the menu, a name no port has changes nothing but the status line.
  form->SoundMenu().ChooseMidiOutput("Gone Too 129:0");
  EXPECT_TRUE(Menu().Checked("MidiOutputBuiltIn"));
  EXPECT_TRUE(form->StatusBar1()->PanelText(kHintPanel).contains(QStringLiteral("Gone Too")));
  EXPECT_EQ(Reread().String(kMidiOutputKey), "No Such Synth:Port 0 128:0");
  EXPECT_EQ(form->Player()->PlayDevices.Items(0).DeviceId, -1);
}

TEST_F(SoundMenuTest, BrokenSoundFontGivesOneMessageAndKeepsTheOneInUse) {
  Open();
  TAudioEngine& engine = TAudioEngine::Global();
  if (!engine.SynthesizerReady()) GTEST_SKIP() << "no General MIDI SoundFont installed";
  const std::string inUse = engine.SoundFontPath();
  const std::string broken = (dir / "broken.sf2").string();
  {
    std::ofstream out(broken, std::ios::binary);
    out << "RIFF\x10\x00\x00\x00sfbkLIST not really a SoundFont";
  }
  ASSERT_TRUE(form->SoundMenu().ChooseSoundFont(QString::fromStdString(broken)));
  EXPECT_TRUE(form->SoundMenu().SoundFontLoading());
  // A second choice while one loads is refused.
  EXPECT_FALSE(form->SoundMenu().ChooseSoundFont(QString::fromLatin1(kSmallSoundFont)));
  WaitForLoad();
  ASSERT_EQ(HeadlessApplication().MessageBoxes().size(), 1u);
  EXPECT_NE(Cp932ToUtf8(HeadlessApplication().MessageBoxes()[0].Text).find("broken.sf2"), std::string::npos);
  EXPECT_EQ(engine.SoundFontPath(), inUse);
  EXPECT_TRUE(engine.SynthesizerReady());
  EXPECT_FALSE(Reread().Has(kSoundFontKey));
}

TEST_F(SoundMenuTest, ChosenSoundFontReplacesTheOneInUseOnceLoadedAndIsKept) {
  Open();
  TAudioEngine& engine = TAudioEngine::Global();
  if (!engine.SynthesizerReady() || !std::filesystem::exists(kSmallSoundFont)) {
    GTEST_SKIP() << "the GM SoundFonts are not installed";
  }
  if (engine.SoundFontPath() == kSmallSoundFont) GTEST_SKIP() << "the small SoundFont is in use already";
  // The listed files include the small one.
  bool listed = false;
  for (QAction* item : Menu().Item("SoundFont")->menu()->actions()) {
    listed = listed || item->data().toString() == QString::fromLatin1(kSmallSoundFont);
  }
  EXPECT_TRUE(listed);
  ASSERT_TRUE(form->SoundMenu().ChooseSoundFont(QString::fromLatin1(kSmallSoundFont)));
  WaitForLoad();
  EXPECT_TRUE(HeadlessApplication().MessageBoxes().empty());
  EXPECT_EQ(engine.SoundFontPath(), kSmallSoundFont);
  EXPECT_EQ(Reread().String(kSoundFontKey), kSmallSoundFont);
  // The synthesizer swapped in plays: a note is heard in an offline render.
  if (!engine.StreamRunning()) {
    const std::uint8_t noteOn[] = {0x90, 60, 100};
    const auto now = TAudioEngine::TClock::now();
    ASSERT_TRUE(engine.SendMidi(noteOn, 3, now));
    std::vector<float> out(2 * 9600);
    ASSERT_TRUE(engine.RenderOffline(out.data(), 9600, now + engine.SchedulingDelay()));
    float peak = 0.0f;
    for (float v : out) peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.01f);
  }
}

TEST_F(SoundMenuTest, ToldOnceInPanelZeroWhenThereIsNoSound) {
  Open();
  const QString panel = form->StatusBar1()->PanelText(kHintPanel);
  if (TAudioEngine::Global().OutputFailed()) {
    EXPECT_TRUE(panel.contains(QStringLiteral("音なし"))) << panel.toStdString();
  } else {
    EXPECT_FALSE(panel.contains(QStringLiteral("音なし")));
  }
}

}  // namespace
