#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it from build/bin/,
# where its data folders lie.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2

if [ -x build/bin/pluvionaut ]; then
  cd build/bin
  exec ./pluvionaut "$@"
fi
echo "Built the tools into build/bin/; the game itself is not built yet."
