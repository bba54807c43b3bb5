#!/bin/sh
# Photographs each window of the program on a small demo database under a virtual X server:
#   sh tools/screenshots/take-screenshots.sh [BUILD_DIR] [OUTPUT_DIR]
# BUILD_DIR (default: build) must hold a build with the windows (linkmend_screenshots); OUTPUT_DIR
# (default: $HOME/linkmend-screenshots) receives the PNG files; the demo lives in a temporary folder.
# Needs xvfb-run (xvfb) and import (imagemagick); as root it installs them when missing.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
out=${2:-$HOME/linkmend-screenshots}
driver=$build/tools/screenshots/linkmend_screenshots
[ -x "$driver" ] || { echo "No $driver: build the project with the windows first." >&2; exit 1; }

missing=""
command -v xvfb-run > /dev/null 2>&1 || missing="$missing xvfb xauth"
command -v import > /dev/null 2>&1 || missing="$missing imagemagick"
if [ -n "$missing" ]; then
  if [ "$(id -u)" = 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    # shellcheck disable=SC2086
    apt-get install -y --no-install-recommends $missing
  else
    echo "Install first (as root): apt-get install$missing" >&2
    exit 1
  fi
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/linkmend-screenshots-XXXXXX")
trap 'rm -rf "$work"' EXIT
sh "$top/demo/setup-demo.sh" "$build" --run "$work/run" --bibs 300 > /dev/null
# shellcheck disable=SC1091
. "$work/run/env.sh"

# The demo's settings, with more of the window in use: a replaced $z, a location limit, two of the
# three owning libraries, and the demo's data source as the one whose production runs wait.
python3 - "$LINKMEND_PROFILE_DIR/Linkmend.INI" <<'PY'
import configparser, sys
ini = configparser.ConfigParser(interpolation=None)
ini.optionxform = str
ini.read(sys.argv[1])
ini["General"].update({"LimitByLocation": "True", "LimitingLocation": "ONLINE", "DeferredDSN": "LinkmendDemoRO"})
ini["UrlStem"].update({"UrlActions": "100400", "NewSubfieldZ": "Access for members of Demo University", "BibLimit": "500"})
ini["Miscellaneous"].update({"OwningLibraryString": "1 2", "BooleansDefaultTrue": "FTTTTTTTTT"})
with open(sys.argv[1], "w") as f:
    ini.write(f, space_around_delimiters=False)
PY

mkdir -p "$out"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$driver" "$out"
echo "Screenshots in $out"
