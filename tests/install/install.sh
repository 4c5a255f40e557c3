#!/usr/bin/env bash
# install.sh BUILD_FOLDER program: `cmake --install` into a temporary prefix; the desktop entry
# is valid; started from the PATH by a user who may not write its folder, the program reads its
# pictures beside it, keeps its settings in $XDG_CONFIG_HOME, else ~/.config, and ends on SIGTERM
# with them saved, no box shown; the metainfo is valid, the manual page renders, and --help and
# --version answer with no display. install.sh BUILD_FOLDER package: the .deb's files and
# dependencies, and lintian finds no error in it.
set -euo pipefail
work=$(mktemp -d) tracer=""
trap '[ -z "$tracer" ] || pkill -KILL -P "$tracer" || true; rm -rf "$work"' EXIT
chmod 755 "$work"
fail() { echo "FAIL: $*"; exit 1; }
need() { for t; do command -v "$t" >/dev/null || { echo "SKIP: no $t (scripts/setup installs it)"; exit 77; }; done; }
within() { for _ in $(seq $(($1 * 5))); do eval "$2" && return; sleep 0.2; done; false; }
dir=lib/replixa
files=("$dir/replixa" "$dir/"{0,1,2,3,4,5}.gif "$dir/mouse-"{left,right}.png "$dir/Replixa FAQ.htm" "$dir/demo.mp4"
  bin/replixa share/applications/replixa.desktop share/icons/hicolor/{scalable/apps/replixa.svg,{48x48,256x256}/apps/replixa.png}
  share/metainfo/com.orvane.replixa.metainfo.xml share/man/man1/replixa.1.gz share/doc/replixa/{copyright,changelog.gz})
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt")
if [ "$2" = package ]; then
  need dpkg-deb dpkg-shlibdeps file lintian # file: how cpack finds the program for dpkg-shlibdeps
  cpack --config "$1/CPackConfig.cmake" -G DEB -B "$work" >"$work/log" 2>&1 || { cat "$work/log"; fail cpack; }
  deb="$work/replixa_${version}_$(dpkg --print-architecture).deb"
  list=$(dpkg-deb -c "$deb") && depends=$(dpkg-deb -f "$deb" Depends) && echo "Depends: $depends"
  for f in "${files[@]}"; do grep -qF " ./usr/$f" <<<"$list" || fail "not in the package: $f"; done
  grep -qF "./usr/bin/replixa -> ../$dir/replixa" <<<"$list" || fail "usr/bin/replixa is no link to the program"
  for p in libc6 libstdc++6 libmpv2 libqt6core6 libqt6gui6 libqt6widgets6; do
    tr , '\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$p" || fail "no dependency on $p"
  done
  apt-get install -s "$deb" >"$work/log" 2>&1 || { cat "$work/log"; fail "apt cannot install the package"; }
  lintian --fail-on error "$deb" 2>&1 | tee "$work/log" || fail "lintian found errors"
  exit 0
fi
need desktop-file-validate strace setpriv pgrep appstreamcli groff
prefix="$work/usr" home="$work/home" as=()
cmake --install "$1" --prefix "$prefix" >/dev/null
for f in "${files[@]}"; do [ -e "$prefix/$f" ] || fail "not installed: $f"; done
appstreamcli validate --no-net "$prefix/share/metainfo/com.orvane.replixa.metainfo.xml" || fail "the metainfo is not valid"
manual=$(gzip -dc "$prefix/share/man/man1/replixa.1.gz" | groff -man -Tutf8 -ww -P-cbou 2>"$work/log") && [ ! -s "$work/log" ] ||
  fail "the manual page does not render: $(cat "$work/log")"
for part in NAME SYNOPSIS DESCRIPTION OPTIONS KEYS FILES ENVIRONMENT "SEE ALSO"; do grep -qx "$part" <<<"$manual" || fail "no $part in man"; done
for option in --help:"Usage: replixa [VIDEO]" --version:"Replixa $version"; do # where no display is
  said=$(env -i PATH=/usr/bin:/bin "$prefix/bin/replixa" "${option%%:*}") || fail "replixa ${option%%:*} ended with $?"
  [ "$(head -1 <<<"$said")" = "${option#*:}" ] || fail "replixa ${option%%:*} said: $said"
done
desktop-file-validate "$prefix/share/applications/replixa.desktop" || fail "the desktop entry is not valid"
grep -qx 'Exec=replixa %f' "$prefix/share/applications/replixa.desktop" || fail "the entry passes no single file"
mkdir -m 700 -p "$home/run"
if [ "$(id -u)" = 0 ]; then # root writes anywhere: the program runs as nobody
  as=(setpriv --reuid=nobody --regid=nogroup --clear-groups) && chown -R nobody "$home"
else chmod a-w "$prefix/$dir"; fi
for config in "$home/xdg" "$home/.config"; do
  ini="$config/Replixa/Replixa.ini" xdg=()
  [ "$config" = "$home/.config" ] || xdg=(XDG_CONFIG_HOME="$config")
  env -i HOME="$home" XDG_RUNTIME_DIR="$home/run" "${xdg[@]}" PATH="$prefix/bin:/usr/bin:/bin" QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" strace -f -qq -e trace=openat -o "$config.trace" "${as[@]}" replixa &
  tracer=$!
  within 20 'grep -qs "$prefix/$dir/0.gif\", O_RDONLY.*= [0-9]" "$config.trace"' || fail "the About box's pictures were not read"
  grep -qs CaptureCount=30 "$ini" || fail "no settings in $ini"
  pid=$(pgrep -P "$tracer" -x replixa)
  [ "$(readlink "/proc/$pid/exe")" = "$prefix/$dir/replixa" ] || fail "the program's folder is not $dir"
  kill -TERM "$pid"
  within 20 '! kill -0 "$tracer" 2>/dev/null' || fail "still running 20 s after SIGTERM: a message box?"
  wait "$tracer" || fail "ended with $?"
  tracer=""
  grep -q 'width=' "$ini" || fail "the window size was not saved"
  left=$(find "$prefix" "$home" -name 'Replixa.ini*' ! -path "$home/*/Replixa/Replixa.ini")
  [ -z "$left" ] || fail "settings or lock files elsewhere or left behind: $left"
done
