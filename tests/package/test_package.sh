#!/usr/bin/env bash
# The Debian package, in three steps that CTest runs in order (the package is built once):
#   build     scripts/package's CPack step into the build folder's package/
#   contents  its control fields, its files and modes (as installed by cmake --install), and its
#             maintainer scripts: they grant no capability and only ask a running systemd to
#             reload its units
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
    for needed in dbus polkitd libsystemd0 libcap2 libgnutls30 libqt6widgets6 libqt6dbus6 \
        libqt6network6 libc6 libstdc++6; do
        grep -Fqx "$needed" <<<"$names" || fail "Depends lacks $needed: $depends"
    done
    dpkg-deb -x "$deb" "$work/root"
    check_tree "$work/root"
    file "$work/root/usr/bin/horalux" | grep -q 'stripped$' || fail "the program is not stripped"

    file "$work/root/usr/libexec/horalux-clockd" | grep -q 'stripped$' || fail "the helper is not stripped"

    dpkg-deb -e "$deb" "$work/control"
    # The maintainer scripts against stand-ins that record what they were asked.
    mkdir "$work/bin"
    for tool in setcap systemctl; do
        printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$tool" "$work" >"$work/bin/$tool"
        chmod 755 "$work/bin/$tool"
    done
    for script in postinst postrm; do
        [ "$(stat -c %a "$work/control/$script")" = 755 ] || fail "$script is not executable"
        sh -n "$work/control/$script" || fail "$script is no valid shell script"
        ! grep -q setcap "$work/control/$script" || fail "$script grants a capability"
        PATH="$work/bin:$PATH" sh "$work/control/$script" configure "" >"$work/out" 2>&1 ||
            fail "$script failed: $(cat "$work/out")"
    done
    if [ -d /run/systemd/system ]; then
        [ "$(cat "$work/calls")" = "$(printf 'systemctl --system daemon-reload\nsystemctl --system daemon-reload')" ] ||
            fail "the maintainer scripts asked: $(cat "$work/calls")"
    else
        [ ! -s "$work/calls" ] || fail "without systemd the scripts asked: $(cat "$work/calls")"
    fi
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
