#!/usr/bin/env bash
# Builds the benchmark programs in a release configuration and runs them all.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DPLUV_TESTS=OFF
cmake --build build-release -j2
status=0
for b in build-release/bin/bench_*; do
  [ -x "$b" ] || continue
  echo "== $b"
  "$b" "$@" || status=1
done
exit $status
