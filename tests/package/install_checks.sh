# Checks shared by the install tree and package tests: what an installed Horalux holds, with its
# modes. Source it; then check_tree ROOT (the folder that stands for /usr's parent).

# Every file installed under /usr, with its mode.
HORALUX_FILES=(
    "755 usr/bin/horalux"
    "755 usr/bin/horalux-diag"
    "755 usr/bin/nmea-replay"
    "755 usr/libexec/horalux-clockd"
    "644 usr/lib/systemd/system/horalux-clockd.service"
    "644 usr/share/dbus-1/system-services/example.quorvane.Horalux.Clock1.service"
    "644 usr/share/dbus-1/system.d/example.quorvane.Horalux.Clock1.conf"
    "644 usr/share/polkit-1/actions/example.quorvane.horalux.set-clock.policy"
    "644 usr/share/applications/example.quorvane.Horalux.desktop"
    "644 usr/share/doc/horalux/changelog.gz"
    "644 usr/share/doc/horalux/copyright"
    "644 usr/share/doc/horalux/examples/horalux-chrony.conf"
    "644 usr/share/horalux/help/109.png"
    "644 usr/share/horalux/help/112.png"
    "644 usr/share/horalux/help/138.png"
    "644 usr/share/horalux/help/140.png"
    "644 usr/share/horalux/help/141.png"
    "644 usr/share/horalux/help/desktop-clock.html"
    "644 usr/share/horalux/help/first-run.html"
    "644 usr/share/horalux/help/index.html"
    "644 usr/share/horalux/help/overview.html"
    "644 usr/share/horalux/help/properties.html"
    "644 usr/share/horalux/help/style.css"
    "644 usr/share/horalux/help/tray-menu.html"
    "644 usr/share/horalux/help/troubleshooting.html"
    "644 usr/share/icons/hicolor/128x128/apps/example.quorvane.Horalux.png"
    "644 usr/share/icons/hicolor/16x16/apps/example.quorvane.Horalux.png"
    "644 usr/share/icons/hicolor/22x22/apps/example.quorvane.Horalux.png"
    "644 usr/share/icons/hicolor/24x24/apps/example.quorvane.Horalux.png"
    "644 usr/share/icons/hicolor/256x256/apps/example.quorvane.Horalux.png"
    "644 usr/share/icons/hicolor/32x32/apps/example.quorvane.Horalux.png"
    "644 usr/share/icons/hicolor/48x48/apps/example.quorvane.Horalux.png"
    "644 usr/share/icons/hicolor/64x64/apps/example.quorvane.Horalux.png"
    "644 usr/share/icons/hicolor/scalable/apps/example.quorvane.Horalux.svg"
    "644 usr/share/lintian/overrides/horalux"
    "644 usr/share/man/man1/horalux-diag.1.gz"
    "644 usr/share/man/man1/horalux.1.gz"
    "644 usr/share/man/man1/nmea-replay.1.gz"
    "644 usr/share/man/man8/horalux-clockd.8.gz"
    "644 usr/share/metainfo/example.quorvane.Horalux.metainfo.xml"
)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The files and their modes, none with a capability, the menu entry and metainfo validating, the
# icons the entry names, the clock helper's bus, systemd and polkit files saying what they must,
# the manual pages formatting without warnings, and the programs running.
check_tree() {
    local root="$1" listed size
    listed="$(cd "$root" && find usr -type f -printf '%m %p\n' | sort)"
    diff <(printf '%s\n' "${HORALUX_FILES[@]}" | sort) <(echo "$listed") >&2 ||
        fail "the installed files differ from the list (< expected, > installed)"
    [ -z "$(cd "$root" && find usr -type d ! -perm 755)" ] || fail "folders not of mode 755"
    [ -z "$(getcap -r "$root/usr" 2>/dev/null)" ] || fail "files with capabilities: $(getcap -r "$root/usr")"
    check_clock_helper "$root"
    # chronyd reads the example as it stands (-p: prints the configuration and ends).
    capsh --drop=cap_sys_time -- -c 'chronyd -p -f "$1"' check \
        "$root/usr/share/doc/horalux/examples/horalux-chrony.conf" | grep -q '^refclock SHM 2:perm=0666' ||
        fail "chronyd does not read the example's refclock line"

    local desktop="$root/usr/share/applications/example.quorvane.Horalux.desktop"
    desktop-file-validate "$desktop" || fail "desktop-file-validate: errors"
    grep -qx 'Exec=horalux' "$desktop" || fail "the menu entry does not start horalux"
    grep -qx 'Icon=example.quorvane.Horalux' "$desktop" || fail "the menu entry names another icon"
    appstreamcli validate --no-net "$root/usr/share/metainfo/example.quorvane.Horalux.metainfo.xml" >&2 ||
        fail "appstreamcli validate: errors"
    for size in 16 22 24 32 48 64 128 256; do
        identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x${size}/apps/example.quorvane.Horalux.png" |
            grep -qx "${size}x${size}" || fail "the ${size}x${size} icon has another size"
    done
    python3 -c 'import sys, xml.etree.ElementTree as e; r = e.parse(sys.argv[1]).getroot(); sys.exit(r.tag != "{http://www.w3.org/2000/svg}svg")' \
        "$root/usr/share/icons/hicolor/scalable/apps/example.quorvane.Horalux.svg" || fail "the scalable icon is no SVG"

    local page warnings
    for page in man1/horalux.1 man1/horalux-diag.1 man1/nmea-replay.1 man8/horalux-clockd.8; do
        warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/$page.gz" 2>&1 >/dev/null)"
        [ -z "$warnings" ] || fail "man $page: $warnings"
        zcat "$root/usr/share/man/$page.gz" | grep -q "^\.TH " || fail "man $page has no title"
    done
    # The arguments answer without a desktop: DISPLAY is taken away.
    [ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/horalux" --version)" = \
        "Horalux Version 3.50 Build 4" ] || fail "horalux --version"
    env -u DISPLAY "$root/usr/bin/horalux" --help 2>/dev/null | grep -q '^  HORALUX_CLOCK_FILE ' ||
        fail "horalux --help does not list the environment settings"
    local status=0 said
    said="$(env -u DISPLAY "$root/usr/bin/horalux" --bogus 2>&1 >/dev/null)" || status=$?
    [ "$status" -eq 2 ] || fail "horalux --bogus ended with status $status"
    grep -q "^Usage: horalux" <<<"$said" || fail "horalux --bogus printed no usage on stderr"
    { "$root/usr/bin/horalux-diag" 2>&1 || true; } | grep -q '^usage: horalux-diag' ||
        fail "horalux-diag does not run"
    { "$root/usr/bin/nmea-replay" 2>&1 || true; } | grep -q 'usage: nmea-replay' ||
        fail "nmea-replay does not run"
}

