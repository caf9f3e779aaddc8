#include "game/pluvionaut1/open_song.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QRegularExpression>

#include "platform/kernel/cp932.h"
#include "tests/support/qt_test_app.h"

namespace {

const std::string kIdeographicSpace = "\x81\x40";  // U+3000 in CP932

TEST(TrimSongTitleTest, EmptyAndBlankTitlesBecomeEmpty) {
  EXPECT_EQ(TrimSongTitle(""), QString());
  EXPECT_EQ(TrimSongTitle(" \t\r\n"), QString());
  EXPECT_EQ(TrimSongTitle(kIdeographicSpace + " " + kIdeographicSpace), QString());
}

TEST(TrimSongTitleTest, IdeographicSpacesAroundTheTitleGo) {
  EXPECT_EQ(TrimSongTitle(kIdeographicSpace + "Song" + kIdeographicSpace), QStringLiteral("Song"));
  EXPECT_EQ(TrimSongTitle(" " + kIdeographicSpace + " Song " + kIdeographicSpace + "\r\n"), QStringLiteral("Song"));
}

TEST(TrimSongTitleTest, InnerBlanksStayAndControlsInsideWideBlanksStay) {
  EXPECT_EQ(TrimSongTitle("My" + kIdeographicSpace + "Song"), QStringLiteral("My　Song"));
  // The control-character trim runs first, on the ends of the byte string only.
  EXPECT_EQ(TrimSongTitle(kIdeographicSpace + "\tSong"), QStringLiteral("\tSong"));
}

TEST(TrimSongTitleTest, JapaneseTitlesAreConvertedFromCp932) {
  EXPECT_EQ(TrimSongTitle(Utf8ToCp932("　雨の歌　")), QStringLiteral("雨の歌"));
  // A double-byte character next to the cut stays whole ("ソ" is 0x83 0x5C).
  EXPECT_EQ(TrimSongTitle(Utf8ToCp932("ソ ")), QStringLiteral("ソ"));
}

TEST(SongCaptionTest, FileNameWithoutFolderAndTrimmedTitle) {
  EXPECT_EQ(SongCaption(QStringLiteral("/home/player/music/rain.mid"), kIdeographicSpace + "Song" + kIdeographicSpace),
            QStringLiteral("rain.mid [Song] - Pluvionaut"));
  EXPECT_EQ(SongCaption(QStringLiteral("untitled.mid"), ""), QStringLiteral("untitled.mid [] - Pluvionaut"));
  EXPECT_EQ(SongCaption(QStringLiteral("/tmp/歌.mid"), Utf8ToCp932("雨")), QStringLiteral("歌.mid [雨] - Pluvionaut"));
}

TEST(LoadErrorTest, MessageCaptionAndLineBreak) {
  EXPECT_EQ(LoadErrorText(), QStringLiteral("ファイルの読み込みに失敗しちゃった…。\r\nごめんね、お兄ちゃん。"));
  EXPECT_EQ(LoadErrorCaption(), QStringLiteral("エラー"));
}

bool Matches(const QString& nameFilter, const QString& fileName) {
  const QString patterns = nameFilter.mid(nameFilter.lastIndexOf(QLatin1Char('(')) + 1).chopped(1);
  for (const QString& p : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(p),
                                QRegularExpression::CaseInsensitiveOption);
    if (re.match(fileName).hasMatch()) return true;
  }
  return false;
}

TEST(DialogFilterTest, PairsBecomeQtNameFiltersWithTheirWindowsMeaning) {
  const QStringList filters = NameFiltersFromFilter(OpenDialogFilter());
  ASSERT_EQ(filters.size(), 2);
  EXPECT_EQ(filters[0], QStringLiteral("MIDI ファイル (*.mid;*rmi;*midi) (*.mid *rmi *midi)"));
  EXPECT_EQ(filters[1], QStringLiteral("すべてのファイル (*.*) (*)"));
  for (const char* yes : {"song.mid", "SONG.MID", "song.rmi", "songrmi", "song.midi", "xmidi"}) {
    EXPECT_TRUE(Matches(filters[0], QString::fromLatin1(yes))) << yes;
  }
  for (const char* no : {"song.txt", "song.mid.bak", "README"}) {
    EXPECT_FALSE(Matches(filters[0], QString::fromLatin1(no))) << no;
  }
  for (const char* any : {"README", "song.mid", "a.b.c"}) EXPECT_TRUE(Matches(filters[1], QString::fromLatin1(any)));
}

TEST(DialogFilterTest, AnOddFilterWithoutPatternsIsDropped) {
  EXPECT_TRUE(NameFiltersFromFilter(QString()).isEmpty());
  EXPECT_TRUE(NameFiltersFromFilter(QStringLiteral("only a description")).isEmpty());
  EXPECT_EQ(NameFiltersFromFilter(QStringLiteral("Text|*.txt; *.log|dangling")),
            QStringList{QStringLiteral("Text (*.txt *.log)")});
}

TEST(DialogFilterTest, TheDialogShowsTheDescriptionsAsWritten) {
  TestApp();
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  dialog.setNameFilters(NameFiltersFromFilter(OpenDialogFilter()));
  auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(0), QStringLiteral("MIDI ファイル (*.mid;*rmi;*midi)"));
  EXPECT_EQ(combo->itemText(1), QStringLiteral("すべてのファイル (*.*)"));
}

}  // namespace
