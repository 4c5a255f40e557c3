#!/usr/bin/env bash
# Runs one scenario against the built program on a real X server (Xvfb) under a real
# window manager (openbox), driving it only from outside: pointer and keys through
# xdotool, screenshots read by ImageMagick, the clipboard through xclip, the settings
# file in a program folder of its own, and a recording handler for what the program
# hands to the desktop.  Usage: e2e.sh PROGRAM SCENARIO.  Exit 77 means skipped.
set -euo pipefail
program=$1 scenario=$2
# The scenarios, also read by CMakeLists.txt to make one test of each.
scenarios=(first_start size_stays demo_review copy_image zoom options options_large jumps_and_slow_motion broken_and_open mail minimise_review network_display slow_motion_state display_lost odd_names every_frame save_snapshots live_stream delay_mirror)
[[ " ${scenarios[*]} " == *" $scenario "* ]] || { echo "FAIL: no scenario named $scenario" >&2; exit 1; }
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d /tmp/replixa-e2e.XXXXXX)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -z "${KEEP:-}" ] || import -window root "$work/failure.png"; exit 1; }

for tool in Xvfb openbox xdotool xclip xprop xwininfo convert compare xdg-open; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (scripts/setup installs it)"; exit 77; }
done

# Polls a command every 0.1 s until it succeeds or the time is up.
wait_until() {
  local seconds=$1 what=$2; shift 2
  local end=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || fail "waited ${seconds}s for: $what"
    sleep 0.1
  done
}

# Only the scenario of a display across the network listens on TCP.
Xvfb -displayfd 3 -screen 0 1280x1024x24 $([ "$scenario" = network_display ] && echo -listen || echo -nolisten) tcp \
  3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
end=$((SECONDS + 10))
until [ -s "$work/display" ]; do
  if [ $SECONDS -ge $end ] || ! kill -0 "${pids[0]}" 2>/dev/null; then
    echo "SKIP: no X server could start: $(tail -1 "$work/xvfb.log")"; exit 77
  fi
  sleep 0.1
done
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 &
pids+=($!)
wait_until 10 "the window manager" sh -c 'xprop -root _NET_SUPPORTED | grep -q _NET_ACTIVE_WINDOW'

# The program folder holds a copy of the program, so its settings file is ours alone.
folder="$work/program"
ini="$folder/Replixa.ini"
mkdir -p "$folder" "$work/data/applications" "$work/config"
cp "$program" "$folder/replixa"
# The files the build puts beside the program: the tutorial's pictures and the help page.
find "$(dirname "$program")" -maxdepth 1 \( -name '*.gif' -o -name '*.png' -o -name '*.htm' \) -exec cp {} "$folder" \;
cp "$root/media/demo.mp4" "$work/demo clip.mp4"
demo="$work/demo clip.mp4"

# Whatever the program hands to the desktop (mail, web pages) lands in $work/handed.
cat >"$work/record" <<EOF
#!/bin/sh
printf '%s\n' "\$1" >>"$work/handed"
EOF
chmod +x "$work/record"
printf '[Desktop Entry]\nType=Application\nName=Recorder\nExec=%s %%u\nMimeType=x-scheme-handler/mailto;x-scheme-handler/https;text/html;\n' \
  "$work/record" >"$work/data/applications/recorder.desktop"
printf '[Default Applications]\nx-scheme-handler/mailto=recorder.desktop\nx-scheme-handler/https=recorder.desktop\ntext/html=recorder.desktop\n' \
  >"$work/config/mimeapps.list"
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_CURRENT_DESKTOP=X-Generic
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$work/runtime"

