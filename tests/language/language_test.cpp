// The game in English: the translation file complete and in step with the
// game's texts, every menu item translated, the language switched back and
// forth on the real window, boxes and scripts in the chosen language, Qt's
// own texts following it.
#include "game/pluvionaut1/pluvionaut1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>
#include <QXmlStreamReader>

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <unistd.h>

#include "tests/support/fake_player.h"
#include "game/core/extended_settings.h"
#include "game/frame/game_graphics.h"
#include "game/frame/play_field.h"
#include "gfx/texture.h"
#include "game/language/language.h"
#include "game/app/qt_application.h"
#include "game/sequencer/game_cues.h"
#include "game/pluvionaut1/status_bar.h"
#include "game/sound/sound_menu.h"
#include "game/app/tr.h"
#include "game/core/voice_cues.h"
#include "platform/kernel/cp932.h"
#include "platform/kernel/paths.h"
#include "platform/ui/application.h"
#include "tests/support/qt_test_app.h"
#include "tools/translation_texts/runtime_texts.h"
#include "tools/translation_texts/source_texts.h"

namespace {

namespace fs = std::filesystem;

const fs::path kTsFile = fs::path(PLUV_SOURCE_DIR) / "translations" / "pluvionaut_en.ts";

// Texts that read the same in both languages: option names, numbers,
// channel numbers and the language names themselves.
const std::set<QString>& LanguageNeutralTexts() {
  static const std::set<QString> texts = [] {
    std::set<QString> t = {"ON",     "OFF",    "HIDDEN", "SUDDEN", "NORMAL", "MIRROR", "RANDOM", "S-RANDOM",
                           "ALL ON", "ALL OFF", "0.25",  "0.5",    "1.0",    "1.5",    "2.0",    "3.0",
                           "4.0",    "5.0",    "6.0",    "∞",      "日本語", "English", "言語 / Language",
                           "100%",   "75%",    "50%",    "25%",    "0%"};
    for (int ch = 1; ch <= kChannelCount; ++ch) {
      if (ch != 10) t.insert(QStringLiteral("CH #%1").arg(ch, 2, 10, QLatin1Char('0')));
    }
    return t;
  }();
  return texts;
}

struct TTsMessage {
  QString Context;
  QString Source;
  QString Translation;
  QString Type;  // "unfinished", "vanished", "obsolete" or empty
};

std::vector<TTsMessage> ReadTsFile(const fs::path& path) {
  QFile file(QString::fromStdString(path.string()));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
  QXmlStreamReader xml(&file);
  std::vector<TTsMessage> messages;
  QString context;
  TTsMessage current;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    if (xml.name() == u"name") context = xml.readElementText(QXmlStreamReader::IncludeChildElements);
    if (xml.name() == u"message") current = TTsMessage{context, {}, {}, {}};
    if (xml.name() == u"source") current.Source = xml.readElementText(QXmlStreamReader::IncludeChildElements);
    if (xml.name() == u"translation") {
      current.Type = xml.attributes().value(QStringLiteral("type")).toString();
      current.Translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
      messages.push_back(current);
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return messages;
}

TEST(Translations, EveryEntryOfTheEnglishFileIsTranslated) {
  const std::vector<TTsMessage> messages = ReadTsFile(kTsFile);
  EXPECT_GT(messages.size(), 100u);
  for (const TTsMessage& m : messages) {
    SCOPED_TRACE(m.Source.toStdString());
    EXPECT_EQ(m.Context, QString::fromLatin1(kTrContext));
    EXPECT_TRUE(m.Type.isEmpty()) << "entry marked " << m.Type.toStdString();
    EXPECT_FALSE(m.Translation.isEmpty());
    // English shown through CP932 boxes and the hint: ASCII keeps it safe,
    // the texts that read the same in both languages aside.
    if (!LanguageNeutralTexts().contains(m.Source)) {
      for (const QChar c : m.Translation) {
        EXPECT_LT(c.unicode(), 0x80) << m.Translation.toStdString();
      }
    }
  }
}

TEST(Translations, EveryTextOfTheGameHasEnglishInTheBuiltTranslation) {
  // The texts of the sources and of the running window, as the refreshing
  // script collects them, against the .qm the build put beside the data: a
  // new text without English, or a stale .qm, fails here.
  TestApp();
  std::set<std::string> texts = TranslatableLiteralsIn(GameSourceFolders(PLUV_SOURCE_DIR));
  EXPECT_GT(texts.size(), 10u);
  texts.merge(MainWindowTexts());
  EXPECT_GT(texts.size(), 100u);
  // Texts of each origin: an unlock box (Qt-free), the load error, a
  // generated hint.
  for (const char* expected : {"隠し機能出現！", "エラー", "通常の0.25倍の速さで雨が降ってくるよ。"}) {
    EXPECT_TRUE(texts.contains(expected)) << expected;
  }
  QTranslator english;
  ASSERT_TRUE(english.load(QString::fromStdString(TranslatePath(kGameTranslationFile))));
  for (const std::string& text : texts) {
    EXPECT_FALSE(english.translate(kTrContext, text.c_str()).isEmpty()) << "no English for: " << text;
  }
}

TEST(Translations, LanguageCodesAndScriptFiles) {
  EXPECT_EQ(LanguageFromCode("en"), TLanguage::English);
  for (const char* other : {"ja", "", "EN", "fr"}) EXPECT_EQ(LanguageFromCode(other), TLanguage::Japanese) << other;
  EXPECT_EQ(LanguageCode(TLanguage::English), "en");
  EXPECT_EQ(LanguageCode(TLanguage::Japanese), "ja");
  // The tests run in the runtime folder, where both scripts lie.
  EXPECT_EQ(ScriptFileFor("dat\\tutorial.dat", TLanguage::English), "dat\\tutorial_en.dat");
  EXPECT_EQ(ScriptFileFor("dat\\scenario.dat", TLanguage::English), "dat\\scenario_en.dat");
  EXPECT_EQ(ScriptFileFor("dat\\tutorial.dat", TLanguage::Japanese), "dat\\tutorial.dat");
  // No English file: the Japanese one.
  EXPECT_EQ(ScriptFileFor("dat\\nosuchscript.dat", TLanguage::English), "dat\\nosuchscript.dat");
}

class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    dir = fs::temp_directory_path() / ("pluv_language_test_" + std::to_string(getpid()));
    fs::create_directories(dir);
    iniPath = (dir / "pluvionaut.ini").string();
    fs::remove(iniPath);
    SetSettingsPathForTesting(iniPath);
    SetVoiceLineOutput([](const std::string&) { return false; });
    HeadlessApplication().ClearMessageBoxes();
  }
  void TearDown() override {
    form.reset();
    ResetVoiceLineOutput();
    fs::remove_all(dir);
  }
  void MakeForm() {
    form.reset();
    form = std::make_unique<TForm1>();
  }
  std::vector<QAction*> Items() const {
    std::vector<QAction*> items = form->MainMenu1().AllItems();
    const std::vector<QAction*>& more = form->MainMenu1().ExtensionItems();
    items.insert(items.end(), more.begin(), more.end());
    return items;
  }
  // Caption and hint of every item by its design name.
  std::map<QString, std::pair<QString, QString>> Texts() const {
    std::map<QString, std::pair<QString, QString>> texts;
    for (QAction* item : Items()) texts[item->objectName()] = {item->text(), item->statusTip()};
    return texts;
  }
  std::string StoredLanguage() const { return TExtendedSettings(iniPath).String(kLanguageKey, "(none)"); }