# The clock helper's files: the bus starts the installed helper through its unit; the policy lets
# root alone own the name and anyone call it; the unit confines it to CAP_SYS_TIME; polkit lets
# the person at the desk set the clock and nobody else without an administrator; the helper links
# no Qt.
check_clock_helper() {
    local root="$1" share="$1/usr/share"
    local service="$share/dbus-1/system-services/example.quorvane.Horalux.Clock1.service"
    local unit="$root/usr/lib/systemd/system/horalux-clockd.service"
    grep -qx 'Name=example.quorvane.Horalux.Clock1' "$service" || fail "bus service: no Name"
    grep -qx 'Exec=/usr/libexec/horalux-clockd' "$service" || fail "bus service: wrong Exec"
    grep -qx 'SystemdService=horalux-clockd.service' "$service" || fail "bus service: no unit"
    local line
    for line in 'Type=dbus' 'BusName=example.quorvane.Horalux.Clock1' \
        'ExecStart=/usr/libexec/horalux-clockd' 'CapabilityBoundingSet=CAP_SYS_TIME' \
        'NoNewPrivileges=yes' 'ProtectSystem=strict' 'PrivateTmp=yes' \
        'RestrictAddressFamilies=AF_UNIX'; do
        grep -qx "$line" "$unit" || fail "the unit lacks $line"
    done
    local exposure
    exposure="$(systemd-analyze security --offline=true "$unit" 2>/dev/null |
        sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')"
    awk -v e="$exposure" 'BEGIN { exit !(e != "" && e <= 2.0) }' ||
        fail "the unit's exposure is '$exposure', more than 2.0"
    python3 - "$share/dbus-1/system.d/example.quorvane.Horalux.Clock1.conf" \
        "$share/polkit-1/actions/example.quorvane.horalux.set-clock.policy" <<'PY' || fail "bus policy or polkit action"
import sys, xml.etree.ElementTree as ET
bus = ET.parse(sys.argv[1]).getroot()
owners = [(p.attrib, a.attrib) for p in bus.iter("policy") for a in p if "own" in a.attrib]
assert owners == [({"user": "root"}, {"own": "example.quorvane.Horalux.Clock1"})], owners
calls = [a.attrib for p in bus.iter("policy") if p.attrib == {"context": "default"} for a in p]
assert {"send_destination": "example.quorvane.Horalux.Clock1",
        "send_interface": "example.quorvane.Horalux.Clock1"} in calls, calls
action = ET.parse(sys.argv[2]).getroot().find("action")
assert action.attrib["id"] == "example.quorvane.horalux.set-clock"
defaults = {d.tag: d.text for d in action.find("defaults")}
assert defaults == {"allow_any": "auth_admin", "allow_inactive": "auth_admin",
                    "allow_active": "yes"}, defaults
PY
    ! ldd "$root/usr/libexec/horalux-clockd" | grep -qi qt || fail "the clock helper links Qt"
}
