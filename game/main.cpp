// Program entry: the application with its title, Qt's own texts in
// Japanese, the data folder as the current directory, the main window, a
// song named on the command line, the loop.
#include <QApplication>
#include <QLocale>
#include <QTimer>

#include <string>
#include <vector>

#include "game/app/command_line.h"
#include "game/pluvionaut1/open_song.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/app/qt_application.h"
#include "game/language/qt_translations.h"
#include "platform/kernel/paths.h"

namespace {

// Where the data lies when the program is not started from its folder: the
// executable's own folder (a build), then the installed data folder.
std::vector<std::string> DataFolders() {
  return {".", PLUV_DATA_FROM_EXECUTABLE};
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
  // The desktop file's name: the window's app id and icon on Wayland.
  QGuiApplication::setDesktopFileName(QStringLiteral(PLUV_APP_ID));
  InstallQtTranslations(QLocale(QLocale::Japanese, QLocale::Japan));
  // Named relative to where the player was, before the directory changes.
  const QString songFile = SongFileArgument(QCoreApplication::arguments());
  ChangeToDataFolder(DataFolders());
  TQtApplication application;
  application.SetTitle(kApplicationTitle);
  TForm1 form;
  application.SetMainWindow(&form);
  form.show();
  if (!songFile.isEmpty()) QTimer::singleShot(0, &form, [&form, songFile] { form.OpenCommandLineFile(songFile); });
  return QApplication::exec();
}
