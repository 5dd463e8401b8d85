#!/usr/bin/env bash
# Installs and purges the Debian package in a throwaway Debian 12 root of its own, as on a fresh
# machine: dpkg -i with the dependencies the package names, no file with a capability, the clock
# helper's unit accepted by systemd-analyze verify, the program answering --version as a plain
# user, and dpkg --purge leaving the root as it was before. Not part of ./scripts/test: it needs a Debian mirror and a few
# minutes the first time (the root is kept under build/fresh-root/ and reused).
#
#   tests/package/fresh_root.sh [PACKAGE.deb]    (default: build/package/horalux_*.deb)
set -euo pipefail
cd "$(dirname "$0")/../.."

deb="${1:-$(ls build/package/horalux_*.deb 2>/dev/null | tail -n 1)}"
[ -f "$deb" ] || { echo "fresh_root: no package; run ./scripts/package first" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "fresh_root: needs root (debootstrap, chroot)" >&2; exit 2; }
command -v debootstrap >/dev/null || { echo "fresh_root: needs debootstrap" >&2; exit 2; }

root="$PWD/build/fresh-root/bookworm"
log() { echo "[fresh-root] $*" >&2; }
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 "$@"; }

# The mirror this machine's apt uses (deb822 or one-line sources).
mirror() {
    local uri
    uri="$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1 | awk '{ print $2 }')"
    [ -n "$uri" ] || uri="$(grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | head -n 1 | awk '{ print $2 }')"
    echo "$uri"
}

if [ ! -e "$root/.bootstrapped" ]; then
    rm -rf "$root"
    mkdir -p "$root"
    log "bootstrapping Debian 12 into $root"
    debootstrap --variant=minbase bookworm "$root" "$(mirror)" >"$root.log" 2>&1 ||
        { tail -n 20 "$root.log" >&2; exit 1; }
    touch "$root/.bootstrapped"
fi
# No service starts inside the root.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
cp /etc/resolv.conf "$root/etc/resolv.conf"

# The dependencies first, so that the snapshot before and after holds only the package's work.
depends="$(dpkg-deb -f "$deb" Depends | sed -e 's/([^)]*)//g' -e 's/,/ /g')"
log "dependencies: $depends"
in_root apt-get -q update >/dev/null
# systemd too, for systemd-analyze verify (the package itself runs without it).
# shellcheck disable=SC2086
in_root env DEBIAN_FRONTEND=noninteractive apt-get -q -y --no-install-recommends install $depends systemd >/dev/null

# Every capability set on a file of the root (read with this machine's getcap: the root has none).
root_caps() { getcap -r "$root/usr" "$root/etc" "$root/opt" 2>/dev/null | sed "s|^$root||" || true; }

snapshot() {
    # Files, links and folders with their modes and owners, and every capability set on a file.
    (cd "$root" && find . -xdev \( -path ./var/lib/dpkg -o -path ./var/log -o -path ./var/cache \
        -o -path ./tmp -o -path ./proc -o -path ./dev \) -prune -o -printf '%M %u %g %p\n' | sort)
    root_caps | sort
    cut -d: -f1 "$root/etc/passwd" "$root/etc/group" | sort
}
# A run that failed half-way may have left the package installed.
in_root dpkg --purge horalux >/dev/null 2>&1 || true
snapshot >"$root.before"

cp "$deb" "$root/tmp/horalux.deb"
log "dpkg -i $(basename "$deb")"
in_root dpkg -i /tmp/horalux.deb
caps="$(root_caps)"
[ -z "$caps" ] || { echo "fresh_root: FAIL: files with capabilities: $caps" >&2; exit 1; }
log "no file carries a capability"
# The root has no man-db to look the unit's Documentation= up with: the page is checked as a file.
[ -f "$root/usr/share/man/man8/horalux-clockd.8.gz" ] || { echo "fresh_root: FAIL: no man page" >&2; exit 1; }
verify="$(in_root systemd-analyze verify --man=no /usr/lib/systemd/system/horalux-clockd.service 2>&1)" ||
    { echo "fresh_root: FAIL: systemd-analyze verify: $verify" >&2; exit 1; }
log "systemd-analyze verify accepts horalux-clockd.service${verify:+: $verify}"
log "$(in_root systemd-analyze security --offline=true /usr/lib/systemd/system/horalux-clockd.service 2>&1 | tail -n 1)"
version="$(in_root setpriv --reuid=65534 --regid=65534 --clear-groups /usr/bin/horalux --version)"
[ "$version" = "Horalux Version 3.50 Build 4" ] ||
    { echo "fresh_root: FAIL: horalux --version printed '$version'" >&2; exit 1; }
# Every shared library the programs and Qt's X11 platform plugin need is there.
missing="$(in_root sh -c 'ldd /usr/bin/horalux /usr/bin/horalux-diag /usr/bin/nmea-replay /usr/libexec/horalux-clockd \
    /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so' | grep 'not found' || true)"
[ -z "$missing" ] || { echo "fresh_root: FAIL: libraries not found: $missing" >&2; exit 1; }
in_root dpkg -s horalux | grep -q '^Status: install ok installed$' ||
    { echo "fresh_root: FAIL: the package is not configured" >&2; exit 1; }

log "dpkg --purge horalux"
in_root dpkg --purge horalux
rm -f "$root/tmp/horalux.deb"
snapshot >"$root.after"
if ! diff -u "$root.before" "$root.after"; then
    echo "fresh_root: FAIL: the purge left the root changed (above)" >&2
    exit 1
fi
log "PASS: installed without a capability, the helper's unit verified, ran, and purged without a trace"
