#!/usr/bin/env bash
# The configuration pages on the real program, read and worked as a screen reader user and a
# keyboard user would: the fix-up delay, the satellites and the port stored (or not) keystroke by
# keystroke; "Apply Comm Settings" with a bad port (the serial port's message) and with a second
# receiver's device (reception switches to it); the time sentence; the Network Time page with the
# five default servers sorted and "TimeServer" selected, and a server added in the manager stored
# in sorted order; the System Configuration page switching to the network (the port closed, the
# GPS record cleared, the tray icon changed) and back, and the help bubbles. Screenshots of the
# three pages and the manager.
source "$(dirname "$0")/harness.sh"
e2e_init config-pages
e2e_start_x
e2e_start_tray

# Receiver A, made up, on the pty the program starts with.
e2e_start_pty
"${E2E_NOCAP[@]}" "$E2E_BIN/nmea-replay" --synthetic "$E2E_FEED" >"$E2E_WORK/replay-a.log" 2>&1 &
replay_a=$!
e2e_track "$replay_a"

# Receiver B on a second pty pair, replaying a capture made elsewhere on Earth (S 45°).
gps_b="$E2E_WORK/gps-b"
feed_b="$E2E_WORK/feed-b"
socat -d -d "pty,raw,echo=0,link=$gps_b" "pty,raw,echo=0,link=$feed_b" 2>"$E2E_WORK/socat-b.log" &
e2e_track $!
e2e_wait 10 test -e "$gps_b" -a -e "$feed_b" || e2e_fail "socat made no second pty pair"
shared="${HORALUX_SHARED_DIR:-$(cd "$(dirname "$0")/../../.." && pwd)/shared}"
capture="$shared/testdata/nmea/garmin48.log"
latitude_b="S 45°"
if [ ! -f "$capture" ]; then
    [ "${CI:-}" = true ] && e2e_fail "no receiver captures in $shared"
    e2e_log "no receiver captures in $shared: receiver B is made up too"
    capture=--synthetic
    latitude_b=""
fi
"${E2E_NOCAP[@]}" "$E2E_BIN/nmea-replay" "$capture" "$feed_b" --loop >"$E2E_WORK/replay-b.log" 2>&1 &
e2e_track $!
device_b="$(readlink -f "$gps_b")"  # /dev/pts/N, as a user types a device

e2e_gps_settings <<INI
DigitalClockEnabled=0
INI

e2e_start_a11y
e2e_start_app
e2e_wait 15 e2e_tray_icon_present || e2e_fail "the tray icon did not appear"
e2e_wait_log 20 'timeLocked=1' || e2e_fail "receiver A never locked"
e2e_open_properties
win="Horalux Properties"