  fs::path dir;
  std::string iniPath;
  std::unique_ptr<TForm1> form;
};

TEST_F(LanguageTest, TheLanguageSwitchesBackAndForthAtOnce) {
  MakeForm();
  TMainMenu& menu = form->MainMenu1();
  // A first start: Japanese, nothing written for the language.
  EXPECT_EQ(form->Language(), TLanguage::Japanese);
  QAction* japanese = menu.Item("LanguageJapanese");
  QAction* english = menu.Item("LanguageEnglish");
  EXPECT_TRUE(japanese->isChecked());
  EXPECT_EQ(StoredLanguage(), "(none)");
  // The submenu is the last of 表示, always enabled, also during a game.
  auto* view = form->menuBar()->findChild<QMenu*>(QStringLiteral("View"));
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->menuAction()->isVisible());
  EXPECT_EQ(view->actions().back(), menu.Item("LanguageMenu"));
  menu.ApplyPlayingState(true);
  EXPECT_TRUE(menu.Item("LanguageMenu")->isEnabled());
  EXPECT_TRUE(english->isEnabled());
  menu.ApplyPlayingState(false);

  const auto japaneseTexts = Texts();
  TVXTexture* const japaneseTitle = form->Graphics().TitleTexture;
  const std::vector<std::string> japaneseTutorial = form->Memo1;
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
  menu.Item("Play")->showStatusText(form->menuBar());
  EXPECT_EQ(form->StatusBar1()->PanelText(kHintPanel), QStringLiteral("ゲームを始めるよ。"));

  english->trigger();
  EXPECT_EQ(form->Language(), TLanguage::English);
  EXPECT_TRUE(english->isChecked());
  EXPECT_FALSE(japanese->isChecked());
  EXPECT_EQ(StoredLanguage(), "en");
  EXPECT_EQ(menu.Item("File1")->text(), QStringLiteral("&File"));
  EXPECT_EQ(menu.Item("Open")->text(), QStringLiteral("&Open MIDI File..."));
  EXPECT_EQ(menu.Item("rainspeed20")->statusTip(), QStringLiteral("The rain falls at 2.0 times the normal speed."));
  // The hint on show follows, the title stays.
  EXPECT_EQ(form->StatusBar1()->PanelText(kHintPanel), QStringLiteral("Let's start the game!"));
  EXPECT_EQ(form->Hint(), QStringLiteral("Let's start the game!"));
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Pluvionaut"));
  // Every caption and hint changed, but for the texts of both languages.
  for (QAction* item : Items()) {
    const auto& [caption, hint] = japaneseTexts.at(item->objectName());
    SCOPED_TRACE(item->objectName().toStdString());
    if (!caption.isEmpty() && TMainMenu::TranslatedCaption(item) && !LanguageNeutralTexts().contains(caption)) {
      EXPECT_NE(item->text(), caption);
    }
    if (!hint.isEmpty() && !LanguageNeutralTexts().contains(hint)) {
      EXPECT_NE(item->statusTip(), hint);
    }
  }
  // The scripts are the English ones, drawn from the next frame on.
  ASSERT_EQ(form->Memo1.size(), japaneseTutorial.size());
  EXPECT_NE(form->Memo1, japaneseTutorial);
  EXPECT_NE(form->Memo1.front().find("big brother"), std::string::npos);
  EXPECT_EQ(form->PlayField().TutorialLines, form->Memo1);
  EXPECT_EQ(form->PlayField().ScenarioLines, form->Memo2);
  // Qt's own texts too, and the title picture's subtitle.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
  TVXTexture* const englishTitle = form->Graphics().TitleTexture;
  EXPECT_NE(englishTitle, japaneseTitle);
  EXPECT_GT(englishTitle->Width, 0u);

  japanese->trigger();
  EXPECT_EQ(form->Language(), TLanguage::Japanese);
  EXPECT_EQ(StoredLanguage(), "ja");
  EXPECT_EQ(Texts(), japaneseTexts);
  EXPECT_EQ(form->Memo1, japaneseTutorial);
  EXPECT_EQ(form->Graphics().TitleTexture, japaneseTitle);
  EXPECT_EQ(form->StatusBar1()->PanelText(kHintPanel), QStringLiteral("ゲームを始めるよ。"));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
}

