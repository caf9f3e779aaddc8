#include "game/pluvionaut1/pluvionaut1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDropEvent>
#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWindow>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "tests/support/fake_player.h"
#include "game/view/draw_area.h"
#include "game/core/random.h"
#include "game/pluvionaut1/status_bar.h"
#include "game/core/voice_cues.h"
#include "platform/kernel/cp932.h"
#include "platform/kernel/paths.h"
#include "platform/ui/application.h"
#include "tests/support/qt_test_app.h"

namespace {

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    dir = std::filesystem::temp_directory_path() / ("pluv_form_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    iniPath = (dir / "pluvionaut.ini").string();
    std::filesystem::remove(iniPath);
    SetSettingsPathForTesting(iniPath);
    SetVoiceLineOutput([this](const std::string& name) {
      voices.push_back(name);
      return false;  // as when the file is missing: nothing to wait for
    });
    HeadlessApplication().ClearMessageBoxes();
    form = std::make_unique<TForm1>();
  }
  void TearDown() override {
    form.reset();
    ResetVoiceLineOutput();
    std::filesystem::remove_all(dir);
  }
  std::vector<TRecordedMessageBox> Boxes() { return HeadlessApplication().MessageBoxes(); }

  TMainMenu& Menu() { return form->MainMenu1(); }
  QString Panel(int i) { return form->StatusBar1()->PanelText(i); }
  void Activate() {
    form->show();
    form->windowHandle()->requestActivate();
    QCoreApplication::processEvents();
  }
  bool RunFrame() {
    bool done = true;
    form->ApplicationEvents1Idle(form.get(), done);
    return done;
  }
  // Drags files over the window and drops them where it lets them in;
  // returns whether the window took the drag.
  bool Drop(const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
    return true;
  }

  std::filesystem::path dir;
  std::string iniPath;
  std::vector<std::string> voices;
  std::unique_ptr<TForm1> form;
  TFakePlayer player;
};

TEST_F(FormTest, WindowShape) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Pluvionaut"));
  EXPECT_EQ(form->centralWidget(), form->DrawArea());
  EXPECT_EQ(form->DrawArea()->size(), QSize(640, 480));
  EXPECT_EQ(form->DrawArea()->cursor().shape(), Qt::CrossCursor);
  EXPECT_EQ(form->DrawArea()->palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_EQ(form->pos(), QPoint(152, 160));
  // Not resizable, no maximise button.
  form->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_EQ(form->height(), form->menuBar()->height() + 480);
  EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowCloseButtonHint);
  // The status bar lies over the drawing's last 19 rows.
  EXPECT_EQ(form->StatusBar1()->parentWidget(), form->DrawArea());
  EXPECT_EQ(form->StatusBar1()->geometry(), QRect(0, 461, 640, 19));
  EXPECT_EQ(form->FramerateTimer().interval(), 1000);
  EXPECT_TRUE(form->FramerateTimer().isActive());
}

TEST_F(FormTest, MenusUseAnInstalledJapaneseFace) {
  EXPECT_EQ(QFontInfo(form->font()).family(), QStringLiteral("IPAPGothic"));
  EXPECT_EQ(QFontInfo(form->font()).pixelSize(), 12);
  auto* option = form->menuBar()->findChild<QMenu*>(QStringLiteral("Option"));
  ASSERT_NE(option, nullptr);
  EXPECT_EQ(QFontInfo(option->font()).family(), QStringLiteral("IPAPGothic"));
}

TEST_F(FormTest, HoveredItemsShowTheirHintInPanelZero) {
  QAction* play = Menu().Item("Play");
  play->showStatusText(form->menuBar());
  EXPECT_EQ(Panel(kHintPanel), QStringLiteral("ゲームを始めるよ。"));
  EXPECT_EQ(form->Hint(), QStringLiteral("ゲームを始めるよ。"));
  EXPECT_EQ(Application().Hint(), Utf8ToCp932("ゲームを始めるよ。"));
  Menu().Item("barlengthinfinity")->showStatusText(form->menuBar());
  EXPECT_EQ(Panel(kHintPanel), QStringLiteral("バーの長さが無限大になるよ。"));
  // Leaving the items clears it.
  QStatusTipEvent leave{QString()};
  QCoreApplication::sendEvent(form->menuBar(), &leave);
  EXPECT_EQ(Panel(kHintPanel), QString());
}