# --- the program -----------------------------------------------------------------------
app="" main=none
launch() {
  main=none
  (cd "$work" && exec "$folder/replixa" "$@" >>"$work/program.log" 2>&1) &
  app=$!
  pids+=($app)
}
start() {
  launch "$@"
  wait_until 20 "the main window" main_window
}
main_window() {
  main=$(xdotool search --all --onlyvisible --pid "$app" --name "^Orvane Replixa" 2>/dev/null | head -1)
  [ -n "$main" ] || { main=none; false; }
}
# A window of the program other than the main window, by its title.
window_named() { xdotool search --all --onlyvisible --pid "$app" --name "$1" 2>/dev/null | grep -vx "$main" | head -1; }
has_window() { [ -n "$(window_named "$1")" ]; }
no_window() { ! has_window "$1"; }
title() { xdotool getwindowname "$main"; }
keys() { xdotool key --delay 60 "$@"; }
keys_to() { xdotool windowactivate --sync "$1"; keys "${@:2}"; } # to a window made active first
# "press KEYS SECONDS WHAT TEST...": the keys (one word, split at blanks), then a wait for what they do.
press() { keys $1; shift; wait_until "$@"; }
play_demo() { start "$demo"; wait_until 10 "the demo clip to play" playing; }
quit() {
  xdotool windowactivate --sync "$main" 2>/dev/null || true
  keys alt+f x
  wait_until 20 "the program to end" sh -c "! kill -0 $app"
  wait "$app" || fail "the program exited with $?"
}
close_about() { wait_until 5 "the About box" has_window "About" && keys Return; }
error_dialog() { wait_until 10 "the error dialog" has_window "error description" && dialog=$(window_named 'error description'); }
setting() { sed -n "s/^$1=\([^\r]*\)\r\?$/\1/p" "$ini"; }

# --- what the screen shows ---------------------------------------------------------------
shot() { import -window root "$work/shot.png"; }
# The demo clip's picture on screen: its dark background's box, "WIDTH X Y" (x and y of
# the top left corner), or nothing if no video shows.
video_box() {
  local box
  box=$(convert "$work/shot.png" -fuzz 2% -fill black +opaque '#1d2733' -format '%@' info:) || return 1
  [[ $box =~ ^([0-9]+)x[0-9]+\+([0-9]+)\+([0-9]+)$ ]] && [ "${BASH_REMATCH[1]}" -ge 100 ] || return 1
  echo "${BASH_REMATCH[1]} ${BASH_REMATCH[2]} ${BASH_REMATCH[3]}"
}
# The number of the frame the screen shows, read from the clip's binary counter: two
# rows of eight 10-pixel cells at (390, 236) of the 480-pixel-wide picture.
frame() {
  shot
  local box w x y
  box=$(video_box) || { echo -1; return; }
  read -r w x y <<<"$box"
  convert "$work/shot.png" -crop "$((80 * w / 480))x$((20 * w / 480))+$((x + 390 * w / 480))+$((y + 236 * w / 480))" \
    +repage -filter box -resize '8x2!' -colorspace gray -depth 8 gray:- |
    od -An -v -tu1 | awk '{ for (i = 1; i <= NF; ++i) { if ($i > 127) n += 2 ^ b; ++b } } END { print n + 0 }'
}
playing() { local a; a=$(frame); sleep "${1:-0.3}"; [ "$a" -ge 0 ] && [ "$(frame)" -gt "$a" ]; }
still() { local a; a=$(frame); sleep 0.5; [ "$a" -ge 0 ] && [ "$(frame)" -eq "$a" ]; }
beyond() { [ "$(frame)" -gt "$1" ]; }
found_video() { shot; box=$(video_box); }
video_centre() { read -r w x y <<<"$(shot; video_box)"; echo "$((x + w / 2)) $((y + w / 4))"; }

# --- scenarios ----------------------------------------------------------------------------
first_start() {
  start
  local shown=$EPOCHREALTIME
  wait_until 5 "the About box" has_window "About"
  local after; after=$(awk -v a="$EPOCHREALTIME" -v b="$shown" 'BEGIN { printf "%.2f", a - b }')
  awk -v t="$after" 'BEGIN { exit !(t > 0.1 && t < 2) }' || fail "the About box came $after s after the window"
  keys Return
  wait_until 5 "a 48-pixel icon on the window" sh -c "xprop -id $main _NET_WM_ICON | grep -q 'Icon (48 x 48)'"
  wait_until 5 "the About box to close" sh -c "! xdotool search --onlyvisible --name About"
  [ "$(grep -o 'CaptureCount=30\|StartCount=1' "$ini" | tr '\n' ' ')" = "CaptureCount=30 StartCount=1 " ] ||
    fail "settings after the first start: $(tr -d '\r' <"$ini")"
  quit
}

