// The main window's font: "ＭＳ Ｐゴシック", 12 pixels high, as designed, with
// the Windows Japanese faces mapped onto the installed IPA faces so the name
// resolves on any machine that has fonts-ipafont-gothic. Main thread only.
#pragma once

#include <QFont>

// Installs the face substitutions (once) and returns the form's font.
QFont FormFont();
