#!/usr/bin/env bash
# The desktop clock window in the real program, without a window manager: it opens at its stored
# rectangle; a drag with the left button moves it from the second move on and stores the new
# rectangle; its border resizes it, stores the rectangle and scales the digits' strokes to the
# width (/ 80, or / 95 with the day of year); "&Always on top" and "&Hide" in its menu and the
# tray's "Show &Clock" do what they say, and the next start opens it where it was left.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/clock_helpers.sh"
e2e_init clock_window
e2e_start_x
e2e_start_tray

# The receiver is a pty of the test's own that stays silent: the program holds no privilege, so
# the machine's own serial ports (a console may hold one) are none of the test's business.
e2e_start_pty
e2e_settings <<INI
[Settings]
FirstTimeConfig=0
UseNetworkTime=0
DigitalClockEnabled=1
DigitalClockPosition="10,310,20,120"

[Serial%20Port%20Commmunications]
Device=$E2E_GPS
INI

stored_position() { e2e_ini_get Settings DigitalClockPosition; }
position_is() { [ "$(stored_position)" = "\"$1\"" ]; }
setting_is() { [ "$(e2e_ini_get Settings "$1")" = "$2" ]; }
# Fails with the left button released, so that nothing is left dragging.
fail_released() {
    xdotool mouseup 1
    e2e_fail "$@"
}
# The picture just taken shows DIGITS digits drawn with strokes THICKNESS pixels wide, and nothing
# else.
strokes_are() {
    [ "${CLOCK[cells]}" = "$1" ] && [ "${CLOCK[stray]}" = 0 ] &&
        [ "${CLOCK[thickness]}" = "$2" ] && [ "${CLOCK[bar]}" = "$2" ]
}

e2e_start_app
clock_find

# The stored "left,right,top,bottom" is the outer rectangle: left 10, top 20, 300 x 100. Its
# client area (inside the 4-pixel border) is 292 wide: strokes of 292 / 80 = 3 pixels.
e2e_wait 5 clock_is_at 10,20,300,100 || e2e_fail "the clock opened at $(clock_geometry)"
e2e_wait_log 5 'clock thickness=3 client=292x92$' || e2e_fail "no thickness of 3 for 292 x 92"
clock_until 5 default strokes_are 6 3 ||
    e2e_fail "the clock at 300 x 100 does not show 3-pixel strokes"

# A drag: press inside, a first move (it only takes the anchor), then steps, then release. The
# window follows the cursor from where the first move left it: by (205,213) - (105,63).
xdotool mousemove 100 60
xdotool mousedown 1
e2e_wait_log 5 'clock drag begin' || fail_released "the press did not start a drag"
xdotool mousemove 105 63
e2e_wait_log 5 'clock drag anchor=95,43$' ||
    fail_released "the first move took no anchor at (95,43)"
clock_is_at 10,20,300,100 || fail_released "the first move moved the clock to $(clock_geometry)"
for step in 1 2 3 4 5; do
    xdotool mousemove "$((105 + 20 * step))" "$((63 + 30 * step))"
    sleep 0.05
done
e2e_wait 5 clock_is_at 110,170,300,100 ||
    fail_released "the drag left the clock at $(clock_geometry)"
xdotool mouseup 1
e2e_wait_log 5 'clock drag end' || e2e_fail "the release did not end the drag"
e2e_wait 5 position_is 110,410,170,270 || e2e_fail "the drag stored $(stored_position)"

# The right-hand border, dragged 180 pixels right: 480 wide, strokes of 472 / 80 = 5 pixels.
xdotool mousemove 408 220
xdotool mousedown 1
e2e_wait_log 5 'clock resize begin edges=4$' ||
    fail_released "a press on the right border did not start a resize"
for step in 1 2 3 4 5; do
    xdotool mousemove "$((408 + 36 * step))" 220
    sleep 0.05
done
xdotool mouseup 1
e2e_wait_log 5 'clock resize end' || e2e_fail "the release did not end the resize"
e2e_wait 5 clock_is_at 110,170,480,100 || e2e_fail "the resize left the clock at $(clock_geometry)"
e2e_wait 5 position_is 110,590,170,270 || e2e_fail "the resize stored $(stored_position)"
e2e_wait_log 5 'clock thickness=5 client=472x92$' || e2e_fail "no thickness of 5 for 472 x 92"
clock_until 5 wide strokes_are 6 5 ||
    e2e_fail "the clock at 480 x 100 does not show 5-pixel strokes"

