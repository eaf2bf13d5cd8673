#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a built .deb into a throwaway root with dpkg --root and starts the installed program from it:
#   bash scripts/check-deb.sh build/vexatool_1.0.0_amd64.deb
# The package's files are laid over this machine's /usr and /etc (overlay mounts in a private mount and
# network namespace, so nothing on the machine changes and no packet leaves loopback), the program runs
# chrooted as /usr/bin/vexatool on the offscreen platform, and the check passes once it says that its main
# window is shown. The command-line client is started the same way.
set -euo pipefail
deb=$(readlink -f "$1")
# Warnings and errors fail the check; informational notes do not.
lintian --fail-on warning,error "$deb" | sed 's/^/  lintian: /'
echo "check-deb: lintian clean at warning level"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status"
# Only the package's own files: its dependencies are this machine's.
dpkg --root="$root" --force-depends --force-script-chrootless -i "$deb" >/dev/null 2>&1
dpkg --root="$root" -L vexatool | grep -E '^/(usr/bin|usr/lib/vexatool|etc)/' | sed 's/^/  installed: /'
# Help opens the manual of the program's language from beside the program's own file (AboutDialog::manualUrl),
# which /usr/bin/vexatool links to; a manual anywhere else is never found.
for manual in "VEXA User Manual.pdf" "设备网络搜索用户使用手册.pdf"; do
    head -c 5 "$root/usr/lib/vexatool/$manual" | grep -q '%PDF-' ||
        { echo "check-deb: $manual is not where Help looks for it (/usr/lib/vexatool)" >&2; exit 1; }
done
[ "$(readlink "$root/usr/bin/vexatool")" = "../lib/vexatool/VEXATool" ] || { echo "check-deb: /usr/bin/vexatool" >&2; exit 1; }
[ -f "$root/usr/lib/vexatool/ColumnConfig.xml" ] || { echo "check-deb: ColumnConfig.xml is not beside the program" >&2; exit 1; }
if dpkg --root="$root" -L vexatool | grep -q keytool; then
    echo "check-deb: the manufacturer's key tool is in the user's package" >&2
    exit 1
fi

cat > "$work/inside.sh" <<'INSIDE'
set -euo pipefail
work=$1
ip link set lo up
ip link set lo multicast on
mount --make-rprivate /
new="$work/new"
mkdir -p "$new/usr" "$new/etc" "$new/proc" "$new/dev" "$new/tmp" "$work/up-usr" "$work/wk-usr" "$work/up-etc" "$work/wk-etc"
mount -t overlay overlay -o "lowerdir=$work/root/usr:/usr,upperdir=$work/up-usr,workdir=$work/wk-usr" "$new/usr"
mount -t overlay overlay -o "lowerdir=$work/root/etc:/etc,upperdir=$work/up-etc,workdir=$work/wk-etc" "$new/etc"
mount --rbind /proc "$new/proc"
mount --rbind /dev "$new/dev"
mount -t tmpfs tmpfs "$new/tmp"
mkdir -m 0700 "$new/tmp/xdg"
for link in bin sbin lib lib64; do [ -L "/$link" ] && ln -s "$(readlink "/$link")" "$new/$link"; done
cat > "$new/tmp/screens.json" <<JSON
{"screens":[{"name":"s0","x":0,"y":0,"width":1920,"height":1080,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]}
JSON
chroot "$new" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/tmp TMPDIR=/tmp XDG_RUNTIME_DIR=/tmp/xdg \
    VEXA_IFACE=127.0.0.1 VEXA_PORT=47991 QT_QPA_PLATFORM=offscreen:configfile=/tmp/screens.json \
    timeout 20 /usr/bin/vexatool > "$work/out.txt" 2>&1 &
for _ in $(seq 1 200); do
    grep -q 'Main window shown' "$work/out.txt" 2>/dev/null && break
    sleep 0.1
done
cat "$work/out.txt" | sed 's/^/  vexatool: /'
grep -q 'Main window shown' "$work/out.txt"
kill %1 2>/dev/null || true
wait || true
chroot "$new" /usr/bin/env -i PATH=/usr/bin VEXA_IFACE=127.0.0.1 VEXA_PORT=47991 /usr/bin/vexa discover --csv --seconds 0.5 \
    2>&1 | sed 's/^/  vexa: /'
INSIDE
unshare --mount --net bash "$work/inside.sh" "$work"
echo "check-deb: the installed program started"
