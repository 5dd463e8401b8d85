#!/usr/bin/env bash
# cmake --install: the programs, the menu entry, the icons, the metainfo, the manual pages, the
# help manual and the documents where a Linux desktop looks for them, with their modes; the
# validators pass; and an installed program takes its help from the installed manual.
set -euo pipefail
: "${HORALUX_BUILD_DIR:?HORALUX_BUILD_DIR must name the build folder}"
source "$(dirname "$0")/install_checks.sh"
work="$(mktemp -d /tmp/horalux-install.XXXXXX)"
trap 'rm -rf "$work"' EXIT
DESTDIR="$work/root" cmake --install "$HORALUX_BUILD_DIR" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log" >&2; fail "cmake --install"; }
check_tree "$work/root"
echo "PASS"
