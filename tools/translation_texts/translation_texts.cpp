// translation_texts: prints, for lupdate, every text of the game that has a
// translation: the literals given to Tr and Translatable in the game's
// sources and the texts the main window passes through Tr when it is built.
//   translation_texts <source root>   (run in the runtime folder, offscreen)
// scripts/update-translations.sh runs it and hands the result to lupdate.
#include <QApplication>

#include <cstdlib>
#include <iostream>

#include "game/app/tr.h"
#include "tools/translation_texts/runtime_texts.h"
#include "tools/translation_texts/source_texts.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: translation_texts <source root>\n";
    return EXIT_FAILURE;
  }
  QApplication app(argc, argv);
  std::set<std::string> texts = TranslatableLiteralsIn(GameSourceFolders(argv[1]));
  texts.merge(MainWindowTexts());
  std::cout << LupdateSource(texts, kTrContext);
  return std::cout ? EXIT_SUCCESS : EXIT_FAILURE;
}