# The bottom border, dragged 60 pixels down: 160 high; the strokes follow the width only.
xdotool mousemove 350 268
xdotool mousedown 1
e2e_wait_log 5 'clock resize begin edges=8$' ||
    fail_released "a press on the bottom border did not start a resize"
for step in 1 2 3; do
    xdotool mousemove 350 "$((268 + 20 * step))"
    sleep 0.05
done
xdotool mouseup 1
e2e_wait 5 clock_is_at 110,170,480,160 || e2e_fail "the resize left the clock at $(clock_geometry)"
e2e_wait 5 position_is 110,590,170,330 || e2e_fail "the resize stored $(stored_position)"
clock_until 5 resized strokes_are 6 5 ||
    e2e_fail "the clock at 480 x 160 does not show 5-pixel strokes"

# With the day of year the strokes are the client width / 95: 472 / 95 = 4 pixels, 9 digits.
clock_menu d
e2e_wait_log 5 'clock thickness=4 client=472x152$' ||
    e2e_fail "no thickness of 4 for 472 x 152 with the day of year"
clock_until 5 resized-doy strokes_are 9 4 ||
    e2e_fail "the clock with the day of year does not show 4-pixel strokes"
clock_menu d
clock_until 5 resized strokes_are 6 5 ||
    e2e_fail "the clock without the day of year is not back to 5-pixel strokes"

# "&Always on top": stored, the window asks to stay above others, and stays where it is.
above() { xprop -id "$(e2e_window_with_title Clock)" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
clock_menu a
e2e_wait 5 setting_is ClockAlwayssOnTop 1 ||
    e2e_fail "Always on top stored ClockAlwayssOnTop=$(e2e_ini_get Settings ClockAlwayssOnTop)"
clock_find
e2e_wait 5 above ||
    e2e_fail "the clock does not ask to stay on top: $(xprop -id "$CLOCK_ID" _NET_WM_STATE)"
e2e_wait 5 clock_is_at 110,170,480,160 ||
    e2e_fail "Always on top moved the clock to $(clock_geometry)"
clock_menu a
e2e_wait 5 setting_is ClockAlwayssOnTop 0 || e2e_fail "Always on top did not go off"
clock_find
e2e_wait 5 bash -c "! xprop -id $CLOCK_ID _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE" ||
    e2e_fail "the clock still asks to stay on top"
[ "$(clock_last_menu_checks)" = "Always on top,Custom Color,Local Time,24 hour time" ] ||
    e2e_fail "the menu's check marks with the clock on top: $(clock_last_menu_checks)"

# "&Hide" unmaps the window and stores 0; the tray's "Show &Clock" maps it again where it was.
clock_menu h
e2e_wait 5 clock_unmapped || e2e_fail "Hide left the clock $(clock_map_state)"
e2e_wait 5 setting_is DigitalClockEnabled 0 || e2e_fail "Hide did not store DigitalClockEnabled=0"
e2e_tray_menu || e2e_fail "the tray menu did not open"
e2e_last_menu_state | grep -q 'show-clock=unchecked' ||
    e2e_fail "Show Clock is checked on a hidden clock"
xdotool key c
e2e_wait 5 clock_mapped || e2e_fail "Show Clock left the clock $(clock_map_state)"
e2e_wait 5 setting_is DigitalClockEnabled 1 ||
    e2e_fail "Show Clock did not store DigitalClockEnabled=1"
e2e_wait 5 clock_is_at 110,170,480,160 || e2e_fail "Show Clock put the clock at $(clock_geometry)"
clock_until 5 shown-again strokes_are 6 5 ||
    e2e_fail "the clock shown again does not look as before"

# The next start opens the clock where it was left ("&Exit" stores the position too).
e2e_tray_menu || e2e_fail "the tray menu did not open"
xdotool key e
e2e_wait 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "Exit did not end the program"
position_is 110,590,170,330 || e2e_fail "Exit stored $(stored_position)"
e2e_start_app
clock_find
e2e_wait 5 clock_is_at 110,170,480,160 ||
    e2e_fail "the next start opened the clock at $(clock_geometry)"
e2e_log "PASS"
