// The song file named on the command line (a desktop's "Open with", a file
// manager, a terminal): the first argument that is not an option, as an
// absolute path taken before the program changes its directory. Main
// thread only.
#pragma once

#include <QString>
#include <QStringList>

// args as QCoreApplication::arguments() gives them (the program first);
// empty when no file is named. "--" ends the options.
QString SongFileArgument(const QStringList& args);
