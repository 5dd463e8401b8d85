#!/usr/bin/env bash
# A desktop without a notification area (GNOME without an extension): after waiting for a panel
# that might start late, the program says so once in a message, shows the desktop clock although
# it was hidden (without storing that), and the clock's menu ends with "&Exit", which ends it.
source "$(dirname "$0")/harness.sh"
e2e_init no-tray
e2e_start_x
e2e_start_pty

e2e_gps_settings <<INI
DigitalClockEnabled=0
DigitalClockPosition="300,600,300,400"
INI
e2e_start_app
e2e_wait_log 10 'tray created' || e2e_fail "the program did not start"
e2e_window_with_title Clock >/dev/null && e2e_fail "the hidden clock showed before the grace period"
e2e_wait_log 20 'no system tray on this desktop' || e2e_fail "no word about the missing tray"
box="$(e2e_find_window 10 Horalux)" || e2e_fail "no message about the missing tray"
clock="$(e2e_find_window 5 Clock)" || e2e_fail "the desktop clock is not shown"
sleep 0.5
e2e_screenshot e2e-no-tray-message
closed() { ! xwininfo -id "$box" 2>/dev/null | grep -q IsViewable; }
for attempt in 1 2 3; do
    xdotool windowfocus "$box" key Return
    e2e_wait 3 closed && break
done
closed || e2e_fail "the message did not close"

# The clock's own menu ends with "&Exit".
read -r cx cy <<<"$(e2e_window_geometry "$clock" | awk -F, '{ print $1 + $3 / 2, $2 + $4 / 2 }')"
for attempt in 1 2 3; do
    xdotool mousemove "$cx" "$cy" click 3
    e2e_wait 3 grep -q 'context-menu open' "$E2E_APP_LOG" && break
done
grep -q 'context-menu open' "$E2E_APP_LOG" || e2e_fail "the clock's menu did not open"
sleep 0.3
e2e_screenshot e2e-no-tray-clock-menu
xdotool key e
e2e_wait 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "Exit on the clock's menu did not end the program"
status=0
wait "$E2E_APP_PID" || status=$?
[ "$status" -eq 0 ] || e2e_fail "the program ended with status $status"
[ "$(grep -c 'no system tray on this desktop' "$E2E_APP_LOG")" -eq 1 ] || e2e_fail "told more than once"
[ "$(e2e_ini_get Settings DigitalClockEnabled)" = 0 ] || e2e_fail "the clock's hidden state was overwritten"
e2e_log "PASS"
