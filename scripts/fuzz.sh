#!/usr/bin/env bash
# Builds every libFuzzer target with clang (build-fuzz/) and runs each one in
# turn (one process each unless -w asks for more) at the lowest priority,
# seeded from the shared real-world corpus and the game's own data. Not part
# of ./test.sh.
#
#   scripts/fuzz.sh [-t SECONDS] [-r RUNS] [-j JOBS] [-m BYTES] [-w WORKERS] [-p] [TARGET...]
#
#   -t SECONDS  time per target (default 60)
#   -r RUNS     stop a target after this many executions instead (0: no limit)
#   -j JOBS     build jobs (default 2)
#   -m BYTES    largest input a fuzzer makes up (default 2048)
#   -w WORKERS  fuzzer processes per target, sharing its corpus (default 1);
#               -r then counts for each of them
#   -p          run the targets at the same time, one process each (for a
#               machine with a core to spare per target)
#   TARGET      smf, bmp, vha, ini, wav (default: all of them)
#
# Each target keeps its growing corpus in build-fuzz/corpus/<target>/ and its
# log in build-fuzz/logs/<target>.log (<target>-2.log ... for more workers);
# crashes, leaks, timeouts and out-of-memory inputs land in
# build-fuzz/artifacts/. At the end one line per
# target gives its executions, coverage, features, corpus size and peak
# memory. Exits non-zero when a target found a fault.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

seconds=60
runs=0
jobs=2
# Largest input a fuzzer makes up, in bytes: big enough for every header and
# a few chunks or tracks, small enough to keep executions fast.
maxLen=2048
parallel=0
workers=1
while getopts "t:r:j:m:w:ph" option; do
  case $option in
    t) seconds=$OPTARG ;;
    r) runs=$OPTARG ;;
    j) jobs=$OPTARG ;;
    m) maxLen=$OPTARG ;;
    w) workers=$OPTARG ;;
    p) parallel=1 ;;
    *) sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(smf bmp vha ini wav)

build=${PLUV_FUZZ_BUILD:-$root/build-fuzz}
corpus=${PLUV_CORPUS:-$root/../shared/corpus}
# Seed files cut to this many bytes (the readers accept a cut file or refuse
# it cleanly, and either path is worth fuzzing).
seedBytes=$maxLen
# One input may run this long (seconds, wall clock: a fuzzer at the lowest
# priority on a busy machine gets little of it) and use this much memory (MB).
timeoutSeconds=60
rssLimitMb=2048

export CCACHE_DIR=${CCACHE_DIR:-/work/.ccache}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ=ON -DPLUV_TESTS=OFF -DPLUV_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
nice -n 19 cmake --build "$build" -j"$jobs" --target "${targets[@]/#/fuzz_}"

# Copies the files of the given folders (recursively) matching a name pattern
# into a seed folder, cut to seedBytes.
Seed() {
  local into=$1 pattern=$2
  shift 2
  mkdir -p "$into"
  local dir file
  for dir in "$@"; do
    [ -d "$dir" ] || continue
    while IFS= read -r -d '' file; do
      head -c "$seedBytes" "$file" >"$into/$(echo "$file" | md5sum | cut -c1-16)"
    done < <(find "$dir" -type f -iname "$pattern" -print0)
  done
}

# The game's data as the normal build lays it out, when there is one.
gameData=$root/build/bin
seeds=$build/seeds
rm -rf "$seeds"
Seed "$seeds/smf" "*.mid" "$corpus/midi" "$root/tests/data/midi"
Seed "$seeds/smf" "*.rmi" "$corpus/midi"
Seed "$seeds/smf" "tutorialmid.dat" "$gameData/dat"
Seed "$seeds/bmp" "*.bmp" "$corpus/bmpsuite" "$root/tests/data/gfx" "$gameData/bmp"
Seed "$seeds/vha" "*.vha" "$corpus" "$root/tests/data"
Seed "$seeds/ini" "*.ini" "$root/fuzz/ini/seeds" "$gameData"
Seed "$seeds/wav" "*.wav" "$root/data/wav"
# An archive of one stored and one byte-pair entry, so that the VHA fuzzer
# starts past the signature and directory checks.
printf '\x01\x00\x00\x00VHA0\x01\x00\x00\x00' >"$seeds/vha/two-entries"
head -c 244 /dev/zero >>"$seeds/vha/two-entries"
printf '\x0c\x02\x00\x00\x0a\x00\x00\x00\x04\x00\x00\x00a\x00' >>"$seeds/vha/two-entries"
head -c 254 /dev/zero >>"$seeds/vha/two-entries"
printf '\xff\x80\xfe\x03\x00\x00\x00abc' >>"$seeds/vha/two-entries"

# Runs one fuzzer process of a target (worker 1, 2, ...); its log says how it
# went. Workers of one target share its corpus folder and pick up each
# other's finds when they reload it.
RunWorker() {
  local target=$1 worker=$2
  mkdir -p "$build/corpus/$target" "$build/logs" "$build/artifacts"
  local options=(-max_len=$maxLen -timeout=$timeoutSeconds -rss_limit_mb=$rssLimitMb -print_final_stats=1
                 -artifact_prefix="$build/artifacts/$target-" -max_total_time="$seconds")
  [ "$runs" -gt 0 ] && options+=(-runs="$runs")
  [ -f "$root/fuzz/$target/$target.dict" ] && options+=(-dict="$root/fuzz/$target/$target.dict")
  local log
  log=$(LogOf "$target" "$worker")
  echo "fuzz_$target (worker $worker): ${seconds}s, log $log"
  if ! (cd "$build" && nice -n 19 "$build/bin/fuzz_$target" "${options[@]}" "$build/corpus/$target" "$seeds/$target") \
      >"$log" 2>&1; then
    echo "fuzz_$target: FOUND A FAULT, see $log and $build/artifacts/"
    return 1
  fi
}

LogOf() {
  if [ "$2" -eq 1 ]; then echo "$build/logs/$1.log"; else echo "$build/logs/$1-$2.log"; fi
}

# Runs every worker of one target.
RunTarget() {
  local target=$1 worker pids=() failed=0
  for ((worker = 1; worker <= workers; ++worker)); do
    RunWorker "$target" "$worker" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
  return $failed
}

status=0
if [ "$parallel" -eq 1 ]; then
  pids=()
  for target in "${targets[@]}"; do
    RunTarget "$target" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || status=1; done
else
  for target in "${targets[@]}"; do RunTarget "$target" || status=1; done
fi

summary=()
for target in "${targets[@]}"; do
  executions=0 peak=0
  for ((worker = 1; worker <= workers; ++worker)); do
    log=$(LogOf "$target" "$worker")
    units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -1)
    executions=$((executions + ${units:-0}))
    [ "${rss:-0}" -gt "$peak" ] && peak=$rss
  done
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*/[0-9a-zA-Z]*' "$(LogOf "$target" 1)" | tail -1)
  summary+=("fuzz_$target: $executions executions, ${coverage:-no coverage line}, peak $peak MB")
done
printf '%s\n' "${summary[@]}"
exit $status