ini_is() { [ "$(e2e_ini_get "$1" "$2")" = "$3" ]; }
# The program's trace lines so far, and whether TEXT has been traced since there were N lines.
trace_lines() { wc -l <"$E2E_APP_LOG"; }
traced_since() {
    awk -v text="$1" -v n="$2" 'NR > n && index($0, text) { found = 1 } END { exit !found }' \
        "$E2E_APP_LOG"
}
# Whether the program holds DEVICE open.
holds() {
    local fd
    for fd in "/proc/$E2E_APP_PID/fd"/*; do
        [ "$(readlink "$fd" 2>/dev/null)" = "$1" ] && return 0
    done
    return 1
}
released() { ! holds "$1"; }
has_tab() { e2e_a11y states "$win" "$1" "page tab" >/dev/null 2>&1; }

# Clicks the field named NAME, selects its text and types KEYS one at a time (the first replaces
# the text); after each the field shows what was typed so far and SECTION/KEY holds the next of
# VALUES.
type_checked() {
    local name="$1" section="$2" key="$3" keys="$4" i
    shift 4
    e2e_click "$win" "$name" text
    xdotool key ctrl+a
    for ((i = 0; i < ${#keys}; i++)); do
        xdotool type -- "${keys:i:1}"
        e2e_a11y_wait 5 "${keys:0:i+1}" value "$win" "$name" text
        ini_is "$section" "$key" "$1" ||
            e2e_fail "after \"${keys:0:i+1}\" in \"$name\": $key=$(e2e_ini_get "$section" "$key"), not $1"
        shift
    done
}

# --- GPS Configuration
e2e_click_tab "GPS Configuration"
e2e_a11y_wait 5 "$E2E_GPS" value "$win" "Comm Port:" text
e2e_screenshot e2e-config-gps-configuration
type_checked "GPS set time fix-up delay:" Settings GPSTimeDelay "-25" 0 -2 -25
type_checked "GPS set time fix-up delay:" Settings GPSTimeDelay "1000" 1 10 100 100
type_checked "Tracking at least:" Settings TLSats "5" 5
xdotool key BackSpace
e2e_a11y_wait 5 "" value "$win" "Tracking at least:" text
ini_is Settings TLSats 0 || e2e_fail "an emptied satellites field did not store 0"
type_checked "Tracking at least:" Settings TLSats "3" 3

# The port and speed wait for "Apply Comm Settings".
e2e_click "$win" "Comm Port:" text
xdotool key ctrl+a
xdotool type "abc"
e2e_a11y_wait 5 "abc" value "$win" "Comm Port:" text
[ -z "$(e2e_ini_get "Serial Port Commmunications" Port)" ] || e2e_fail "Port was stored as typed"
before_abc="$(trace_lines)"
e2e_click "$win" "Apply Comm Settings" "push button"
e2e_wait 10 e2e_a11y dump Horalux || e2e_fail "no message about port \"abc\""
message="$(e2e_a11y dump Horalux)"
[[ "$message" == *"Communication Port Not Found!"* ]] || e2e_fail "not the serial port's message: $message"
ini_is "Serial Port Commmunications" Port 0 || e2e_fail "\"abc\" did not store Port 0"
ini_is "Serial Port Commmunications" Device "" || e2e_fail "a number did not clear Device"
e2e_click Horalux OK "push button"
e2e_wait 5 bash -c "! xdotool search --onlyvisible --name '^Horalux\$' >/dev/null" ||
    e2e_fail "the message did not close"
holds "$(readlink -f "$E2E_GPS")" && e2e_fail "receiver A's port is still open"
e2e_wait 6 traced_since timeLocked=0 "$before_abc" || e2e_fail "the lock did not go with the receiver"

# Receiver B's device: reception switches to it (receiver A falls silent, so what comes is B's).
e2e_stop "$replay_a"
e2e_click "$win" "Comm Port:" text
xdotool key ctrl+a
xdotool type "$device_b"
e2e_a11y_wait 5 "$device_b" value "$win" "Comm Port:" text
before_b="$(trace_lines)"
e2e_click "$win" "Apply Comm Settings" "push button"
e2e_wait 5 ini_is "Serial Port Commmunications" Device "$device_b" || e2e_fail "Device was not stored"
ini_is "Serial Port Commmunications" Port 0 || e2e_fail "a device path changed Port"
e2e_wait 5 holds "$device_b" || e2e_fail "the program did not open $device_b"
e2e_wait 10 traced_since timeLocked=1 "$before_b" || e2e_fail "no lock on receiver B"
if [ -n "$latitude_b" ] && has_tab Position; then
    e2e_click_tab Position
    latitude_shown() { [[ "$(e2e_a11y value "$win" Latitude: text)" == "$latitude_b"* ]]; }
    e2e_wait 5 latitude_shown ||
        e2e_fail "the Position page shows $(e2e_a11y value "$win" Latitude: text), not receiver B's $latitude_b"
    e2e_click_tab "GPS Configuration"
fi

# The time sentence, stored at once.
e2e_click "$win" "NMEA GPZDA Message" "radio button"
e2e_wait 5 ini_is Settings UseTimrFrom 2 || e2e_fail "ZDA did not store UseTimrFrom 2"
e2e_click "$win" "NMEA GPGGA Message" "radio button"
e2e_wait 5 ini_is Settings UseTimrFrom 0 || e2e_fail "GGA did not store UseTimrFrom 0"

# --- Network Time: the five defaults sorted, "TimeServer" selected
e2e_click_tab "Network Time"
e2e_screenshot e2e-config-network-time
servers() { e2e_a11y entries "$win" "Network Time Server Address:"; }
sorted_defaults="time-a-b.nist.gov time-a-g.nist.gov time-a-wwv.nist.gov time-b-g.nist.gov time.nist.gov"
[ "$(servers | xargs)" = "$sorted_defaults" ] || e2e_fail "the server box lists: $(servers | xargs)"
chosen="$(e2e_ini_get "Network Daytime Protocol" TimeServer)"
e2e_a11y states "$win" "$chosen" "combo box" >/dev/null ||
    e2e_fail "the box does not show TimeServer $chosen: $(e2e_a11y dump "$win" | grep 'combo box')"
e2e_a11y states "$win" "Network Status: Disabled" label >/dev/null || e2e_fail "status is not Disabled"

# The manager: typed, Enter adds, OK stores the list sorted.
manager="Network server list manager"
e2e_a11y action "$win" "Add/Delete..." "push button"
e2e_wait 10 e2e_a11y dump "$manager" || e2e_fail "the server list manager did not open"
e2e_click "$manager" "Server address:" text
xdotool type "a.example.org"
e2e_a11y_wait 5 "a.example.org" value "$manager" "Server address:" text
xdotool key Return
e2e_a11y_wait 5 "" value "$manager" "Server address:" text
[[ "$(e2e_a11y states "$manager" "a.example.org" "list item")" == *selected* ]] ||
    e2e_fail "Enter did not add the server: $(e2e_a11y dump "$manager")"
e2e_screenshot e2e-config-server-list-manager
ini_is "Network Daytime Protocol" NumberOfTimeServers 5 || e2e_fail "the list was stored before OK"
e2e_click "$manager" OK "push button"
e2e_wait 5 ini_is "Network Daytime Protocol" NumberOfTimeServers 6 || e2e_fail "OK did not store 6 servers"
stored="$(for i in 00 01 02 03 04 05; do e2e_ini_get "Network Daytime Protocol" "NetServer-$i"; done | xargs)"
[ "$stored" = "a.example.org $sorted_defaults" ] || e2e_fail "stored: $stored"
ini_is "Network Daytime Protocol" NetServer-06 None || e2e_fail "slot 6 is not None"
[ "$(servers | xargs)" = "a.example.org $sorted_defaults" ] || e2e_fail "the box lists: $(servers | xargs)"
ini_is "Network Daytime Protocol" TimeServer "$chosen" || e2e_fail "TimeServer changed"

# --- System Configuration: the network closes the port and clears the record; GPS reopens it
e2e_click_tab "System Configuration"
e2e_screenshot e2e-config-system-configuration
before_network="$(trace_lines)"
e2e_click "$win" "Set PC clock using network time server" "radio button"
e2e_wait 5 ini_is Settings UseNetworkTime 1 || e2e_fail "UseNetworkTime 1 was not stored"
e2e_wait 2 released "$device_b" || e2e_fail "the port stayed open"
e2e_wait 2 traced_since "tray icon=138" "$before_network" ||
    e2e_fail "the tray icon did not follow: $(grep 'tray icon=' "$E2E_APP_LOG" | tail -n 1)"
if has_tab Position; then
    e2e_click_tab Position
    e2e_a11y_wait 3 "N 00° 00.0000" value "$win" Latitude: text
fi
e2e_click_tab "Network Time"
e2e_a11y_wait 3 "Network Status: Nominal" value "$win" "Network Status: Nominal" label
e2e_click_tab "System Configuration"
e2e_click "$win" "Set PC clock using GPS" "radio button"
e2e_wait 5 ini_is Settings UseNetworkTime 0 || e2e_fail "UseNetworkTime 0 was not stored"
e2e_wait 5 holds "$device_b" || e2e_fail "GPS did not reopen $device_b"
e2e_click "$win" "Enable help bubbles" "check box"
e2e_wait 5 ini_is Settings EnableBubbleTip 0 || e2e_fail "EnableBubbleTip 0 was not stored"
e2e_app_running || e2e_fail "the program ended"
e2e_log "PASS"
