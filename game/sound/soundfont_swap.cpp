#include "game/sound/soundfont_swap.h"

#include <utility>

#include "platform/audio/audio_engine.h"

bool TSoundFontSwap::Start(const std::string& path) {
  if (Busy()) return false;
  TAudioEngine& engine = TAudioEngine::Global();
  if (path == engine.SoundFontPath()) return false;
  if (!m_loader.Start(path, engine.SampleRate())) return false;
  m_path = path;
  return true;
}

TSoundFontSwap::TReport TSoundFontSwap::Poll(bool playing) {
  if (m_loader.Finished()) {
    m_loaded = m_loader.Take();
    if (!m_loaded) return TReport::Failed;
    m_swapPending = true;
  }
  if (!m_swapPending || playing) return TReport::Waiting;
  m_swapPending = false;
  TAudioEngine& engine = TAudioEngine::Global();
  m_replacedNone = !engine.SynthesizerReady();
  m_loader.Retire(engine.ReplaceSynthesizer(std::move(m_loaded)));
  return TReport::Swapped;
}
