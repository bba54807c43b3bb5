#!/bin/sh
# The .deb on a clean Debian 12: a minimal bookworm root made by debootstrap (kept for the next
# check, and taken back to bare before it), the package installed into it with apt-get, which must find every dependency from the
# package's own declarations, then the installed program run there: --version, the demo made with
# the installed generator, a test run, a production run and a restore test run, and the window
# started on the offscreen platform. As root, on a Debian machine with network access to a mirror.
#   scripts/check-deb.sh DEB [ROOT]     (ROOT defaults to /work/tmp/deb-root)
set -eu
deb=$(realpath "$1")
root=${2:-/work/tmp/deb-root}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

if [ ! -x "$root/usr/bin/apt-get" ]; then
  command -v debootstrap >/dev/null || apt-get install -y debootstrap
  mkdir -p "$root"
  debootstrap --variant=minbase bookworm "$root" "$mirror"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
trap 'umount "$root/dev/pts" "$root/dev" "$root/proc"' EXIT
cp "$deb" "$root/tmp/"

# shellcheck disable=SC2016
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive /bin/sh -eu -c '
apt-get update -q
# A root used before goes back to bare: the package and every dependency it pulled in leave again.
apt-get purge -y -q linkmend >/dev/null 2>&1 || true
apt-get autoremove --purge -y -q >/dev/null
apt-get install -y -q "/tmp/$1" | tail -n 3
dpkg -s linkmend | grep -E "^(Status|Depends):"
linkmend --version
d=/root/linkmend-demo
rm -rf "$d" && mkdir -p "$d"
python3 /usr/share/linkmend/tools/demo/generate.py --sqlite "$d/demo.db" --bibs 2000 | tail -n 1
python3 /usr/share/linkmend/tools/demo/configure.py --run "$d" --sqlite "$d/demo.db" \
  --extension /usr/lib/linkmend/linkmend_sqlite.so >/dev/null
. "$d/env.sh"
for run in "" "--production --list-changed"; do
  # shellcheck disable=SC2086
  report=$(linkmend --batch $run 2>/dev/null | tail -n 1)
  echo "linkmend --batch $run:" && grep -a "^ *[0-9]* records" "$report"
done
report=$(linkmend --batch --restore "$d"/reports/*.Originals.mrc 2>/dev/null | tail -n 1)
echo "linkmend --batch --restore ...Originals.mrc:" && grep -a "^ *[0-9]* records" "$report"
status=0
QT_QPA_PLATFORM=offscreen timeout 5 linkmend >/dev/null 2>&1 || status=$?
echo "the window: $([ "$status" = 124 ] && echo "still open after 5 s" || echo "ended with status $status")"
[ "$status" = 124 ]
' check-deb "$(basename "$deb")"
echo "check-deb: $(basename "$deb") installs and runs on Debian 12 ($root)"
