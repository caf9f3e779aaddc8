#include "game/app/command_line.h"

#include <QFileInfo>

QString SongFileArgument(const QStringList& args) {
  bool options = true;
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (options && arg == QStringLiteral("--")) {
      options = false;
      continue;
    }
    if (arg.isEmpty() || (options && arg.startsWith(QLatin1Char('-')))) continue;
    return QFileInfo(arg).absoluteFilePath();
  }
  return {};
}
