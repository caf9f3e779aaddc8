// Program entry: the application with its title, the main window, the loop.
#include <QApplication>

#include "game/open_song.h"
#include "game/pluvionaut1.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
  TForm1 form;
  form.show();
  return QApplication::exec();
}