TEST_F(FormTest, AFirstStartGreetsWithTheFirstLineAndFollowsTheDefaults) {
  EXPECT_EQ(voices, std::vector<std::string>{"wav\\OniichanA@08.wav"});
  EXPECT_TRUE(form->TutorialSong);
  EXPECT_EQ(form->PlayCount(), 0);
  EXPECT_FALSE(Menu().OpenVisible());
  EXPECT_FALSE(form->acceptDrops());
  EXPECT_TRUE(Menu().Checked("VoiceON"));
  EXPECT_FALSE(Menu().Checked("VoiceOFF"));
}

TEST_F(FormTest, AnInactiveWindowDrawsNothingButFollowsThePlayCount) {
  form->SetPlayer(nullptr);  // the count then comes from the window itself
  form->SetPlayCountWithoutPlayer(1);
  form->FrameCount = 5;
  EXPECT_TRUE(RunFrame());
  EXPECT_EQ(form->FrameCount, 5);
  EXPECT_TRUE(Menu().OpenVisible());
  EXPECT_TRUE(form->acceptDrops());
  form->SetPlayCountWithoutPlayer(0);
  RunFrame();
  EXPECT_FALSE(form->acceptDrops());
}

TEST_F(FormTest, AnActiveFrameUpdatesTheMenusAndTheReadouts) {
  Activate();
  ASSERT_TRUE(form->isActiveWindow());
  player.playing = true;
  player.playCount = 128;
  player.goodCount = 123;
  player.badCount = 6;
  player.bpm = 120.0;
  player.positionMs = 0;
  player.endTime = 123000;
  form->SetPlayer(&player);
  form->FrameCount = 0;
  EXPECT_FALSE(RunFrame());
  EXPECT_EQ(form->FrameCount, 1);
  EXPECT_FALSE(Menu().Item("Option")->isEnabled());
  EXPECT_TRUE(Menu().Item("Stop")->isEnabled());
  EXPECT_TRUE(Menu().Item("barlengthOption")->isVisible());
  EXPECT_EQ(Panel(kGoodPanel), QStringLiteral("Good 00123"));
  EXPECT_EQ(Panel(kBadPanel), QStringLiteral("Bad 00006"));
  EXPECT_EQ(Panel(kBpmPanel), QStringLiteral("BPM 120"));
  EXPECT_EQ(Panel(kTimePanel), QStringLiteral("0:00 / 2:03"));
  player.playing = false;
  RunFrame();
  EXPECT_TRUE(Menu().Item("Option")->isEnabled());
  EXPECT_FALSE(Menu().Item("Stop")->isEnabled());
  form->FrameCount = 2147483647;
  RunFrame();
  EXPECT_EQ(form->FrameCount, 2147483647);
  form->SetPlayer(nullptr);
}

TEST_F(FormTest, TheFrameRateTimerShowsAndClearsTheFrameCount) {
  form->FrameCount = 58;
  form->FramerateTimerTimer();
  EXPECT_EQ(Panel(kFrameRatePanel), QStringLiteral("58fps"));
  EXPECT_EQ(form->FrameCount, 0);
}

TEST_F(FormTest, PlayHandsTheOptionsToTheSequencerInOrder) {
  form->SetPlayer(&player);
  player.notes = {60, 60, 10};
  Menu().SetChecked("playspeed15", true);
  Menu().SetChecked("rainspeed30", true);
  Menu().SetChecked("barlength05", true);
  Menu().SetChecked("playch02", false);
  Menu().SetChecked("VoiceON", false);
  Menu().SetChecked("MIRROR", true);
  form->FirstLiveEvent = 40;
  Menu().Item("Play")->trigger();
  const std::vector<std::string> expected = {"Stop", "Seek 0", "SetPlaySpeed 1.500000", "SetChannelOn",
                                             "SetBarHalfWidth 7", "SetVoiceOn 0", "AssignLanes 0", "Start"};
  EXPECT_EQ(player.calls, expected);
  EXPECT_EQ(player.lanes, (std::vector<int>{67, 67, 117}));
  EXPECT_EQ(form->FirstLiveEvent, 0);
  EXPECT_EQ(form->RainSpeed, 300);
  EXPECT_FALSE(form->RainChannels[1]);
  EXPECT_TRUE(form->RainChannels[0]);
  EXPECT_EQ(player.channelOn, form->RainChannels);
  form->SetPlayer(nullptr);
}

