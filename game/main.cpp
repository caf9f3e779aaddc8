// Program entry: the application with its title, the main window, the loop.
#include <QApplication>

#include "game/open_song.h"
#include "game/pluvionaut1.h"
#include "game/qt_application.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
  TQtApplication application;
  application.SetTitle(kApplicationTitle);
  TForm1 form;
  application.SetMainWindow(&form);
  form.show();
  return QApplication::exec();
}