TEST_F(LanguageTest, EveryStatusTextFitsItsPanelAtX1InBothLanguages) {
  // Every item's hint (shown also for greyed items) and every status line
  // of the sources, measured in the status bar's own font against the room
  // of the first panel, in Japanese and in English. A device name quoted by
  // a line is of the longest length a line quotes.
  MakeForm();
  TStatusBar* bar = form->StatusBar1();
  const QString name = QStringLiteral("USB MIDI Interface 1").left(TSoundMenu::kStatusNameLimit);
  const std::set<std::string> lines = StatusTextLiteralsIn(GameSourceFolders(PLUV_SOURCE_DIR));
  EXPECT_GT(lines.size(), 5u);
  for (QAction* language : {form->MainMenu1().Item("LanguageJapanese"), form->MainMenu1().Item("LanguageEnglish")}) {
    language->trigger();
    const QFontMetrics metrics(bar->font());
    std::vector<QString> texts;
    for (QAction* item : Items()) texts.push_back(item->statusTip());
    for (const std::string& line : lines) {
      const QString text = Tr(line.c_str());
      texts.push_back(text.contains(QStringLiteral("%1")) ? text.arg(name) : text);
    }
    for (const QString& text : texts) {
      EXPECT_LE(metrics.horizontalAdvance(text), TStatusBar::TextRoom(kHintPanel))
          << language->objectName().toStdString() << ": " << text.toStdString();
    }
  }
}