size_stays() {
  local sizes=()
  for run in 1 2 3; do
    start
    close_about
    quit
    sizes+=("$(setting width)x$(setting height)")
  done
  [ "${sizes[0]}" = "${sizes[1]}" ] && [ "${sizes[1]}" = "${sizes[2]}" ] || fail "the window grew: ${sizes[*]}"
  # A small video from the command line opens at 100 %, the window 6500 twips wide outside.
  ffmpeg -v error -f lavfi -i testsrc=s=160x120:d=2 "$work/small.mp4"
  start "$work/small.mp4"
  wait_until 5 "a window 433 pixels wide outside" outer_width_is 433
  quit
}

demo_review() {
  play_demo
  # Until the ring has gone round once, its oldest snapshots are blank.
  wait_until 10 "a full ring" beyond 50
  local newest older oldest
  read -r cx cy <<<"$(video_centre)"
  xdotool mousemove "$cx" "$cy" mousedown 1
  newest=$(frame); sleep 0.3; older=$(frame); sleep 0.3; oldest=$(frame)
  [ "$newest" -gt "$older" ] && [ "$older" -ge "$oldest" ] || fail "not older and older: $newest $older $oldest"
  xdotool mouseup 1
  wait_until 3 "the review to stop" still
  xdotool mousedown 3
  wait_until 10 "stepping forward past the newest snapshot" beyond $((newest + 4))
  xdotool mouseup 3
  wait_until 5 "playback after the newest snapshot" playing
  press space 3 "Space to pause" still
  press space 3 "Space to play" playing
  quit
}

# Copy Image, and the clipboard's picture against the screen where the video shows.
copy_matches_screen() {
  copy
  local differ; differ=$(differs_from_screen)
  [ "$differ" = 0 ] || fail "$1: the clipboard differs from the screen in $differ pixels"
}
copy() {
  rm -f "$work/clip.png"
  keys ctrl+c
  wait_until 5 "a picture on the clipboard" sh -c "xclip -selection clipboard -t image/png -o >'$work/clip.png' && [ -s '$work/clip.png' ]"
}
# How many pixels of the copied picture differ from the screen.
differs_from_screen() {
  shot
  read -r w x y <<<"$(video_box)"
  convert "$work/shot.png" -crop "$(identify -format %wx%h "$work/clip.png")+$x+$y" +repage "$work/screen.png"
  compare -metric AE "$work/clip.png" "$work/screen.png" null: 2>&1 || true
}

# Starts the demo clip, and once the ring is full holds the left button over the video for
# the seconds given.
hold_back_in_demo() {
  start "$demo"
  wait_until 10 "a full ring" beyond 50
  read -r cx cy <<<"$(video_centre)"
  xdotool mousemove "$cx" "$cy" mousedown 1 sleep "$1" mouseup 1
  wait_until 3 "the review to stop" still
}
copy_image() {
  hold_back_in_demo 0.3
  [ "$(overlays)" = "${overlay_windows:-1}" ] || fail "$(overlays) windows of the server's own lie over the review"
  copy_matches_screen "reviewing"
  # A menu that covered the snapshot leaves it whole.
  local windows="xdotool search --onlyvisible --pid $app ''" before
  before=$(eval "$windows" | wc -l)
  press alt+h 3 "the Help menu" sh -c "[ \$($windows | wc -l) -gt $before ]"
  press "Escape Escape" 3 "the Help menu to close" sh -c "[ \$($windows | wc -l) -eq $before ]"
  copy_matches_screen "reviewing, after a menu covered it"
  press space 5 "the live video" playing
  press space 3 "the video to pause" still
  copy_matches_screen "paused live video"
  quit
}

# Restored from the task bar, the window shows the snapshot the review stands on, not one
# from earlier in the hold.
minimise_review() {
  hold_back_in_demo 0.5
  xdotool windowminimize --sync "$main"
  xdotool windowactivate --sync "$main"
  copy
  wait_until 5 "the restored window to show the snapshot copied" shows_copy
  quit
}
shows_copy() { [ "$(differs_from_screen)" = 0 ]; }

