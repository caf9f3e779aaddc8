#include "game/pluvionaut1/form_font.h"

namespace {

constexpr int kFormFontPixelHeight = 12;

void InstallSubstitutes() {
  // Proportional and fixed-pitch Gothic faces of Windows and their IPA
  // counterparts; the ASCII names are the same faces' English names.
  QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
  QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"));
}

}  // namespace

QFont FormFont() {
  static const bool installed = (InstallSubstitutes(), true);
  (void)installed;
  QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
  font.setPixelSize(kFormFontPixelHeight);
  return font;
}
