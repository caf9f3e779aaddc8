#include "game/play_records/records_menu.h"

#include <QAction>
#include <QMenu>

#include "game/play_records/game_recorder.h"
#include "game/menus/main_menu.h"
#include "game/app/tr.h"
#include "game/core/translatable.h"

namespace {

constexpr const char* kNoRecentSongs = Translatable("（まだないよ）");

// Moves item from the end of menu to just before `before`.
void MoveBefore(QMenu* menu, QAction* item, QAction* before) {
  menu->removeAction(item);
  menu->insertAction(before, item);
}

}  // namespace

TRecordsMenu::TRecordsMenu(TMainMenu& menu, TGameRecorder& recorder, std::function<void(const QString&)> openSong,
                           std::function<void()> showRecords)
    : m_recorder(recorder), m_openSong(std::move(openSong)) {
  QMenu* file = menu.Item("File1")->menu();
  QAction* exit = menu.Item("Exit1");
  m_recentMenu = menu.AddSubmenu(file, "RecentSongs", QStringLiteral("最近使った曲"),
                                 QStringLiteral("最近遊んだ曲をすぐに開けるよ。"));
  MoveBefore(file, m_recentMenu->menuAction(), exit);
  m_recordsItem = menu.AddCommand(file, "PlayRecords", QStringLiteral("プレイ記録..."),
                                  QStringLiteral("今までに遊んだ曲とスコアを見られるよ。"));
  MoveBefore(file, m_recordsItem, exit);
  QObject::connect(m_recentMenu, &QMenu::aboutToShow, m_recentMenu, [this] { FillRecentSongs(); });
  QObject::connect(m_recordsItem, &QAction::triggered, m_recordsItem, [showRecords] { showRecords(); });
  FillRecentSongs();
  ApplyVisibility(0);
}

void TRecordsMenu::ApplyVisibility(int playCount) {
  const bool shown = playCount >= kOpenUnlockCount;
  m_recentMenu->menuAction()->setVisible(shown);
  m_recordsItem->setVisible(shown);
}

void TRecordsMenu::FillRecentSongs() {
  m_recentMenu->clear();
  const std::vector<TSongSummary> songs = m_recorder.RecentSongs();
  if (songs.empty()) {
    m_recentMenu->addAction(Tr(kNoRecentSongs))->setEnabled(false);
    return;
  }
  int number = 1;
  for (const TSongSummary& song : songs) {
    const QString path = QString::fromStdString(song.Path);
    QString caption = QString::fromStdString(song.FileName);
    if (!song.Title.empty()) caption += QStringLiteral(" [") + QString::fromStdString(song.Title) + QStringLiteral("]");
    // Numbered accelerators 1..8, as recent-file lists have them; a caption's
    // own ampersands are doubled so that they show.
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* item = m_recentMenu->addAction(QStringLiteral("&%1 ").arg(number++) + caption);
    item->setStatusTip(path);
    QObject::connect(item, &QAction::triggered, item, [this, path] { m_openSong(path); });
  }
}
