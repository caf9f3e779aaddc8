#!/usr/bin/env bash
# Builds the Debian package with CPack, installs it and starts the installed
# game under a private Xvfb display from an unrelated folder, then checks
# that the title screen is drawn (the window's picture holds many colours).
#   scripts/check-deb.sh [--system] [build folder]
# By default the package is unpacked into a fresh root folder (its files,
# laid out as dpkg would) and started from there; --system installs it on
# this machine with dpkg (and apt-get for its dependencies) instead.
set -euo pipefail
cd "$(dirname "$0")/.."

system=0
if [ "${1:-}" = "--system" ]; then
  system=1
  shift
fi
build=$(realpath "${1:-build}")
readonly kTitleColours=1000     # distinct colours of a drawn title screen (a blank window has a few)
readonly kWindowWaitSeconds=30

./scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target pluvionaut pluv_data pluv_icons pluv_translations
(cd "$build" && cpack -G DEB)
deb=$(ls -t "$build"/pluvionaut_*.deb | head -1)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Depends/p'

work=$(mktemp -d /tmp/pluv_deb_check.XXXXXX)
xvfbPid=""
gamePid=""
cleanup() {
  [ -n "$gamePid" ] && kill "$gamePid" 2>/dev/null || true
  [ -n "$xvfbPid" ] && kill "$xvfbPid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if [ "$system" = 1 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO dpkg -i "$deb" || $SUDO apt-get install -f -y --no-install-recommends
  launcher=/usr/bin/pluvionaut
else
  root="$work/root"
  dpkg-deb -x "$deb" "$root"
  launcher="$root/usr/bin/pluvionaut"
fi
test -x "$launcher"
for f in usr/share/applications/org.pluvionaut.Pluvionaut.desktop usr/share/metainfo/org.pluvionaut.Pluvionaut.metainfo.xml \
         usr/share/icons/hicolor/16x16/apps/org.pluvionaut.Pluvionaut.png usr/share/icons/hicolor/256x256/apps/org.pluvionaut.Pluvionaut.png \
         usr/share/pluvionaut/dat/tutorialmid.dat usr/share/pluvionaut/bmp/title.bmp; do
  if [ "$system" = 1 ]; then test -e "/$f"; else test -e "$root/$f"; fi
done

# A private display; its number is chosen by Xvfb itself.
exec 3<> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfbPid=$!
for _ in $(seq 50); do
  display=$(head -1 "$work/display" 2>/dev/null || true)
  [ -n "$display" ] && break
  sleep 0.1
done
export DISPLAY=":$display"

# Desktop metadata as the desktop's tools read it.
prefixRoot=$([ "$system" = 1 ] && echo "" || echo "$root")
appstreamcli validate --no-net "$prefixRoot/usr/share/metainfo/org.pluvionaut.Pluvionaut.metainfo.xml"
desktop-file-validate "$prefixRoot/usr/share/applications/org.pluvionaut.Pluvionaut.desktop"

mkdir -p "$work/elsewhere"
cd "$work/elsewhere"

# Starts the installed game and waits for its window ($window, $X, $Y).
start_game() {
  XDG_CONFIG_HOME="$work/config" "$launcher" >"$work/game.log" 2>&1 &
  gamePid=$!
  window=""
  for _ in $(seq $((kWindowWaitSeconds * 10))); do
    window=$(xdotool search --onlyvisible --name '^Pluvionaut$' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "no game window"; cat "$work/game.log"; exit 1; }
  xdotool windowfocus "$window"
  eval "$(xdotool getwindowgeometry --shell "$window")"
}
# Waits until the title screen is drawn; its screenshot is $work/shot.png.
wait_for_title() {
  colours=0
  for _ in $(seq 50); do
    import -window root "$work/shot.png"
    colours=$(convert "$work/shot.png" -crop "640x400+$X+$((Y + 30))" -format %k info:)
    [ "$colours" -ge "$kTitleColours" ] && break
    sleep 0.2
  done
}
close_game() {
  xdotool key --window "$window" alt+f x
  for _ in $(seq 100); do
    kill -0 "$gamePid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$gamePid" 2>/dev/null; then echo "the game did not close"; exit 1; fi
  wait "$gamePid"
  gamePid=""
}

start_game
wait_for_title
cp "$work/shot.png" "$build/deb_check_title.png"
echo "title screen colours: $colours (screenshot $build/deb_check_title.png)"
[ "$colours" -ge "$kTitleColours" ] || { echo "the title screen was not drawn"; exit 1; }
convert "$work/shot.png" -crop "640x24+$X+$Y" "$work/menu_ja.png"
close_game
echo "the installed game started from $work/elsewhere, drew its title and closed"

# Again in English: the menu bar must read differently.
settings=$(find "$prefixRoot/usr/libexec/pluvionaut" "$work/config" -name pluvionaut.ini 2>/dev/null | head -1 || true)
[ -n "$settings" ] || { echo "the installed game wrote no settings file"; exit 1; }
section=$(printf '[拡張設定]' | iconv -f UTF-8 -t CP932)
key=$(printf '言語' | iconv -f UTF-8 -t CP932)
grep -av "^$key=" "$settings" > "$work/settings.ini" || true
if grep -aqF "$section" "$work/settings.ini"; then
  sed -i "s/^\(\[$(printf '拡張設定' | iconv -f UTF-8 -t CP932)\]\)\r\?$/\1\r\n$key=en\r/" "$work/settings.ini"
else
  printf '%s\r\n%s=en\r\n' "$section" "$key" >> "$work/settings.ini"
fi
cp "$work/settings.ini" "$settings"
start_game
wait_for_title
convert "$work/shot.png" -crop "640x24+$X+$Y" "$work/menu_en.png"
cp "$work/shot.png" "$build/deb_check_title_en.png"
differing=$(compare -metric AE "$work/menu_ja.png" "$work/menu_en.png" null: 2>&1 || true)
echo "menu bar pixels differing in English: $differing (screenshot $build/deb_check_title_en.png)"
[ "${differing%% *}" -gt 100 ] 2>/dev/null || { echo "the installed game is not in English"; exit 1; }
close_game
echo "the installed game reads its English texts"
