#!/usr/bin/env bash
# Gaps in the game's PulseAudio stream against the length it keeps queued,
# on a private PulseAudio server (null sink, its own runtime folder), first on
# an idle machine, then while the disk is written (dd with fdatasync, a few
# hundred MB at a time, removed afterwards) and both cores are busy.
#   bench/stream_gaps/run_stream_gaps.sh [build folder] [seconds]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build-release}")
seconds=${2:-10}
bench="$build/bin/bench_stream_gaps"
[ -x "$bench" ] || { echo "build $bench first (./bench.sh builds it)"; exit 1; }

work=$(mktemp -d /tmp/pluv_stream_gaps.XXXXXX)
serverPid=""
loadPids=()
cleanup() {
  for pid in "${loadPids[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -n "$serverPid" ] && kill "$serverPid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
cat > "$work/server.pa" <<PA
load-module module-null-sink sink_name=gaps rate=48000 channels=2
load-module module-native-protocol-unix auth-anonymous=1
set-default-sink gaps
PA
export XDG_RUNTIME_DIR="$work/runtime" PULSE_SERVER="unix:$work/runtime/pulse/native" HOME="$work"
pulseaudio -n -F "$work/server.pa" --daemonize=no --exit-idle-time=-1 --log-level=error &
serverPid=$!
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done

buffers=(16 24 40 48)
echo "== idle"
"$bench" "$seconds" "${buffers[@]}"

echo "== the disk written (dd 400 MB with fdatasync, again and again) and both cores busy"
( while true; do dd if=/dev/zero of="$work/written" bs=1M count=400 conv=fdatasync 2>/dev/null; rm -f "$work/written"; done ) &
loadPids+=($!)
for _ in 1 2; do ( while true; do :; done ) & loadPids+=($!); done
"$bench" "$seconds" "${buffers[@]}"
