#!/bin/sh
# Installs the project's Debian packages (as root); does nothing when all are present.
set -eu
here=$(dirname "$0")
pkgs=$(grep -v '^#' "$here/packages.txt" | tr '\n' ' ')
missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  # shellcheck disable=SC2086
  apt-get install -y --no-install-recommends $missing
fi
