#!/usr/bin/env bash
# Network reference by SNTP against chronyd on loopback: with "TimeUpdateRate" 1 and the virtual
# clock an hour off, the first periodic update brings it within 5 ms of the system clock and the
# tray shows "referenced to network time" (138) again; a server that does not answer shows 141.
# With "UseNTS" the update is authenticated by NTS against chronyd as NTS server 2.5 s ahead
# (libfaketime): the virtual clock ends 2.5 s ahead, within 2 ms.
source "$(dirname "$0")/harness.sh"
e2e_init network-sntp
e2e_start_x
e2e_start_tray
e2e_start_chrony

# --- a server that answers
e2e_sntp_settings "127.0.0.1:$E2E_CHRONY_PORT"
echo 3600000 >"$HORALUX_CLOCK_FILE"
e2e_start_app
e2e_wait_log 10 'tray created' || e2e_fail "the program did not start"

# The first update comes on the first tick, or at the first minute change when the program
# starts within minute 0 of the hour.
settled() { [ "$(e2e_abs "$(e2e_clock_offset)")" -le 5 ]; }
e2e_wait 70 settled || e2e_fail "the virtual clock is still $(e2e_clock_offset) ms off"
e2e_log "virtual clock offset after the update: $(e2e_clock_offset) ms"
e2e_wait 10 grep -q 'tray icon=138' "$E2E_APP_LOG" || e2e_fail "the tray never showed icon 138"
# While the update ran the tray said so, and afterwards it is back at 138.
grep -q 'tray icon=140' "$E2E_APP_LOG" || e2e_log "note: the update ended before a 200 ms tick saw it"
last_icon() { grep -o 'tray icon=[0-9]*' "$E2E_APP_LOG" | tail -n 1; }
e2e_wait 10 test "$(last_icon)" = "tray icon=138" || e2e_fail "the tray ended at $(last_icon)"
if grep -q 'tray icon=141' "$E2E_APP_LOG"; then
    e2e_fail "the tray reported a failed update against a working server"
fi

e2e_tray_menu || e2e_fail "the tray menu did not open"
e2e_last_menu_state | grep -q 'set-clock-now=enabled' ||
    e2e_fail "Set PC Clock Now must be enabled in network mode: $(e2e_last_menu_state)"
xdotool key e
e2e_wait 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "the program did not exit"

# --- a server that does not answer (the port is closed again once chronyd stops)
e2e_stop "$E2E_CHRONY_PID"
e2e_sntp_settings "127.0.0.1:$E2E_CHRONY_PORT"
: >"$E2E_APP_LOG"
e2e_start_app
e2e_wait 70 grep -q 'tray icon=141' "$E2E_APP_LOG" || e2e_fail "the tray never showed icon 141"
# The tip ends with the update's outcome once it is recorded: a closed port refuses at once.
e2e_wait 5 grep -q 'tip="Horalux - Cannot connect to network\\ntime server\\nNot set: server not reached"' \
    "$E2E_APP_LOG" ||
    e2e_fail "wrong tip for a failed update"
e2e_stop "$E2E_APP_PID"

# --- NTS: the key exchange over TLS (the test's certificate trusted through the file), then
# authenticated requests
e2e_start_chrony nts +2.5
e2e_sntp_settings "127.0.0.1:$E2E_NTS_PORT" 1 1
export HORALUX_NTS_CA_FILE="$E2E_NTS_CERT"
echo -3600000 >"$HORALUX_CLOCK_FILE"
: >"$E2E_APP_LOG"
e2e_start_app
ahead() { [ "$(e2e_abs $(($(e2e_clock_offset) - 2500)))" -le 2 ]; }
e2e_wait 70 ahead || e2e_fail "the virtual clock is $(e2e_clock_offset) ms off, not 2500"
e2e_log "virtual clock offset after the NTS update: $(e2e_clock_offset) ms"
e2e_wait 10 grep -q 'tray icon=138' "$E2E_APP_LOG" || e2e_fail "the tray never showed icon 138"
e2e_log "PASS"
