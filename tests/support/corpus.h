// The shared corpus of real-world files (MIDI, BMP) lies beside the
// checkout; a machine without it skips the tests that read it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

inline bool CorpusPresent() { return std::filesystem::is_directory(std::filesystem::path(PLUV_CORPUS_DIR) / "midi"); }

// At the top of a test (or its SetUp) that reads corpus files.
#define PLUV_SKIP_WITHOUT_CORPUS() \
  if (!CorpusPresent()) GTEST_SKIP() << "corpus not present at " << PLUV_CORPUS_DIR
