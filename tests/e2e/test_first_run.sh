#!/usr/bin/env bash
# The first-run dialog: an empty store shows it with "Synchronize to GPS" chosen; OK stores
# "UseNetworkTime" 0 and "FirstTimeConfig" 0 and writes the autostart entry; Escape stores
# neither and writes no entry, so it comes back at the next start; choosing the network time
# server stores 1 and opens no serial port.
source "$(dirname "$0")/harness.sh"
e2e_init first-run
e2e_start_x
e2e_start_tray

dialog_title="Horalux Configuration"

# Starts the program and waits for the dialog; its window id in $dialog. (Not called in $(...):
# the program's PID must reach this shell.)
start_with_dialog() {
    : >"$E2E_APP_LOG"
    e2e_start_app
    dialog="$(e2e_find_window 20 "$dialog_title")" || e2e_fail "no first-run dialog"
    e2e_wait 10 dialog_viewable || e2e_fail "the first-run dialog was not shown"
    sleep 0.5  # painted and ready for keys
}

dialog_viewable() {
    xwininfo -id "$dialog" | grep -q 'Map State: IsViewable'
}

answer() {
    local id="$1"
    shift
    xdotool windowfocus "$id"
    xdotool "$@"
}

# Answers the dialog with a key and waits for it to go; on a busy machine the first key can
# reach the window before it takes input, so the key is sent again while the dialog is still up.
answer_and_close() {
    local key="$1" try
    for try in 1 2 3; do
        answer "$dialog" key "$key"
        e2e_wait 3 bash -c "! xwininfo -id $dialog 2>/dev/null | grep -q IsViewable" && return 0
    done
    e2e_fail "the first-run dialog did not close on $key"
}

stop_app() {
    e2e_stop "$E2E_APP_PID"
}

# --- OK on an empty store: GPS
start_with_dialog
e2e_screenshot first-run-dialog
[ -z "$(e2e_ini_get Settings FirstTimeConfig)$(e2e_ini_get Settings UseNetworkTime)" ] ||
    e2e_fail "the choice was stored before the user answered"
e2e_wait_log 1 'tray created' && e2e_fail "the tray icon came before the dialog was answered"
answer_and_close Return
stored_gps() {
    [ "$(e2e_ini_get Settings UseNetworkTime)" = 0 ] &&
        [ "$(e2e_ini_get Settings FirstTimeConfig)" = 0 ]
}
e2e_wait 10 stored_gps || e2e_fail "OK did not store UseNetworkTime 0 and FirstTimeConfig 0"
e2e_wait_log 10 'tray created' || e2e_fail "the program did not go on after OK"
autostart="$XDG_CONFIG_HOME/autostart/example.quorvane.Horalux.desktop"
grep -qx "Exec=$E2E_BIN/horalux" "$autostart" ||
    e2e_fail "OK did not write the autostart entry: $(cat "$autostart" 2>&1)"
stop_app
rm -f "$autostart"

# --- Escape on an empty store: nothing stored, the dialog comes back
rm -f "$E2E_INI"
start_with_dialog
answer_and_close Escape
e2e_wait_log 10 'tray created' || e2e_fail "the program did not go on after Escape"
[ -z "$(e2e_ini_get Settings FirstTimeConfig)" ] || e2e_fail "Escape stored FirstTimeConfig"
[ -z "$(e2e_ini_get Settings UseNetworkTime)" ] || e2e_fail "Escape stored UseNetworkTime"
[ ! -e "$autostart" ] || e2e_fail "Escape wrote the autostart entry"
stop_app

# --- the dialog again; the network choice opens no serial port
e2e_start_pty
# A receiver on a pty, and a time server on loopback that does not answer (no traffic leaves the
# machine).
closed_port="$(e2e_free_udp_port)"
cat >>"$E2E_INI" <<INI

[Serial%20Port%20Commmunications]
Device=$E2E_GPS

[Network%20Daytime%20Protocol]
NumberOfTimeServers=1
NetServer-00=127.0.0.1:$closed_port
TimeServer=127.0.0.1:$closed_port
INI
start_with_dialog
# "Synchronize to a network time server", below the GPS choice.
geometry="$(xdotool getwindowgeometry "$dialog")"
answer "$dialog" mousemove --window "$dialog" 160 167 click 1
sleep 0.3
e2e_screenshot first-run-network-choice
answer_and_close Return
stored_network() {
    [ "$(e2e_ini_get Settings UseNetworkTime)" = 1 ] &&
        [ "$(e2e_ini_get Settings FirstTimeConfig)" = 0 ]
}
e2e_wait 10 stored_network ||
    e2e_fail "choosing the network did not store UseNetworkTime 1 ($geometry)"
e2e_wait_log 10 'tray created' || e2e_fail "the program did not go on"
sleep 1
pty="$(readlink -f "$E2E_GPS")"
if ls -l "/proc/$E2E_APP_PID/fd" | grep -qF -- "$pty"; then
    e2e_fail "the serial port $pty was opened although the network is the reference"
fi
# The first update comes on the first tick, or at the first minute change when the program
# starts within minute 0 of the hour.
e2e_wait 70 grep -q 'tray icon=141' "$E2E_APP_LOG" ||
    e2e_fail "the tray does not show the failed network update"
e2e_log "PASS"
