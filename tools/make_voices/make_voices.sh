#!/usr/bin/env bash
# Speaks Rufuna's ten voice lines with espeak-ng's Japanese voice and shapes
# them with sox into the WAV files under data/wav/. The output is committed,
# so the build never needs a speech synthesizer; run this again only to
# change a line.
#
# The lines are written in kana: espeak-ng's Japanese voice reads kanji as
# letter names, kana it pronounces. The giggle is "きゃはは": a final small
# "っ" comes out as a bare glottal stop.
#
# Usage: tools/make_voices/make_voices.sh [output-folder]   (default data/wav)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here/../../data/wav}"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for tool in espeak-ng sox; do
  command -v "$tool" >/dev/null || { echo "make_voices: $tool is missing" >&2; exit 1; }
done

# A young, bright voice: espeak's female variant f4 with a high base pitch,
# then half an octave up in sox (which also lifts the formants, so the voice
# sounds smaller), a little presence, a short room and a soft fade.
readonly voice="ja+f4"
readonly sampleRate=44100
readonly maxSeconds=3.8

# file name | kana text | espeak pitch (0-99) | speed (words/min) | sox pitch (cents)
lines=(
  "OniichanA@08.wav|おにいちゃん！|80|150|500"
  "kyoumoyoroshiku.wav|きょうもよろしくね|70|160|450"
  "Mattetandayo.wav|まってたんだよ|70|150|450"
  "Arigatou.wav|ありがとう！|75|150|450"
  "HajimeC@08.wav|はじめるよ！|80|165|500"
  "IkuyoA@08.wav|いくよー！|85|160|550"
  "uwa.wav|うわあ、すごい！|90|155|550"
  "SyuuryouC@08.wav|しゅうりょう！|75|160|450"
  "kyaha.wav|きゃはは|95|190|600"
  "KaerunoA@08.wav|かえるの？|65|140|400"
)

for entry in "${lines[@]}"; do
  IFS='|' read -r name text pitch speed cents <<<"$entry"
  raw="$work/raw.wav"
  espeak-ng -v "$voice" -p "$pitch" -s "$speed" -a 100 -w "$raw" "$text"
  # silence trimming at both ends keeps the line snappy when it is cued;
  # norm leaves 1 dB of headroom for the mixer.
  shaped="$work/shaped.wav"
  sox -R "$raw" -b 16 -c 1 "$shaped" \
    gain -8 silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse \
    rate -v "$sampleRate" pitch "$cents" \
    highpass 150 equalizer 3200 1.2q 4 lowpass 9000 \
    reverb 18 40 35 0 5 \
    pad 0.03 0.15
  # A second pass, since fading out needs the length of the shaped line.
  sox -R "$shaped" "$out/$name" fade t 0.01 0 0.12 norm -1
  seconds="$(soxi -D "$out/$name")"
  if ! awk -v s="$seconds" -v m="$maxSeconds" 'BEGIN { exit !(s < m) }'; then
    echo "make_voices: $name lasts ${seconds}s, longer than ${maxSeconds}s" >&2
    exit 1
  fi
  printf '%-22s %ss\n' "$name" "$seconds"
done
