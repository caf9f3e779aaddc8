#include "game/library/library_menu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include "game/core/system_data.h"
#include "game/menus/main_menu.h"

TLibraryMenu::TLibraryMenu(TMainMenu& menu, std::function<void()> showLibrary) {
  QMenu* file = menu.Item("File1")->menu();
  m_item = menu.AddCommand(file, "SongLibrary", QStringLiteral("曲ライブラリ(&L)..."),
                           QStringLiteral("曲フォルダの曲から選んで遊べるよ。"));
  // Just below Open: the item before which it goes is the one after Open.
  const QList<QAction*> items = file->actions();
  const qsizetype open = items.indexOf(menu.Item("Open"));
  if (open >= 0 && open + 1 < items.size() && items[open + 1] != m_item) {
    file->removeAction(m_item);
    file->insertAction(items[open + 1], m_item);
  }
  m_item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
  QObject::connect(m_item, &QAction::triggered, m_item, [showLibrary] { showLibrary(); });
  ApplyVisibility(0);
}

void TLibraryMenu::ApplyVisibility(int playCount) { m_item->setVisible(playCount >= kOpenUnlockCount); }
