// TForm1 and the song library: the folders' scans beside the records, the
// ファイル menu's item, the song-select window (its songs open as Open
// opens them) and the preview of the song selected in it.
#include <QFile>
#include <QTimer>

#include "game/core/extended_settings.h"
#include "game/library/library_menu.h"
#include "game/library/library_window.h"
#include "game/library/song_library.h"
#include "game/library/song_preview.h"
#include "game/menus/main_menu.h"
#include "game/pluvionaut1/pluvionaut1.h"
#include "game/sequencer/window_player.h"
#include "platform/kernel/paths.h"
#include "records/records_database.h"

void TForm1::CreateLibrary() {
  m_songLibrary = std::make_unique<TSongLibrary>(nullptr, *m_extendedSettings,
                                                 TRecordsDatabase::PathBesideSettings(SettingsFilePath()));
  m_songPreview = std::make_unique<TSongPreview>([this] { return static_cast<int32_t>(m_playDeviceId); },
                                                 [this] { return Playing(); });
  m_libraryMenu = std::make_unique<TLibraryMenu>(*m_menu, [this] { ShowLibraryWindow(); });
  m_libraryMenu->ApplyVisibility(PlayCount());
}

void TForm1::StartLibraryRefresh() {
  // Once, after the window is on screen: the scan runs on its own thread,
  // so start-up waits for nothing. Before Open unlocks there is no library
  // to show; the window's first showing scans then.
  if (m_libraryRefreshStarted || m_songLibrary == nullptr || !m_menu->OpenVisible()) return;
  m_libraryRefreshStarted = true;
  QTimer::singleShot(0, this, [this] { m_songLibrary->Scan(); });
}

void TForm1::ShowLibraryWindow() {
  if (m_libraryWindow == nullptr) {
    TLibraryWindowHost host;
    host.OpenSong = [this](const QString& path) { OpenRecordedSong(path); };
    host.Preview = [this](const std::string& path) { m_songPreview->Play(path); };
    host.StopPreview = [this] { StopSongPreview(); };
    m_libraryWindow = new TLibraryWindow(this, *m_songLibrary, *m_extendedSettings, std::move(host));
  }
  if (!m_libraryRefreshStarted && !m_songLibrary->Scanning()) {
    m_libraryRefreshStarted = true;
    m_songLibrary->Scan();
  }
  if (m_libraryWindow->isVisible()) m_libraryWindow->Reload();
  m_libraryWindow->show();
  m_libraryWindow->raise();
  m_libraryWindow->activateWindow();
}

void TForm1::StopSongPreview() {
  if (m_songPreview != nullptr) m_songPreview->Stop();
}

void TForm1::DestroyLibrary() {
  // The window refers to the library, the preview plays on the game's
  // outputs: both go before the library and the sequencer.
  delete m_libraryWindow;
  m_libraryWindow = nullptr;
  m_songPreview.reset();
  m_libraryMenu.reset();
  m_songLibrary.reset();
}
