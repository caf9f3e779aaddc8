// The game's file dialogs (a song, a SoundFont): Qt's own dialog, started in
// a folder of the player's files, never in the game's folder, and with icons
// chosen by name only. The stock icons come from each file's contents: the
// dialog would open and close every file it lists, the records' database
// among them in the game's folder. GUI thread.
#pragma once

#include <QFileDialog>
#include <QFileIconProvider>
#include <QString>
#include <QStringList>

// The style's folder and file icons, and a type by extension, without
// opening a file. Called from the dialog's file-information thread too.
class TPlainFileIcons : public QFileIconProvider {
 public:
  using QFileIconProvider::icon;
  QIcon icon(const QFileInfo& info) const override;
  QString type(const QFileInfo& info) const override;
};

// The first of candidates (files or folders: a file stands for its folder)
// that is an existing folder other than dataFolder; else the home folder.
QString DialogStartFolder(const QStringList& candidates, const QString& dataFolder);

// The folder of the game's own files: its settings and, beside them, its records.
QString GameDataFolder();

// A dialog for one existing file, with the plain icons, starting in the
// first suitable candidate (see DialogStartFolder).
class TOpenFileDialog : public QFileDialog {
 public:
  TOpenFileDialog(QWidget* parent, const QString& caption, const QStringList& startCandidates);
};
