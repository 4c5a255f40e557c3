#!/usr/bin/env bash
# Runs one scenario against the built program on Wayland: a headless sway (no screen, drawn
# in software), the program on the toolkit's Wayland plugin, driven from outside with keys
# through wtype, screenshots through grim and the clipboard through wl-paste. sway refuses to
# run as root; as root, it, the program and the tools run as nobody. Usage: wayland.sh
# PROGRAM SCENARIO. SHOTS=FOLDER keeps the window's picture for the software centres there
# (packaging/screenshots). Exit 77 means skipped.
set -euo pipefail
program=$1 scenario=$2
# The scenarios, also read by CMakeLists.txt to make one test of each.
scenarios=(review size_stays)
[[ " ${scenarios[*]} " == *" $scenario "* ]] || { echo "FAIL: no scenario named $scenario" >&2; exit 1; }
for tool in sway swaymsg grim wtype wl-paste jq convert compare setpriv; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (scripts/setup installs it)"; exit 77; }
done
compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null || { echo "SKIP: no qt6-wayland"; exit 77; }
work="$(mktemp -d /tmp/replixa-wayland.XXXXXX)" pids=() as=() app=""
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait; [ -n "${KEEP:-}" ] || rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
wait_until() {
  local end=$((SECONDS + $1)) what=$2; shift 2
  until "$@" >/dev/null 2>&1; do [ $SECONDS -lt $end ] || fail "waited for: $what"; sleep 0.1; done
}

# The compositor, on a runtime folder of its own; its user owns everything in $work.
folder="$work/program" ini="$work/program/Replixa.ini" demo="$work/demo clip.mp4"
mkdir -p "$folder" "$work/home" && chmod 755 "$work" && mkdir -m 700 "$work/run"
cp "$program" "$folder/replixa"
find "$(dirname "$program")" -maxdepth 1 \( -name '*.gif' -o -name '*.png' -o -name '*.htm' \) -exec cp {} "$folder" \;
cp "$(dirname "$0")/../../media/demo.mp4" "$demo"
printf 'xwayland disable\noutput HEADLESS-1 resolution 1920x1080\nfor_window [app_id="replixa"] floating enable, border none\n' >"$work/config"
[ "$(id -u)" != 0 ] || { as=(setpriv --reuid=nobody --regid=nogroup --clear-groups) && chown -R nobody:nogroup "$work"; }
run() { "${as[@]}" "$@"; }
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/config" QT_QPA_PLATFORM=wayland
WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "${as[@]}" sway -c "$work/config" >"$work/sway.log" 2>&1 & pids+=($!)
end=$((SECONDS + 10))
until compgen -G "$work/run/sway-ipc.*" >/dev/null && compgen -G "$work/run/wayland-*.lock" >/dev/null; do
  [ $SECONDS -lt $end ] && kill -0 "${pids[0]}" 2>/dev/null || { echo "SKIP: no compositor: $(grep . "$work/sway.log" | tail -1)"; exit 77; }
  sleep 0.1
