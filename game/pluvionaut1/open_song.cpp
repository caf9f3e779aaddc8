#include "game/pluvionaut1/open_song.h"

#include <QFileInfo>

#include "game/app/tr.h"
#include "game/core/translatable.h"
#include "platform/kernel/cp932.h"

namespace {

constexpr unsigned char kLastBlankByte = 0x20;  // control characters and the space
constexpr char16_t kIdeographicSpace = 0x3000;
constexpr char16_t kSpace = 0x0020;

bool IsWideBlank(QChar c) { return c.unicode() == kIdeographicSpace || c.unicode() == kSpace; }

}  // namespace

QString TrimSongTitle(const std::string& titleCp932) {
  // Byte-wise trim first: in CP932 no trail byte is below 0x40, so cutting
  // bytes up to 0x20 at the ends never splits a double-byte character.
  std::size_t first = 0;
  std::size_t last = titleCp932.size();
  while (first < last && static_cast<unsigned char>(titleCp932[first]) <= kLastBlankByte) ++first;
  while (last > first && static_cast<unsigned char>(titleCp932[last - 1]) <= kLastBlankByte) --last;
  const QString wide = QString::fromStdString(Cp932ToUtf8(std::string_view(titleCp932).substr(first, last - first)));
  qsizetype begin = 0;
  qsizetype end = wide.size();
  while (begin < end && IsWideBlank(wide[begin])) ++begin;
  while (end > begin && IsWideBlank(wide[end - 1])) --end;
  return wide.mid(begin, end - begin);
}

QString SongCaption(const QString& filePath, const std::string& titleCp932) {
  return QFileInfo(filePath).fileName() + QStringLiteral(" [") + TrimSongTitle(titleCp932) + QStringLiteral("] - ") +
         QString::fromLatin1(kApplicationTitle);
}

const QString& LoadErrorText() {
  static const QString text =
      QString::fromUtf8(Translatable("ファイルの読み込みに失敗しちゃった…。\r\nごめんね、お兄ちゃん。"));
  return text;
}

QString TutorialSongMissingText(const std::string& reason) {
  return Tr(LoadErrorText()) + QStringLiteral("\r\n\r\n") + QString::fromStdString(reason);
}

const QString& LoadErrorCaption() {
  static const QString caption = QString::fromUtf8(Translatable("エラー"));
  return caption;
}

const QString& OpenDialogFilter() {
  static const QString filter =
      QString::fromUtf8(Translatable("MIDI ファイル (*.mid;*rmi;*midi)|*.mid;*rmi;*midi|すべてのファイル (*.*)|*.*"));
  return filter;
}

QStringList NameFiltersFromFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (QString pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      pattern = pattern.trimmed();
      // On Windows "*.*" also matches names without a dot.
      if (pattern == QStringLiteral("*.*")) pattern = QStringLiteral("*");
      if (!pattern.isEmpty()) patterns << pattern;
    }
    result << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QStringLiteral(")");
  }
  return result;
}
