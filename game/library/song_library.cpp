#include "game/library/song_library.h"

#include <QDir>
#include <QFile>
#include <QMetaObject>
#include <QStandardPaths>

#include <cstdio>

#include "game/core/extended_settings.h"
#include "game/core/setting_declarations.h"

namespace {

constexpr char kFolderSeparator = '|';
constexpr char kEscape = '%';

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

TSongLibrary::TSongLibrary(QObject* parent, TExtendedSettings& settings, std::string databasePath)
    : QObject(parent),
      m_settings(settings),
      m_databasePath(std::move(databasePath)),
      m_scanner(std::make_unique<TLibraryScanner>(m_databasePath)) {}

TSongLibrary::~TSongLibrary() {
  // The worker's end would be posted to an object that is going.
  m_scanner->Cancel();
  m_scanner->Wait();
}

std::string TSongLibrary::JoinFolders(const std::vector<std::string>& folders) {
  std::string stored;
  for (const std::string& folder : folders) {
    if (!stored.empty()) stored.push_back(kFolderSeparator);
    for (const char c : folder) {
      if (c == kFolderSeparator || c == kEscape || c == '\r' || c == '\n') {
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
        stored += escaped;
      } else {
        stored.push_back(c);
      }
    }
  }
  return stored;
}

std::vector<std::string> TSongLibrary::SplitFolders(std::string_view stored) {
  std::vector<std::string> folders;
  std::string folder;
  for (size_t i = 0; i <= stored.size(); ++i) {
    if (i == stored.size() || stored[i] == kFolderSeparator) {
      if (!folder.empty()) folders.push_back(folder);
      folder.clear();
    } else if (stored[i] == kEscape && i + 2 < stored.size() && HexValue(stored[i + 1]) >= 0 &&
               HexValue(stored[i + 2]) >= 0) {
      folder.push_back(static_cast<char>(HexValue(stored[i + 1]) * 16 + HexValue(stored[i + 2])));
      i += 2;
    } else {
      folder.push_back(stored[i]);
    }
  }
  return folders;
}

std::vector<std::string> TSongLibrary::Folders() const {
  if (m_settings.Has(kSongFoldersKey)) return SplitFolders(m_settings.String(kSongFoldersKey));
  const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
  if (music.isEmpty() || !QDir(music).exists()) return {};
  return {music.toStdString()};
}

void TSongLibrary::SetFolders(const std::vector<std::string>& folders) {
  m_settings.SetString(kSongFoldersKey, JoinFolders(folders));
}

void TSongLibrary::Scan() {
  const int generation = ++m_generation;
  m_scanning = true;
  std::vector<std::string> folders;
  // The scanner reads the file system's own bytes.
  for (const std::string& folder : Folders()) {
    folders.push_back(QFile::encodeName(QString::fromStdString(folder)).toStdString());
  }
  // The done callback runs on the worker; the destructor waits for the
  // worker, so this outlives it, and a posted end dies with this object.
  m_scanner->Start(std::move(folders), [this, generation](const TLibraryScanner::TResult& result) {
    QMetaObject::invokeMethod(this, [this, generation, result] { ScanEnded(generation, result); }, Qt::QueuedConnection);
  });
}

void TSongLibrary::ScanEnded(int generation, const TLibraryScanner::TResult& result) {
  // A scan cancelled by a newer one: the newer one's end is what counts.
  if (generation != m_generation) return;
  m_scanning = false;
  m_lastResult = result;
  m_hasResult = true;
  if (m_scanEnded) m_scanEnded();
}

void TSongLibrary::Cancel() { m_scanner->Cancel(); }

bool TSongLibrary::Scanning() const { return m_scanning; }

TLibraryScanner::TProgress TSongLibrary::Progress() const { return m_scanner->Progress(); }

void TSongLibrary::Wait() { m_scanner->Wait(); }