TEST_F(FormTest, PlayWithNoSpeedCheckedLeavesTheSpeedAlone) {
  form->SetPlayer(&player);
  player.notes = {60};
  Menu().SetChecked("playspeed10", false);
  Menu().SetChecked("rainspeed10", false);
  form->PlayClick();
  for (const std::string& call : player.calls) EXPECT_EQ(call.rfind("SetPlaySpeed", 0), std::string::npos) << call;
  EXPECT_EQ(form->RainSpeed, 100);
  EXPECT_EQ(player.lanes, std::vector<int>{60});
  form->SetPlayer(nullptr);
}

TEST_F(FormTest, RandomLanesComeFromOnePermutationDrawnAtPlay) {
  form->SetPlayer(&player);
  player.notes = {60, 61, 60, 60};
  Menu().SetChecked("NRANDOM", true);
  SetRandSeed(31337);
  form->PlayClick();
  SetRandSeed(31337);
  const TLanePermutation p = MakeLanePermutation();
  EXPECT_EQ(player.lanes, (std::vector<int>{p[60], p[61], p[60], p[60]}));

  Menu().SetChecked("SRANDOM", true);
  SetRandSeed(99);
  form->PlayClick();
  SetRandSeed(99);
  MakeLanePermutation();  // drawn first, whatever the mode
  std::vector<int> expected;
  for (std::size_t i = 0; i < player.notes.size(); ++i) expected.push_back(Random(128));
  EXPECT_EQ(player.lanes, expected);
  form->SetPlayer(nullptr);
}

TEST_F(FormTest, StopRewinds) {
  form->SetPlayer(&player);
  player.playing = true;
  form->StopClick();
  EXPECT_EQ(player.calls, (std::vector<std::string>{"Stop", "Seek 0"}));
  EXPECT_FALSE(player.playing);
  form->SetPlayer(nullptr);
}

TEST_F(FormTest, AllOnAndAllOffSetEveryChannel) {
  Menu().SetChecked("playch05", false);
  Menu().Item("ALLOFF")->trigger();
  for (QAction* ch : Menu().ChannelItems()) EXPECT_FALSE(ch->isChecked());
  Menu().Item("ALLON")->trigger();
  for (QAction* ch : Menu().ChannelItems()) EXPECT_TRUE(ch->isChecked());
}

TEST_F(FormTest, AFailedOpenShowsTheErrorAndDisablesPlay) {
  form->SetPlayer(&player);
  player.failLoad = true;
  form->OpenSong(QStringLiteral("/music/broken.mid"));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Cp932ToUtf8(Boxes()[0].Text), "ファイルの読み込みに失敗しちゃった…。\r\nごめんね、お兄ちゃん。");
  EXPECT_EQ(Cp932ToUtf8(Boxes()[0].Caption), "エラー");
  EXPECT_EQ(Boxes()[0].Flags, MB_OK | MB_ICONERROR);
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Pluvionaut"));
  EXPECT_FALSE(Menu().Item("Play")->isEnabled());
  EXPECT_TRUE(form->TutorialSong);
  // A good song afterwards brings Play back and ends the tutorial.
  player.failLoad = false;
  player.title = "\x81\x40Song\x81\x40";
  player.calls.clear();
  form->OpenSong(QStringLiteral("/music/rain.mid"));
  EXPECT_EQ(player.calls, (std::vector<std::string>{"LoadFromFile /music/rain.mid", "Seek 0"}));
  EXPECT_EQ(form->windowTitle(), QStringLiteral("rain.mid [Song] - Pluvionaut"));
  EXPECT_TRUE(Menu().Item("Play")->isEnabled());
  EXPECT_FALSE(form->TutorialSong);
  EXPECT_EQ(Boxes().size(), 1u);
  form->SetPlayer(nullptr);
}

