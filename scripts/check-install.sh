#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks the installed layout:
# every file where the desktop looks for it, the desktop entry and the
# metainfo passing their validators, each manual page rendering without
# warnings and naming every option its program lists, one version for all,
# and the installed tavro-faces answering from its face folder under a
# temporary XDG_DATA_HOME. Run by ctest; by hand:
#   bash scripts/check-install.sh [BUILD_DIR]      (default: build/default)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/default}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
skip() { echo "SKIP: $1 is missing (Debian package $2): $3 not checked"; }
# No display: the programs must not need one for what is asked here.
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
programs=(tavro-cam tavro-faces tavro-edges)
metainfo=$(ls "$prefix"/share/metainfo/*.metainfo.xml 2>/dev/null | head -n 1)
for file in "${programs[@]/#/bin/}" share/applications/tavro-cam.desktop share/icons/hicolor/scalable/apps/tavro-cam.svg \
  share/icons/hicolor/{48x48,128x128}/apps/tavro-cam.png "${programs[@]/#/share/man/man1/}"; do
  [[ $file == share/man/* ]] && file=$file.1.gz
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ -n "$metainfo" ] || fail "no metainfo in share/metainfo"

if command -v desktop-file-validate >/dev/null; then
  report=$(desktop-file-validate "$prefix/share/applications/tavro-cam.desktop" 2>&1) && [ -z "$report" ] ||
    fail "desktop-file-validate: $report"
else skip desktop-file-validate desktop-file-utils "the desktop entry"; fi
if ! command -v appstreamcli >/dev/null; then skip appstreamcli appstream "the metainfo"
elif [ -n "$metainfo" ]; then
  report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $report"
fi

version=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
for program in "${programs[@]}"; do
  said=$(run "$prefix/bin/$program" --version 2>/dev/null)
  [ "$said" = "$program $version" ] || fail "$program --version says '$said', the metainfo's release is $version"
  page=$prefix/share/man/man1/$program.1.gz
  if ! command -v man >/dev/null; then skip man man-db "the manual page of $program"; continue; fi
  text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>"$work/warnings" | col -bx)
  [ -s "$work/warnings" ] && fail "man $program: $(cat "$work/warnings")"
  for option in $(run "$prefix/bin/$program" --help 2>/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$option" <<<"$text" || fail "the manual page of $program does not cover $option"
  done
done

# An installed program keeps its faces in the user's data folder.
faces=$work/data/tavro-cam
mkdir -p "$faces" "$work/home"
cp "$root/docs/tavro-edges/face.png" "$faces/face0a.jpg"
cp "$faces/face0a.jpg" "$work/face0a-probe.png"
answer=$(cd "$work" && run XDG_DATA_HOME="$work/data" HOME="$work/home" "$prefix/bin/tavro-faces" face0a-probe.png 2>&1)
grep -qF "$(printf 'face0a-probe.png\t0\t%s' "$faces/face0a.jpg")" <<<"$answer" ||
  fail "the installed tavro-faces did not answer face 0 from $faces: $answer"

[ "$failures" -eq 0 ] || { echo "$failures check(s) of the installed layout failed"; exit 1; }
echo "The installed layout under a temporary prefix is complete and valid."
