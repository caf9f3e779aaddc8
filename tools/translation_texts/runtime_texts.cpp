#include "tools/translation_texts/runtime_texts.h"

#include <QCoreApplication>

#include <cstring>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "game/pluvionaut1/pluvionaut1.h"
#include "game/app/tr.h"
#include "game/core/voice_cues.h"
#include "platform/kernel/paths.h"

QString TRecordingTranslator::translate(const char* context, const char* sourceText, const char*, int) const {
  if (context != nullptr && sourceText != nullptr && std::strcmp(context, kTrContext) == 0) {
    m_texts.insert(sourceText);
  }
  return {};
}

std::set<std::string> MainWindowTexts() {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("pluv_translation_texts_" + std::to_string(getpid()));
  fs::create_directories(dir);
  SetSettingsPathForTesting((dir / "pluvionaut.ini").string());
  SetVoiceLineOutput([](const std::string&) { return false; });

  TRecordingTranslator recorder;
  QCoreApplication::installTranslator(&recorder);
  {
    TForm1 form;
    // Every item, also those added after the designed menu, once more
    // through Tr: the recorder sees the texts of hidden parts too.
    form.MainMenu1().Retranslate();
  }
  QCoreApplication::removeTranslator(&recorder);

  ResetVoiceLineOutput();
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return recorder.Texts();
}