TEST_F(FormTest, OpeningWithoutASequencerFailsLikeAnUnreadableFile) {
  form->OpenSong(QStringLiteral("/music/rain.mid"));
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_FALSE(Menu().Item("Play")->isEnabled());
}

TEST_F(FormTest, OpenStopsTheGameEvenWhenTheDialogIsCancelled) {
  form->SetPlayer(&player);
  form->SetFileChooser([] { return QString(); });
  form->OpenClick();
  EXPECT_EQ(player.calls, std::vector<std::string>{"Stop"});
  form->SetFileChooser([] { return QStringLiteral("/music/a.mid"); });
  form->OpenClick();
  EXPECT_EQ(player.calls, (std::vector<std::string>{"Stop", "Stop", "LoadFromFile /music/a.mid", "Seek 0"}));
  form->SetPlayer(nullptr);
}

TEST_F(FormTest, DroppedFilesAreRefusedUntilOpenIsVisible) {
  form->SetPlayer(&player);
  RunFrame();
  EXPECT_FALSE(Drop({QStringLiteral("/music/a.mid")}));
  EXPECT_TRUE(player.calls.empty());
  player.playCount = 1;
  RunFrame();
  ASSERT_TRUE(form->acceptDrops());
  // Something that is not a file is not taken either.
  QMimeData text;
  text.setText(QStringLiteral("hello"));
  QDragEnterEvent enterText(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form.get(), &enterText);
  EXPECT_FALSE(enterText.isAccepted());
  EXPECT_TRUE(Drop({QStringLiteral("/music/a.mid"), QStringLiteral("/music/b.mid"), QStringLiteral("/music/c.mid")}));
  EXPECT_EQ(player.calls, (std::vector<std::string>{"Stop", "LoadFromFile /music/a.mid", "Seek 0"}));
  form->SetPlayer(nullptr);
}

TEST_F(FormTest, ADroppedFileNameIsTakenWhole) {
  form->SetPlayer(&player);
  const QString longName = QStringLiteral("/music/") + QString(300, QLatin1Char('x')) + QStringLiteral(".mid");
  form->WMDropFiles({longName});
  ASSERT_EQ(player.calls.size(), 3u);
  EXPECT_EQ(player.calls[1], "LoadFromFile " + longName.toStdString());
  EXPECT_EQ(form->windowTitle(), QString(300, QLatin1Char('x')) + QStringLiteral(".mid [] - Pluvionaut"));
  player.calls.clear();
  form->WMDropFiles({});
  EXPECT_EQ(player.calls, std::vector<std::string>{"Stop"});
  form->SetPlayer(nullptr);
}

TEST_F(FormTest, ClosingWithoutTheTutorialOrTheVoiceDoesNotSayGoodbye) {
  voices.clear();
  form->TutorialSong = false;
  form->show();
  Menu().Item("Exit1")->trigger();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(voices.empty());

  form = std::make_unique<TForm1>();
  voices.clear();
  form->MainMenu1().Item("VoiceOFF")->trigger();
  form->show();
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(voices.empty());
}

TEST_F(FormTest, ClosingDuringTheTutorialSaysGoodbyeAndSkipsTheWaitWhenTheLineIsMissing) {
  voices.clear();
  form->show();
  form->close();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(form->isEnabled());  // no farewell wait took place
  EXPECT_EQ(voices, std::vector<std::string>{"wav\\KaerunoA@08.wav"});
}

TEST_F(FormTest, TheFrameLoopIsTheApplicationsIdleHandler) {
  Activate();
  ASSERT_TRUE(form->isActiveWindow());
  form->FrameCount = 0;
  EXPECT_FALSE(Application().RunIdleHandler(form.get()));
  EXPECT_EQ(form->FrameCount, 1);
  form.reset();
  // Gone with the window.
  EXPECT_TRUE(Application().RunIdleHandler(nullptr));
}

TEST_F(FormTest, TheCursorXReachesTheApplication) {
  QMouseEvent move(QEvent::MouseMove, QPointF(250, 30), QPointF(250, 30), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(form->DrawArea(), &move);
  EXPECT_EQ(Application().CursorClientX(), 250);
}

}  // namespace