done
export WAYLAND_DISPLAY=$(basename "$(compgen -G "$work/run/wayland-*.lock")" .lock) SWAYSOCK=$(compgen -G "$work/run/sway-ipc.*")
# A keyboard for the whole run: the seat has none of its own, and one that each wtype brings
# and takes away again comes and goes before the program has bound it, losing its keys.
"${as[@]}" wtype -s 100000000 & pids+=($!)
start() {
  (cd "$work" && exec "${as[@]}" "$folder/replixa" "$@" >>"$work/program.log" 2>&1) &
  app=$! && pids+=($app)
  wait_until 20 "the main window" window '^Orvane Replixa'
}
# The window whose title matches, as "X,Y WIDTHxHEIGHT" (grim's geometry), from the compositor.
window() {
  run swaymsg -t get_tree | jq -er --arg t "$1" '[.. | objects | select(.app_id? == "replixa" and (.name // "" | test($t)))
    | .rect | "\(.x),\(.y) \(.width)x\(.height)"] | first'
}
sized() { [ "$(window '^Orvane Replixa' | cut -d' ' -f2)" = "$1" ]; }
keys() { run wtype "$@"; }
setting() { sed -n "s/^$1=\([^\r]*\)\r\?$/\1/p" "$ini"; }
# Ends the program with SIGTERM, as a logout does: it must end cleanly.
terminate() { kill -TERM "$app"; local code=0; wait "$app" || code=$?; [ "$code" = 0 ] || fail "SIGTERM ended it with $code"; }
# The picture, read as tests/e2e/e2e.sh reads it: the clip's dark background gives the
# video's box, and two rows of eight cells at (390, 236) of its 480 pixels its frame number.
shot() { run grim -t ppm "$work/shot.ppm"; } # uncompressed: quick to write and read
video_box() {
  convert "$work/shot.ppm" -fuzz 2% -fill black +opaque '#1d2733' -format '%@' info: |
    sed -nE 's/^([0-9]{3,})x[0-9]+\+([0-9]+)\+([0-9]+)$/\1 \2 \3/p' | grep .
}
frame() {
  local w x y
  shot && read -r w x y <<<"$(video_box)" || { echo -1; return; }
  convert "$work/shot.ppm" -crop "$((80 * w / 480))x$((20 * w / 480))+$((x + 390 * w / 480))+$((y + 236 * w / 480))" \
    +repage -filter box -resize '8x2!' -colorspace gray -depth 8 gray:- |
    od -An -v -tu1 | awk '{ for (i = 1; i <= NF; ++i) { if ($i > 127) n += 2 ^ b; ++b } } END { print n + 0 }'
}
beyond() { [ "$(frame)" -gt "$1" ]; }
before() { local f; f=$(frame); [ "$f" -ge 0 ] && [ "$f" -lt "$1" ]; }
# Standing for a second: a program slowed by a busy machine may draw nothing for a while.
still() { local a; a=$(frame); sleep 0.5; [ "$a" -ge 0 ] && [ "$(frame)" -eq "$a" ] && sleep 0.5 && [ "$(frame)" -eq "$a" ]; }
pasted() { run wl-paste -t image/png >"$work/clip.png" && [ -s "$work/clip.png" ]; }
width_is() { shot && [ "$(video_box | cut -d' ' -f1)" = "$1" ]; }

review() {
  start "$demo"
  wait_until 20 "the demo clip to play" beyond 5
  local w f differ
  read -r w _ <<<"$(video_box)"
  keys -M ctrl -k F2 -m ctrl
  wait_until 10 "Ctrl+F2 to double the picture" width_is $((2 * w))
  wait_until 20 "the ring to fill at the new size" beyond $(($(frame) + 50))
  keys -k space
  wait_until 10 "Space to pause" still
  keys -k Left # the newest snapshot, which may be the picture paused on
  wait_until 10 "the first snapshot" still
  for step in 1 2; do
    f=$(frame) && keys -k Left
    wait_until 10 "Left $step to show an older snapshot" before "$f"
  done
  keys -M ctrl c -m ctrl
  wait_until 10 "a picture on the clipboard" pasted
  read -r w x y <<<"$(shot && video_box)"
  convert "$work/shot.ppm" -crop "$(identify -format %wx%h "$work/clip.png")+$x+$y" +repage "$work/screen.png"
  differ=$(compare -metric AE "$work/clip.png" "$work/screen.png" null: 2>&1 || true)
  [ "$differ" = 0 ] || fail "the clipboard differs from the screen in $differ pixels"
  [ -z "${SHOTS:-}" ] || { run grim -g "$(window '^Orvane Replixa')" "$work/review.png" && cp "$work/review.png" "$SHOTS/"; }
  terminate
  [ "$(setting zoom)" = 2 ] && [ -n "$(setting width)" ] || fail "settings after SIGTERM: $(tr -d '\r' <"$ini" | tr '\n' ' ')"
}

# A size of its own, 800 x 600 pixels outside, comes back at each start and is saved again.
size_stays() {
  printf '[Replixa]\r\nStartCount=10\r\nwidth=12000\r\nheight=9000\r\n' | run tee "$ini" >/dev/null
  for run in 1 2 3; do
    start
    wait_until 10 "start $run: a window of 800 x 600" sized 800x600
    keys -M alt f -m alt x # File > Exit
    wait "$app" || fail "File > Exit ended it with $?"
    [ "$(setting width)x$(setting height)" = 12000x9000 ] || fail "start $run saved $(setting width)x$(setting height)"
  done
}

"$scenario"
echo "PASS: $scenario"
