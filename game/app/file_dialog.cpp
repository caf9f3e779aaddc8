#include "game/app/file_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/kernel/paths.h"

QIcon TPlainFileIcons::icon(const QFileInfo& info) const {
  return icon(info.isDir() ? QFileIconProvider::Folder : QFileIconProvider::File);
}

QString TPlainFileIcons::type(const QFileInfo& info) const {
  if (info.isDir()) return QFileDialog::tr("Folder");
  const QString suffix = info.suffix();
  return suffix.isEmpty() ? QFileDialog::tr("File") : suffix.toUpper();
}

QString DialogStartFolder(const QStringList& candidates, const QString& dataFolder) {
  const QString data = QFileInfo(dataFolder).canonicalFilePath();
  for (const QString& candidate : candidates) {
    if (candidate.isEmpty()) continue;
    QFileInfo info(candidate);
    if (!info.isDir()) info = QFileInfo(info.absolutePath());
    const QString folder = info.canonicalFilePath();
    if (info.isDir() && !folder.isEmpty() && folder != data) return folder;
  }
  return QDir::homePath();
}

QString GameDataFolder() { return QFileInfo(QFile::decodeName(SettingsFilePath().c_str())).absolutePath(); }

TOpenFileDialog::TOpenFileDialog(QWidget* parent, const QString& caption, const QStringList& startCandidates)
    : QFileDialog(parent, caption, DialogStartFolder(startCandidates, GameDataFolder())) {
  setFileMode(QFileDialog::ExistingFile);
  setAcceptMode(QFileDialog::AcceptOpen);
  // Qt's own dialog everywhere, so the filters look the same on every desktop.
  setOption(QFileDialog::DontUseNativeDialog, true);
  // Shared by every dialog and never destroyed before them: the model's
  // thread may still ask it while a dialog goes.
  static TPlainFileIcons icons;
  setIconProvider(&icons);
}
