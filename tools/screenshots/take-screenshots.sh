#!/bin/sh
# Photographs each window of the program on the demo database under a virtual X server:
#   sh tools/screenshots/take-screenshots.sh [BUILD_DIR] [OUTPUT_DIR]
# BUILD_DIR (default: build) must hold a build with the windows (linkmend_screenshots); OUTPUT_DIR
# (default: $HOME/linkmend-screenshots) receives the PNG files and is outside the checkout.
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

# The demo database (SQLite) and a profile folder whose settings file reaches it.
sh "$top/demo/setup-demo.sh" "$build" > /dev/null
profile=$(mktemp -d "${TMPDIR:-/tmp}/linkmend-screenshots-XXXXXX")
trap 'rm -rf "$profile"' EXIT
mkdir -p "$profile/reports" "$out"
cat > "$profile/Linkmend.INI" <<INI
[Connection]
DSN=LinkmendDemoRO
TNP=main.
VoyagerPath=$profile/
[Read]
UID=demo
PWD=demo
[Write]
UID=demo
PWD=demo
[Folders]
FolderForReports=$profile/reports/
[Miscellaneous]
OwningLibraryString=1
BooleansDefaultTrue=FTTTTTTTTT
Happening=11
[General]
LimitByLocation=True
LimitingLocation=main
DeferredDSN=LinkmendDemoRO
[UrlStem]
Old=http://old.example.org/
New=https://new.example.org/
UrlActions=100400
NewSubfieldZ=Full text (archived copy)
BibLimit=500
INI
cat > "$profile/Voyager.INI" <<INI
[Database]
DSN=LinkmendDemo
TableNamePrefix=main.
INI

export ODBCSYSINI="$top/demo/run" ODBCINI="$top/demo/run/odbc.ini" LINKMEND_PROFILE_DIR="$profile"
export QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x1024x24" "$driver" "$out"
echo "Screenshots in $out"
