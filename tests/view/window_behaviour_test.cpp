// How the window behaves on a desktop: hints of greyed-out items, a second
// close request during the farewell, a drop whose file fails to load, frames
// behind the game's own message box, Qt's texts in Japanese, a song named on
// the command line.
#include <QAction>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QDir>

#include "tests/support/fake_player.h"
#include "game/app/command_line.h"
#include "game/language/qt_translations.h"
#include "game/pluvionaut1/status_bar.h"
#include "game/app/tr.h"
#include "window_fixture.h"

namespace {

using WindowBehaviourTest = WindowTest;

constexpr int kEventRounds = 200;

void ProcessUntil(const std::function<bool()>& condition) {
  for (int i = 0; i < kEventRounds && !condition(); ++i) QCoreApplication::processEvents();
}

TEST_F(WindowBehaviourTest, AGreyedOutItemUnderThePointerShowsItsHint) {
  Create();
  ShowAndActivate();
  auto* p1 = form->menuBar()->findChild<QMenu*>(QStringLiteral("P1"));
  ASSERT_NE(p1, nullptr);
  QAction* stop = form->MainMenu1().Item("Stop");
  ASSERT_FALSE(stop->isEnabled());  // no game runs
  p1->popup(QPoint(10, 10));
  ProcessUntil([&] { return p1->isVisible(); });
  const QPoint onStop = p1->actionGeometry(stop).center();
  QMouseEvent move(QEvent::MouseMove, QPointF(onStop), p1->mapToGlobal(QPointF(onStop)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(p1, &move);
  ProcessUntil([&] { return form->StatusBar1()->PanelText(kHintPanel) == QStringLiteral("ゲームを中断するよ。"); });
  EXPECT_EQ(form->StatusBar1()->PanelText(kHintPanel), QStringLiteral("ゲームを中断するよ。"));
  EXPECT_EQ(form->Hint(), QStringLiteral("ゲームを中断するよ。"));
  p1->hide();
}

TEST_F(WindowBehaviourTest, ASecondCloseRequestDuringTheFarewellJoinsTheFirst) {
  farewellPlays = true;
  Create();
  ShowAndActivate();
  voices.clear();
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->SayingFarewell());
  EXPECT_TRUE(form->isVisible());
  EXPECT_FALSE(form->isEnabled());  // no input while she says goodbye
  // The desktop's close button again, the way the window system asks.
  QCloseEvent request;
  QCoreApplication::sendEvent(form->windowHandle(), &request);
  QCoreApplication::processEvents();
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(form->SayingFarewell());
  form->MainMenu1().Item("Exit1")->trigger();
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(voices, std::vector<std::string>{kFarewellVoice});  // said once
  EXPECT_EQ(Settings().find("ルフナボイス"), std::string::npos);  // not written yet
  // The line ends: the window closes once, writing the settings.
  form->FarewellTimer().start(0);
  ProcessUntil([&] { return !form->isVisible(); });
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(form->isEnabled());
  EXPECT_NE(Settings().find("ルフナボイス=1"), std::string::npos);
  EXPECT_EQ(voices.size(), 1u);
}

TEST_F(WindowBehaviourTest, ADropOfAFileThatFailsEndsBeforeItsErrorBox) {
  Create();
  TFakePlayer player;
  player.playCount = 1;
  player.failLoad = true;
  form->SetPlayer(&player);
  bool done = true;
  form->ApplicationEvents1Idle(form.get(), done);
  ASSERT_TRUE(form->acceptDrops());
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/music/broken.mid"))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form.get(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form.get(), &drop);
  // The drop is taken and over; the file was tried and Play is off...
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(player.calls, (std::vector<std::string>{"Stop", "LoadFromFile /music/broken.mid"}));
  EXPECT_FALSE(form->MainMenu1().Item("Play")->isEnabled());
  // ...and the box comes after it.
  EXPECT_TRUE(HeadlessApplication().MessageBoxes().empty());
  ProcessUntil([] { return !HeadlessApplication().MessageBoxes().empty(); });
  ASSERT_EQ(HeadlessApplication().MessageBoxes().size(), 1u);
  EXPECT_EQ(Cp932ToUtf8(HeadlessApplication().MessageBoxes()[0].Caption), "エラー");
  form->SetPlayer(nullptr);
}

TEST_F(WindowBehaviourTest, TheGamesOwnMessageBoxKeepsThePictureBehindItDrawn) {
  Create();
  ShowAndActivate();
  ASSERT_TRUE(form->isActiveWindow());
  QMessageBox box(QMessageBox::Information, QStringLiteral("隠し機能出現"), QStringLiteral("text"), QMessageBox::Ok,
                  form.get());
  box.setWindowModality(Qt::ApplicationModal);
  box.show();
  box.windowHandle()->requestActivate();
  ProcessUntil([&] { return box.isActiveWindow(); });
  ASSERT_FALSE(form->isActiveWindow());
  form->FrameCount = 0;
  bool done = true;
  form->ApplicationEvents1Idle(form.get(), done);
  EXPECT_FALSE(done);
  EXPECT_EQ(form->FrameCount, 1);
  box.hide();
  // Another program's window in front: nothing is drawn, as designed.
  QWidget other;
  other.show();
  other.windowHandle()->requestActivate();
  ProcessUntil([&] { return other.isActiveWindow(); });
  done = true;
  form->ApplicationEvents1Idle(form.get(), done);
  EXPECT_TRUE(done);
}

TEST_F(WindowBehaviourTest, QtsOwnTextsAreJapanese) {
  ASSERT_TRUE(InstallQtTranslations(QLocale(QLocale::Japanese, QLocale::Japan)))
      << "no qtbase_ja.qm in " << QtTranslationsFolder().toStdString();
  QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("t"), QMessageBox::Yes | QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
  EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove(QLatin1Char('&')).left(2), QStringLiteral("はい"));
  // Another language takes the Japanese one's place.
  InstallQtTranslations(QLocale(QLocale::English, QLocale::UnitedStates));
  QMessageBox english(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("t"), QMessageBox::Cancel);
  EXPECT_EQ(english.button(QMessageBox::Cancel)->text(), QStringLiteral("Cancel"));
  EXPECT_TRUE(InstallQtTranslations(QLocale(QLocale::Japanese, QLocale::Japan)));
}

TEST_F(WindowBehaviourTest, ASongOnTheCommandLineOpensOnlyOnceOpenIsUnlocked) {
  EXPECT_EQ(SongFileArgument({"pluvionaut"}), QString());
  EXPECT_EQ(SongFileArgument({"pluvionaut", "-style", "/a.mid"}), QStringLiteral("/a.mid"));
  EXPECT_EQ(SongFileArgument({"pluvionaut", "--", "-odd.mid"}), QDir::current().absoluteFilePath("-odd.mid"));
  EXPECT_EQ(SongFileArgument({"pluvionaut", "songs/b.mid"}), QDir::current().absoluteFilePath("songs/b.mid"));

  Create();
  TFakePlayer player;
  form->SetPlayer(&player);
  form->OpenCommandLineFile(QStringLiteral("/music/a.mid"));
  EXPECT_TRUE(player.calls.empty());
  EXPECT_EQ(form->StatusBar1()->PanelText(kHintPanel),
            Tr("曲を開けるのは、一回遊んでからだよ。まずはチュートリアルをやってみてね。"));
  player.playCount = 1;
  bool done = true;
  form->ApplicationEvents1Idle(form.get(), done);
  form->OpenCommandLineFile(QStringLiteral("/music/a.mid"));
  EXPECT_EQ(player.calls, (std::vector<std::string>{"Stop", "LoadFromFile /music/a.mid", "Seek 0"}));
  EXPECT_FALSE(form->TutorialSong);
  form->SetPlayer(nullptr);
}

}  // namespace
