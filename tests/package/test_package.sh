#!/usr/bin/env bash
# The Debian package, in three steps that CTest runs in order (the package is built once):
#   build     scripts/package's CPack step into the build folder's package/
#   contents  its control fields, its files and modes (as installed by cmake --install), and its
#             post-install step run against a stand-in setcap (it grants the capability, and a
#             failure to do so warns but does not fail the installation)
#   lintian   no errors and no warnings
set -euo pipefail
: "${HORALUX_BUILD_DIR:?HORALUX_BUILD_DIR must name the build folder}"
source "$(dirname "$0")/install_checks.sh"
step="$1"
packages="$HORALUX_BUILD_DIR/package"
work="$(mktemp -d /tmp/horalux-package.XXXXXX)"
trap 'rm -rf "$work"' EXIT

the_package() {
    local found
    found="$(ls "$packages"/horalux_*_amd64.deb 2>/dev/null | tail -n 1)"
    [ -n "$found" ] || fail "no package in $packages (the build step makes it)"
    echo "$found"
}

case "$step" in
build)
    rm -f "$packages"/horalux_*.deb
    cpack --config "$HORALUX_BUILD_DIR/CPackConfig.cmake" -B "$packages" >"$work/cpack.log" 2>&1 ||
        { cat "$work/cpack.log" >&2; fail "cpack"; }
    deb="$(the_package)"
    echo "package: $deb, $(stat -c %s "$deb") bytes"
    ;;
contents)
    deb="$(the_package)"
    field() { dpkg-deb -f "$deb" "$1"; }
    [ "$(field Package)" = horalux ] || fail "Package: $(field Package)"
    [ "$(field Version)" = 3.50.4 ] || fail "Version: $(field Version)"
    [ "$(field Maintainer)" = "Quorvane <horalux@quorvane.example>" ] || fail "Maintainer: $(field Maintainer)"
    depends="$(field Depends)"
    echo "Depends: $depends"
    names="$(sed -e 's/ *([^)]*)//g' -e 's/, */\n/g' <<<"$depends")"
    for needed in libcap2-bin libcap2 libgnutls30 libqt6widgets6 libqt6dbus6 libqt6network6 libc6 \
        libstdc++6; do
        grep -Fqx "$needed" <<<"$names" || fail "Depends lacks $needed: $depends"
    done
    dpkg-deb -x "$deb" "$work/root"
    check_tree "$work/root"
    file "$work/root/usr/bin/horalux" | grep -q 'stripped$' || fail "the program is not stripped"

    dpkg-deb -e "$deb" "$work/control"
    [ "$(stat -c %a "$work/control/postinst")" = 755 ] || fail "postinst is not executable"
    sh -n "$work/control/postinst" || fail "postinst is no valid shell script"
    # The post-install step against a stand-in setcap that records what it was asked.
    mkdir "$work/bin"
    printf '#!/bin/sh\necho "$*" >>"%s/setcap.calls"\nexit "${SETCAP_STATUS:-0}"\n' "$work" >"$work/bin/setcap"
    chmod 755 "$work/bin/setcap"
    PATH="$work/bin:$PATH" sh "$work/control/postinst" configure "" >"$work/out" 2>&1 ||
        fail "postinst configure failed: $(cat "$work/out")"
    [ "$(cat "$work/setcap.calls")" = "cap_sys_time+ep /usr/bin/horalux" ] ||
        fail "postinst asked setcap for: $(cat "$work/setcap.calls")"
    SETCAP_STATUS=1 PATH="$work/bin:$PATH" sh "$work/control/postinst" configure "" >"$work/out" 2>&1 ||
        fail "a failing setcap failed the installation"
    grep -q "could not grant cap_sys_time to /usr/bin/horalux" "$work/out" || fail "no warning when setcap fails"
    : >"$work/setcap.calls"
    PATH="$work/bin:$PATH" sh "$work/control/postinst" abort-upgrade "" >"$work/out" 2>&1 || fail "postinst abort-upgrade"
    [ ! -s "$work/setcap.calls" ] || fail "postinst ran setcap outside configure"
    echo "size: $(stat -c %s "$deb") bytes, installed $(field Installed-Size) KiB"
    ;;
lintian)
    deb="$(the_package)"
    lintian --no-tag-display-limit "$deb" >"$work/lintian" 2>&1 || true
    grep -v '^running with root privileges' "$work/lintian" || true
    if grep -Eq '^[EW]: ' "$work/lintian"; then
        fail "lintian reports errors or warnings"
    fi
    ;;
*)
    fail "unknown step $step"
    ;;
esac
echo "PASS"
