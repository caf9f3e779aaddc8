#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: once in a
# normal build (build/), once with AddressSanitizer + UndefinedBehaviorSanitizer
# (build-asan/); then the suites of the code that runs on several threads once
# more with ThreadSanitizer (build-tsan/, only those test programs built).
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=2
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 600

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPLUV_SANITIZE=ON -DPLUV_BENCH=OFF
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 900

# The threaded suites: the sequencer, MIDI output and the timer, the winmm
# layer, the audio engine and the application's message pump. Only their
# programs are built; the others register as *_NOT_BUILT and are left out.
tsanSuites=(sequencer_test midi_output_test winmm_test winmm_no_soundfont_test audio_test ui_test)
tsanStart=$SECONDS
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLUV_TSAN=ON -DPLUV_BENCH=OFF
cmake --build build-tsan -j"$jobs" --target "${tsanSuites[@]}"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp" \
  ctest --test-dir build-tsan --output-on-failure -j"$jobs" --timeout 900 -E '_NOT_BUILT$'
echo "ThreadSanitizer build and run: $((SECONDS - tsanStart)) s"
