#!/bin/sh
# Measures how far a caught note's sound lies from the frame showing its drop
# at the bar, on this machine: a private PulseAudio server with a null sink
# (its own runtime folder, stopped by its process id), a private Xvfb
# display, the game's bench at offset 0, then again at the offset the first
# run calibrates (its median). Run from the build folder's bin/.
set -eu
bin=$(cd "$(dirname "$0")" && pwd)
[ -x "$bin/bench_av_sync" ] || bin=$(pwd)
work=$(mktemp -d /tmp/pluv_av_sync.XXXXXX)

cat > "$work/pulse.pa" <<PA
load-module module-null-sink sink_name=bench_sink rate=48000 channels=2
load-module module-native-protocol-unix
set-default-sink bench_sink
PA
mkdir -p "$work/runtime" "$work/home"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
pulseaudio -n -F "$work/pulse.pa" --daemonize=no --exit-idle-time=-1 >"$work/pulse.log" 2>&1 &
pulse=$!
# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
cleanup() { kill "$pulse" "$xvfb" 2>/dev/null || true; wait "$pulse" "$xvfb" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
for i in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/pulse/native" ] && [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"
cd "$bin"
./bench_av_sync --offset 0 "$@" | tee "$work/first.txt"
offset=$(sed -n 's/^median_ms=\([-0-9.]*\).*/\1/p' "$work/first.txt" | awk '{printf "%d", ($1 < 0 ? $1 - 0.5 : $1 + 0.5)}')
echo "calibrated offset: $offset ms"
./bench_av_sync --offset "$offset" "$@"