TEST_F(LanguageTest, TheChosenLanguageIsTheNextStartsLanguage) {
  MakeForm();
  form->MainMenu1().Item("LanguageEnglish")->trigger();
  MakeForm();
  EXPECT_EQ(form->Language(), TLanguage::English);
  EXPECT_TRUE(form->MainMenu1().Item("LanguageEnglish")->isChecked());
  EXPECT_EQ(form->MainMenu1().Item("Exit1")->text(), QStringLiteral("E&xit"));
  EXPECT_EQ(form->MainMenu1().Item("Exit1")->statusTip(), QStringLiteral("Huh? You're leaving already?"));
  // A value the game does not know is Japanese.
  form.reset();
  TExtendedSettings(iniPath).SetString(kLanguageKey, "klingon");
  MakeForm();
  EXPECT_EQ(form->Language(), TLanguage::Japanese);
  EXPECT_EQ(form->MainMenu1().Item("Exit1")->text(), QStringLiteral("終了(&X)"));
}

TEST_F(LanguageTest, TheLoadErrorSpeaksTheChosenLanguage) {
  MakeForm();
  TFakePlayer player;
  form->SetPlayer(&player);
  player.failLoad = true;
  form->SetLanguage(TLanguage::English);
  form->OpenSong(QStringLiteral("/music/broken.mid"));
  ASSERT_EQ(HeadlessApplication().MessageBoxes().size(), 1u);
  EXPECT_EQ(HeadlessApplication().MessageBoxes()[0].Text, "I couldn't read that file...\r\nSorry, big brother.");
  EXPECT_EQ(HeadlessApplication().MessageBoxes()[0].Caption, "Error");
  form->SetPlayer(nullptr);
}

TEST_F(LanguageTest, TheSequencersUnlockBoxIsShownInEnglish) {
  MakeForm();
  form->SetLanguage(TLanguage::English);
  TQtApplication app;
  QString text;
  QString title;
  QTimer answer;
  answer.setInterval(0);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    text = box->text();
    title = box->windowTitle();
    answer.stop();
    box->accept();
  });
  answer.start();
  // The sequencer hands over the Japanese texts as CP932 bytes.
  app.ShowMessageBox(SequencerCues::UnlockText(4), SequencerCues::UnlockCaption(), MB_OK | MB_ICONINFORMATION);
  EXPECT_EQ(title, QStringLiteral("New feature unlocked!"));
  EXPECT_EQ(text, QStringLiteral("Now you can change the rain speed, big brother!\nPick one from [Options] > [Rain Speed]."));
  // The menu names in the box are the English menus' captions.
  EXPECT_EQ(form->MainMenu1().Item("rainspeedOption")->text(), QStringLiteral("Rain Speed"));
}

}  // namespace