# Across the network the server cannot read the program's memory: the review is painted, with no
# window of the server's own over it.
network_display() { overlay_windows=0 DISPLAY=localhost:${DISPLAY#:} copy_image; }
# How many windows lie inside the main window: the one the server shows snapshots in, if any.
overlays() { xwininfo -children -id "$main" | sed -n 's/^ *\([0-9]*\) child.*/\1/p'; }

outer_width_is() {
  local extents
  read -r -a extents <<<"$(xprop -id "$main" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')"
  [ $(($(inner_width) + extents[0] + extents[1])) = "$1" ]
}
# A window's centre "X Y", and whether a window's centre is within a few pixels of the main window's.
centre() { xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } /Width/ { w = $NF } /Height/ { print x + w / 2, y + $NF / 2 }'; }
centred() {
  awk -v a="$(centre "$1")" -v b="$(centre "$main")" 'BEGIN { split(a, p); split(b, q); exit !((p[1] - q[1]) ^ 2 + (p[2] - q[2]) ^ 2 < 900) }'
}
# The top left corner of a window's inside, on the screen.
origin() { xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { print x, $NF }'; }
inner_width() { xwininfo -id "$main" | sed -n 's/^  Width: //p'; }
# The video, and the window's inside with it, as wide as given.
zoomed() { shot; read -r w x y <<<"$(video_box)"; [ "$w" = "$1" ] && [ "$(inner_width)" = "$1" ]; }
zoom() {
  play_demo
  press "space ctrl+F2" 5 "the video and window at 200 %" zoomed 960
  press ctrl+F1 5 "the video and window at 100 %" zoomed 480
  local before after
  before=$(xwininfo -id "$main" -frame | grep -E 'Absolute|Width|Height')
  keys_to "$main" ctrl+F4
  wait_until 5 "full screen" sh -c "xprop -id $main _NET_WM_STATE | grep -q FULLSCREEN"
  wait_until 5 "the video over the whole screen" sh -c "xwininfo -id $main | grep -q 'Width: 1280'"
  # The full-screen button sits above the video's right part, once the video shows again.
  wait_until 5 "the video in full screen" found_video
  read -r w x y <<<"$box"
  xdotool mousemove $((x + 123)) $((y - 23)) click 1
  wait_until 5 "the window back from full screen" sh -c "! xprop -id $main _NET_WM_STATE | grep -q FULLSCREEN"
  wait_until 5 "the title bar" sh -c "xprop -id $main _NET_FRAME_EXTENTS | grep -qv '= 0, 0, 0, 0'"
  after=$(xwininfo -id "$main" -frame | grep -E 'Absolute|Width|Height')
  [ "$before" = "$after" ] || fail "the window came back elsewhere: $before / $after"
  # The menus are back, and their shortcuts with them.
  press ctrl+F2 5 "the video at 200 % after full screen" zoomed 960
  quit
}

jumps_and_slow_motion() {
  play_demo
  press space 3 "the video to pause" still
  local a b
  a=$(frame)
  press Next 5 "a still picture after the jump" still
  b=$(frame)
  [ $((b - a)) -ge 370 ] && [ $((b - a)) -le 380 ] || fail "Page Down moved from frame $a to $b, not by 15 s"
  press Prior 5 "a still picture after the jump back" still
  [ $((b - $(frame))) -ge 370 ] || fail "Page Up did not go back 15 s"
  press space 5 "playback" playing
  local normal slow
  normal=$(rate)
  keys F8
  slow=$(rate)
  awk -v n="$normal" -v s="$slow" 'BEGIN { exit !(n > 12 && s / n > 0.15 && s / n < 0.35) }' ||
    fail "slow motion runs at $slow frames per second against $normal"
  quit
}
# Slow motion and the play state: back to normal speed runs on whatever the phase; a dialog
# opened in slow motion leaves the video paused until one Space; a held Space is one press; a
# held Right on the live video leaves slow motion running.
slow_motion_state() {
  play_demo
  local round
  for round in 1 2 3; do
    keys F8
    sleep 0.$((RANDOM % 9 + 1))
    press F8 3 "normal speed again, round $round" playing
  done
  local dialog
  for dialog in "alt+h a:About" "alt+e o:^Options$"; do
    press F8 3 "slow motion" playing 1
    press "${dialog%%:*}" 5 "the dialog ${dialog#*:}" has_window "${dialog#*:}"
    sleep 0.5 # slow motion would run on behind it
    press Escape 5 "the dialog to close" no_window "${dialog#*:}"
    still || fail "the video runs on after ${dialog#*:} closed"
    press space 3 "one Space to play after ${dialog#*:}" playing 1
    keys F8
  done
  wait_until 5 "normal speed" playing
  local a b
  a=$(frame)
  xdotool keydown space sleep 3
  b=$(frame)
  xdotool keyup space
  [ $((b - a)) -ge 45 ] || fail "the video stood while Space was held: frame $a to $b"
  wait_until 3 "Space held to pause once" still
  press "space F8" 3 "slow motion" playing 1
  xdotool keydown Right sleep 2 keyup Right
  playing 1 || fail "Right held on the live video in slow motion left it standing"
  quit
}
# Frames shown per second over two seconds.
rate() {
  local t0=$EPOCHREALTIME a; a=$(frame)
  sleep 2
  awk -v a="$a" -v b="$(frame)" -v t0="$t0" -v t1="$EPOCHREALTIME" 'BEGIN { printf "%.1f", (b - a) / (t1 - t0) }'
}

broken_and_open() {
  head -c 20000 /dev/urandom >"$work/broken.mp4"
  launch "$work/broken.mp4"
  wait_until 10 "the message box" has_window "^Replixa$"
  # The box carries the yellow warning sign.
  local box; box=$(window_named '^Replixa$')
  import -window "$box" "$work/box.png"
  [ "$(convert "$work/box.png" -fuzz 10% -fill black +opaque yellow -fill white -opaque yellow -format '%[fx:int(mean*w*h)]' info:)" -gt 100 ] ||
    fail "the message box shows no warning sign"
  keys_to "$box" Return
  wait_until 10 "the main window" main_window
  [[ $(title) == "Orvane Replixa 2.6.0" ]] || fail "the caption reads $(title)"
  # Nothing is open, so this early start shows the About box.
  close_about
  keys_to "$main" ctrl+o
  wait_until 10 "the open dialog" has_window "Open"
  xdotool windowactivate --sync "$(window_named Open)"
  # The dialog opens in the current folder, which holds the clip.
  xdotool type --delay 60 "$(basename "$demo")"
  press Return 10 "the chosen clip to play" playing
  [[ $(title) == *"demo clip.mp4"* ]] || fail "the caption reads $(title)"
  quit
}

# Percent escapes decoded, so that an address compares with the text it was made of;
# a bar ends it, so that no line break at its end is lost.
unescaped() { printf "%b" "${1//%/\\x}"; }
# Runs an xdotool command and waits for one more address handed to the desktop.
handed_after() {
  local before; before=$(cat "$work/handed" 2>/dev/null | wc -l)
  xdotool "$@"
  wait_until 10 "an address handed to the desktop" sh -c "[ \$(wc -l <'$work/handed') -gt $before ]"
}
handed_address() { wait_until 10 "the mail handler" test -s "$work/handed"; unescaped "$(tail -1 "$work/handed")|"; }
mail() {
  local recipient="mailto:replixa@orvane.example?" version="Replixa v2.6.0"
  start
  close_about
  keys_to "$main" alt+h e
  [ "$(handed_address)" = "$recipient&Subject=$version&Body=|" ] || fail "Email Author handed $(tail -1 "$work/handed")"
  handed_after key --delay 60 alt+h f
  [ "$(handed_address)" = "$folder/Replixa FAQ.htm|" ] || fail "the FAQ command handed $(tail -1 "$work/handed")"
  # The About box's two links, at their places in the box.
  press "alt+h a" 5 "the About box" has_window "About"
  read -r x y <<<"$(origin "$(window_named About)")"
  handed_after mousemove $((x + 106)) $((y + 299)) click 1
  [ "$(handed_address)" = "https://www.orvane.example/|" ] || fail "the web link handed $(tail -1 "$work/handed")"
  handed_after mousemove $((x + 106)) $((y + 319)) click 1
  [ "$(handed_address)" = "$recipient&Subject=$version&Body=|" ] || fail "the mail link handed $(tail -1 "$work/handed")"
  keys Return
  quit
  rm "$work/handed"
  printf '[Replixa]\r\nwidth=wide\r\n' >"$ini"
  launch
  error_dialog
  whole 96 "Close" "Email bug report" < <(ink "$dialog" 2 14 | head -2)
  keys_to "$dialog" Tab Tab ctrl+a ctrl+c
  local messages
  messages=$(xclip -selection clipboard -o)
  keys alt+e
  local body="Please write your message above this line."$'\r\n\r\n'"$version error descriptions:"$'\r\n'"${messages//$'\n'/$'\r\n'}"$'\r\n\r\n'
  [ "$(handed_address)" = "$recipient&Subject=$version&Body=$body|" ] || fail "Email bug report handed $(tail -1 "$work/handed")"
  wait_until 10 "the main window" main_window
  close_about # the rewritten file counts this start as a first one
  quit
}

# The ink of a window's texts: its picture's dark pixels (captions, not borders) as bands
# of rows; "ink WINDOW BAND GAP" prints that band's column runs split by GAP blank columns.
ink() {
  import -window "$1" "$work/window.png"
  convert "$work/window.png" -colorspace gray -threshold 30% -compress none pbm:- | awk -v B="$2" -v G="$3" '
    NR == 2 { W = $1; next }
    NR > 2 { for (i = 1; i <= NF; ++i) { if ($i == 1) { row[int(n / W)] = 1; dark[int(n / W), n % W] = 1 } ++n } }
    END {
      for (y = 0; y < n / W; ++y) {
        if (row[y] && !row[y - 1] && ++b == B) top = y
        if (row[y] && !row[y + 1] && b == B) bottom = y
      }
      for (x = 0; x < W; ++x) for (y = top; y <= bottom; ++y) if (dark[y, x]) { used[x] = 1; break }
      for (x = 0; x < W; ++x) if (used[x]) { if (x - last > G && seen) printf "%d %d\n", first, last; if (x - last > G || !seen) first = x; last = x; seen = 1 }
      if (seen) printf "%d %d\n", first, last
      printf "row %d\n", (top + bottom) / 2
    }'
}
# Width of a caption as the toolkit's default font draws it, at a given dots per inch.
drawn_width() { convert -font DejaVu-Sans -pointsize 9 -density "$2" label:"$1" -trim -format %w info:; }
# Each run of ink against the caption it should show whole; a run much narrower is cut.
whole() {
  local dpi=$1; shift
  for caption in "$@"; do
    read -r first last || fail "no ink for \"$caption\""
    local need; need=$(drawn_width "$caption" "$dpi")
    [ $((last - first + 1 + 3 * dpi / 96)) -ge "$need" ] || fail "\"$caption\" shows $((last - first + 1)) of $need pixels"
  done
}
options_dialog() {
  wait_until 10 "the main window" main_window
  keys_to "$main" alt+e o
  wait_until 5 "the Options dialog" has_window "^Options$"
  dialog=$(window_named "^Options$")
}
choices=("0.025 sec" "0.05 sec" "0.1 sec" "0.2 sec" "0.5 sec" "Every frame")
# Checks every caption of the Options dialog at DPI dots per inch; sets `runs` to the
# radio row's text runs and `checked` to the index of the checked one.
options_readable() {
  local dpi=$1 gap=$((7 * $1 / 96))
  whole "$dpi" "Video Frame Time:" < <(ink "$dialog" 1 100 | head -1)
  whole "$dpi" "Close" < <(ink "$dialog" 5 100 | head -1)
  mapfile -t runs < <(ink "$dialog" 2 "$gap")
  radio_row=${runs[-1]#row }
  unset 'runs[-1]'
  # The checked button's dot is a run narrower than any caption.
  checked=-1 texts=()
  for r in "${runs[@]}"; do
    read -r first last <<<"$r"
    if [ $((last - first)) -lt $((10 * dpi / 96)) ]; then checked=${#texts[@]}; else texts+=("$r"); fi
  done
  [ ${#texts[@]} = 6 ] || fail "the choices run into each other: ${runs[*]}"
  printf '%s\n' "${texts[@]}" | whole "$dpi" "${choices[@]}"
  runs=("${texts[@]}")
}
options_at_start() { start "$demo"; options_dialog; options_readable 96; }
checked_is() { (options_readable 96 && [ "$checked" = "$1" ]); }

options() {
  options_at_start
  [ "$checked" = 1 ] || fail "the dialog opened with choice $checked checked"
  centred "$dialog" || fail "the Options dialog is not centred over the window: $(centre "$dialog") against $(centre "$main")"
  read -r first last <<<"${runs[3]}"
  read -r x y <<<"$(origin "$dialog")"
  xdotool mousemove $((x + first - 10)) $((y + radio_row)) click 1
  wait_until 3 "a click to check \"0.2 sec\"" checked_is 3
  keys Return
  quit
  [ "$(setting FrameTime)" = 3 ] || fail "FrameTime is $(setting FrameTime)"
  options_at_start
  [ "$checked" = 3 ] || fail "after a restart the dialog shows choice $checked"
  # One review step back is 0.2 s older: five frames of the 25 fps clip, give or take one.
  press "Return space" 10 "the demo clip to play" beyond 20
  press Left 3 "the first snapshot" still
  local newer; newer=$(frame)
  press Left 3 "the next snapshot" still
  local older; older=$(frame)
  [ $((newer - older)) -ge 4 ] && [ $((newer - older)) -le 6 ] || fail "a step went from frame $newer to $older"
  quit
}

# The captions at twice the scale and at a font a third larger (12 pt for 9 pt); an
# unreadable width at start brings the error dialog first.
options_large() {
  for big in QT_SCALE_FACTOR=2:192 QT_FONT_DPI=128:128; do
    local dpi=${big#*:}
    printf '[Replixa]\r\nwidth=wide\r\n' >"$ini"
    export "${big%:*}"
    launch "$demo"
    unset "${big%%=*}"
    error_dialog
    whole "$dpi" "Close" "Email bug report" < <(ink "$dialog" 2 $((14 * dpi / 96)) | head -2)
    keys_to "$dialog" Return
    options_dialog
    options_readable "$dpi"
    keys Return
    quit
  done
}

# The X server ends under a zoomed video (a logout, a crashed server): the settings are saved as at File > Exit.
display_lost() {
  play_demo
  press ctrl+F2 5 "the video and window at 200 %" zoomed 960
  kill "${pids[0]}"
  local code=0
  wait "$app" || code=$?
  [ "$code" = 0 ] && [ "$(setting zoom)" = 2 ] && [ -n "$(setting width)" ] && [ -n "$(setting height)" ] ||
    fail "after the display ended: exit code $code, settings $(tr -d '\r' <"$ini" | tr '\n' ' ')"
}

# Names passed as they are, without a shell: a double quote inside, a byte that is no UTF-8.
odd_names() {
  for name in 'demo "clip".mp4' "caf"$'\xe9'".mp4"; do
    cp "$demo" "$work/$name"
    start "$work/$name"
    wait_until 10 "$name to play" playing
    [[ $(title) == *"${name/$'\xe9'/$'\xef\xbf\xbd'}" ]] || fail "$name: the caption reads $(title)"
    quit
  done
}

# Every frame of a 60 fps clip reaches the ring: at its end each of 40 steps back, one press
# of Left each, shows the frame before.
every_frame() {
  "$root/scripts/make-demo-clip" "$work/demo 60.mp4" 4 60 >/dev/null
  printf '[Replixa]\r\nStartCount=10\r\nFrameTime=5\r\nCaptureCount=60\r\n' >"$ini"
  start "$work/demo 60.mp4"
  wait_until 10 "the clip to play" beyond 100
  wait_until 10 "the clip's end" beyond 230
  wait_until 5 "the last frame to stand" still
  local newest; newest=$(frame)
  for k in $(seq 1 40); do
    press Left 3 "step $k to frame $((newest - k))" frame_is $((newest - k))
  done
  quit
}
frame_is() { [ "$(frame)" -eq "$1" ]; }

# The paused ring saved as a clip under a name typed with a blank and an accent, every snapshot in it, and
# the picture shown saved as Copy Image takes it; no temporary file is left.
save_snapshots() {
  play_demo
  wait_until 10 "a full ring" beyond 50
  press space 3 "the video to pause" still
  save_as ctrl+s "Save Snapshots" "Sprung é.mp4"
  local frames; frames=$(ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$work/Sprung é.mp4")
  [ "$frames" = 30 ] || fail "the saved clip holds $frames frames, not the 30 snapshots"
  [ "$(stat -c %a "$work/Sprung é.mp4")" = "$(stat -c %a "$demo")" ] || fail "the clip is not made as a new file is"
  copy
  save_as ctrl+shift+s "Save Image" "Bild é.png"
  [ "$(compare -metric AE "$work/clip.png" "$work/Bild é.png" null: 2>&1)" = 0 ] || fail "the saved picture is not the copied one"
  ! ls -A "$work" | grep -q '\.part$' || fail "temporary files are left: $(ls -A "$work")"
  quit
}
# "save_as KEYS TITLE NAME": the save dialog the keys open, the name typed into it, and the file written.
save_as() {
  press "$1" 5 "the dialog $2" has_window "^$2$"
  xdotool windowactivate --sync "$(window_named "^$2$")"
  xdotool type --delay 60 "$3"
  press Return 20 "$3 to be written" test -s "$work/$3"
}

# A UDP stream of the demo clip from an ffmpeg sender on this machine: the picture runs at the sender's
# rate, a held step goes back through it, a click on the position slider moves nothing; once the sender
# stops, the program stays up, the caption tells it, and the ring can still be stepped back through.
live_stream() {
  local address="udp://127.0.0.1:$((20000 + RANDOM % 20000))" slider newest older
  ffmpeg -v error -re -i "$demo" -an -c:v libx264 -preset ultrafast -tune zerolatency -g 25 -f mpegts "$address?pkt_size=1316" &
  local sender=$!
  pids+=($sender)
  start "$address"
  wait_until 20 "the stream to play" playing
  [[ $(title) == *" - $address" ]] || fail "the caption reads $(title)"
  local r; r=$(rate)
  awk -v r="$r" 'BEGIN { exit !(r > 15 && r < 35) }' || fail "the stream runs at $r frames a second, not 25"
  read -r w x y <<<"$(shot; video_box)"
  slider="197x25+$((x + 187))+$((y - 30))" # the position slider, above the video's right part
  convert "$work/shot.png" -crop "$slider" +repage "$work/slider.png"
  xdotool mousemove $((x + 360)) $((y - 18)) click 1 mousemove $((x + 100)) $((y + 100))
  shot
  [ "$(convert "$work/shot.png" -crop "$slider" +repage png:- | compare -metric AE - "$work/slider.png" null: 2>&1)" = 0 ] ||
    fail "a click moved the position slider of a live stream"
  wait_until 10 "a full ring" beyond 50
  back_through_ring 'live'
  press space 10 "the live picture again" playing
  kill "$sender"
  wait_until 10 "the stop told in the caption" sh -c "xdotool getwindowname $main | grep -q ' - Source stopped$'"
  back_through_ring 'stopped'
  quit
}
# Holds the left button over the video: each picture read is older than the one before.
back_through_ring() {
  read -r cx cy <<<"$(video_centre)"
  xdotool mousemove "$cx" "$cy" mousedown 1
  newest=$(frame); sleep 0.3; older=$(frame)
  xdotool mouseup 1
  [ "$newest" -gt "$older" ] && [ "$older" -ge 0 ] || fail "$1: not older: $newest $older"
}
# View > Delay > 2 sec: the first snapshot stands while the ring fills, then the picture runs 50 frames (2 s)
# behind, read paused against the live picture Off brings back; a held Left steps back from it, its release
# returns to it; the delay is saved on exit.
delay_mirror() {
  play_demo
  delay_item 1
  wait_until 5 "the first snapshot to stand" still
  wait_until 10 "the delayed picture to run a second" beyond $(($(frame) + 25))
  press space 3 "the video to pause" still
  local delayed live; delayed=$(frame)
  xdotool keydown Left
  wait_until 3 "a step back from the delayed picture" below "$delayed"
  xdotool keyup Left
  wait_until 3 "the delayed picture again" frame_is "$delayed"
  delay_item 0
  wait_until 3 "the live picture" beyond "$delayed"
  live=$(frame)
  [ $((live - delayed)) -ge 47 ] && [ $((live - delayed)) -le 53 ] || fail "the delayed frame $delayed against the live $live"
  delay_item 1
  press space 10 "the mirror to go on" beyond $((live + 30))
  quit
  [ "$(setting Delay)" = 2 ] || fail "Delay is $(setting Delay)"
}
below() { local n; n=$(frame); [ "$n" -ge 0 ] && [ "$n" -lt "$1" ]; }
delay_item() { local k=(alt+v d); for ((i = 0; i < $1; ++i)); do k+=(Down); done; keys_to "$main" "${k[@]}" Return; } # 0: Off

"$scenario"
echo "PASS: $scenario"
