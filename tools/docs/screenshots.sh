#!/usr/bin/env bash
# The README's two pictures, photographed from the real program on the bundled data:
#   docs/images/main-window.png  the main window with an estimate's choices made
#   docs/images/map-window.png   the map window with the eight damage circles on the bundled 1:5000 map
#
#   tools/docs/screenshots.sh BUILD_DIR [OUT_DIR]
#
# BUILD_DIR holds a built zefro (scripts/build.sh); nothing is built here. Each picture is one run of
# xshot (XSHOT, by default xshot on PATH): a private X display with a window manager, the program on a
# copy of the build's drive, the clicks and keys of screenshot-actions.sh, the whole screen saved; the
# picture is then cut to the window's frame with ImageMagick.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "${1:?usage: tools/docs/screenshots.sh BUILD_DIR [OUT_DIR]}" && pwd)"
out="${2:-$root/docs/images}"
xshot="${XSHOT:-$(command -v xshot || true)}"
[ -x "$build/zefro" ] && [ -d "$build/drive" ] || { echo "no built zefro in $build (run scripts/build.sh)" >&2; exit 1; }
[ -n "$xshot" ] || { echo "no xshot: put it on PATH or set XSHOT" >&2; exit 1; }
# xshot brings the display, the window manager, xdotool and ImageMagick; the frames are found with xwininfo.
command -v xwininfo >/dev/null || { echo "no xwininfo: install the Debian package x11-utils" >&2; exit 1; }
mkdir -p "$out"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# shoot NAME FUNCTION: one picture, the program on a fresh copy of the drive.
shoot() {
  local name=$1 steps=$2
  rm -rf "$scratch/drive" && cp -r "$build/drive" "$scratch/drive"
  printf '. %q\n%s %q\n' "$here/screenshot-actions.sh" "$steps" "$scratch/$name.frame" >"$scratch/$name.actions"
  ZEFRO_DRIVE_ROOT="$scratch/drive" "$xshot" "$scratch/$name-screen.png" 3 "$scratch/$name.actions" -- "$build/zefro"
  [ -s "$scratch/$name.frame" ] || { echo "$name: the window was not found" >&2; exit 1; }
  convert-im6.q16 "$scratch/$name-screen.png" -crop "$(cat "$scratch/$name.frame")" +repage -strip \
    -define png:compression-level=9 "$out/$name.png"
  echo "wrote $out/$name.png ($(cat "$scratch/$name.frame"))"
}

shoot main-window shot_main_window
shoot map-window shot_map_window
