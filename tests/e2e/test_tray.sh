#!/usr/bin/env bash
# The tray icon: it appears with its tip, right-click shows the menu with its entries, "&Reset
# Clock Position" shows the clock at (0, 0) in 300 x 100, and "&Exit" ends the program, saves the
# clock's position and removes the icon.
source "$(dirname "$0")/harness.sh"
e2e_init tray
e2e_start_x
e2e_start_tray
e2e_start_pty
e2e_start_replay --synthetic "$E2E_FEED"

e2e_gps_settings <<INI
DigitalClockEnabled=0
DigitalClockPosition="200,500,300,400"
INI

started=$EPOCHREALTIME
e2e_start_app
e2e_wait 15 e2e_tray_icon_present || e2e_fail "the tray icon did not appear"
appeared=$EPOCHREALTIME
e2e_log "figure: tray icon in the tray $(((${appeared/./} - ${started/./}) / 1000)) ms after start"
e2e_wait_log 5 'tray created icon=109 tip="Horalux"$' || e2e_fail "the icon was not created as 109"
# The tip may already end with the first update's outcome on a line of its own.
e2e_wait_log 5 'tray icon=109 tip="Horalux(\\n[^"]*)?"$' || e2e_fail "the 200 ms timer did not set icon 109"

# The tip shows while the mouse rests on the icon.
tip_shown() {
    local id
    for id in $(xwininfo -root -children | awk '/\("horalux" "Horalux"\)/ { print $1 }'); do
        xwininfo -id "$id" | grep -q 'Map State: IsViewable' || continue
        xwininfo -id "$id" | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1
}
read -r x y <<<"$(e2e_tray_icon_center)"
xdotool mousemove "$((x - 2))" "$y"
sleep 0.2
xdotool mousemove "$x" "$y"
e2e_wait 10 tip_shown || e2e_fail "no tip over the tray icon"
sleep 0.3
e2e_screenshot tray-tip

# The menu, with the clock hidden: "Show &Clock" is not checked.
e2e_tray_menu || e2e_fail "the tray menu did not open"
e2e_screenshot tray-menu
e2e_last_menu_state | grep -q 'show-clock=unchecked' ||
    e2e_fail "Show Clock is checked while the clock is hidden: $(e2e_last_menu_state)"
xdotool key Escape
e2e_wait 5 bash -c "! { [ \$(grep -c 'menu shown' '$E2E_APP_LOG') -gt \$(grep -c 'menu hidden' '$E2E_APP_LOG') ]; }" ||
    e2e_fail "Escape did not close the menu"

# "&Reset Clock Position" shows the hidden clock at (0, 0), 300 x 100.
e2e_tray_menu || e2e_fail "the tray menu did not open again"
xdotool key r
clock="$(e2e_find_window 10 Clock)" || e2e_fail "Reset Clock Position did not show the clock"
clock_geometry() { e2e_window_geometry "$clock"; }
clock_at_origin() { [ "$(clock_geometry)" = "0,0,300,100" ]; }
e2e_wait 5 clock_at_origin || e2e_fail "the clock is at $(clock_geometry)"
[ "$(e2e_ini_get Settings DigitalClockEnabled)" = 1 ] || e2e_fail "DigitalClockEnabled was not stored"
e2e_tray_menu || e2e_fail "the tray menu did not open a third time"
e2e_last_menu_state | grep -q 'show-clock=checked' ||
    e2e_fail "Show Clock is not checked while the clock shows: $(e2e_last_menu_state)"

# "&Exit".
xdotool key e
e2e_wait 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "Exit did not end the program"
status=0
wait "$E2E_APP_PID" || status=$?
[ "$status" -eq 0 ] || e2e_fail "the program ended with status $status"
e2e_tray_icon_present && e2e_fail "the tray icon is still there"
[ "$(e2e_ini_get Settings DigitalClockPosition)" = '"0,300,0,100"' ] ||
    e2e_fail "the clock position was not saved: $(e2e_ini_get Settings DigitalClockPosition)"
e2e_log "PASS"
