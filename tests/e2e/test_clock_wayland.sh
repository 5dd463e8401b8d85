#!/usr/bin/env bash
# The desktop clock in a Wayland session, started as a session starts it: KWin (its virtual
# screen, with Xwayland), XDG_SESSION_TYPE=wayland, both WAYLAND_DISPLAY and DISPLAY, no
# QT_QPA_PLATFORM, qt6-wayland installed. Every place is read from the compositor and every input
# goes through it (its fake-input protocol), as a user's mouse and keyboard would.
# - The program runs on X11 (Xwayland): the clock opens at its stored place, a stored place off
#   every screen comes back onto the screen, and "&Exit" leaves the settings as they were (no place
#   and no "DigitalClockEnabled" the user did not cause).
# - Without a StatusNotifierItem host the no-tray message shows once; the clock's menu opens the
#   properties window and ends the program.
# - "&Always on top" keeps the clock above a window activated over it; a drag moves it and stores
#   the place the compositor gave it; screenshots of the clock (over another program's window)
#   show only the clock's own colours.
# - On Qt's Wayland plugin (QT_QPA_PLATFORM=wayland, where no program can place its windows), a
#   drag still moves the clock (the compositor's own move), and nothing is stored.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/clock_helpers.sh"
source "$(dirname "$0")/wayland/kwin_session.sh"
e2e_init clock_wayland
kwin_start_session

input() { kwin_input "$@"; }
place_of() { kwin_place_of "$@"; }
has_window() { kwin_has_window "$1"; }
no_window() { ! kwin_has_window "$1"; }
kept_above() { [ "$(kwin_field_of "$1" 3)" = 1 ]; }
# Waits for one more trace line like PATTERN than COUNT.
trace_after() { e2e_wait "$1" clock_trace_after "$2" "$3"; }
# Whether the clock is at X,Y,W,H within 2 pixels each.
clock_near() {
    local want="$1" got
    got="$(place_of Clock)"
    [ -n "$got" ] && awk -F, -v a="$want" -v b="$got" 'BEGIN {
        split(a, p, ","); split(b, q, ",")
        for (i = 1; i <= 4; i++) if (p[i] - q[i] > 2 || q[i] - p[i] > 2) exit 1 }'
}
setting() { e2e_ini_get Settings "$1"; }
settings_section() { awk '/^\[/ { s = ($0 == "[Settings]") } s && NF' "$E2E_INI" | sort; }
# Right-click on the middle of the clock, then the keys (Linux input codes); waits for the menu
# to close.
clock_menu_keys() {
    local opened closed geometry x y w h
    opened="$(e2e_trace_count 'clock context-menu open checked=')"
    closed="$(e2e_trace_count 'clock context-menu closed')"
    geometry="$(place_of Clock)"
    IFS=, read -r x y w h <<<"$geometry"
    input "move:$((x + w / 2)),$((y + h / 2))" sleep:50 down:3 up:3
    trace_after 5 'clock context-menu open checked=' "$opened" ||
        e2e_fail "a right click did not open the clock's menu"
    sleep 0.3
    local key
    for key in "$@"; do
        input "key:$key" sleep:150
    done
    trace_after 5 'clock context-menu closed' "$closed" ||
        e2e_fail "the clock's menu did not close after the keys $*"
}
# Starts the program and waits for its clock; the trace's "window-system=" line in STARTED.
start_app() {
    notices="$(e2e_trace_count 'no system tray on this desktop')"
    local before
    before="$(e2e_trace_count 'clock window-system=')"
    e2e_start_app
    trace_after 10 'clock window-system=' "$before" || e2e_fail "the clock did not start"
    STARTED="$(grep 'clock window-system=' "$E2E_APP_LOG" | tail -n 1)"
}
# The no-tray message of the program started last: waits for it and closes it with Return (it
# is modal: until then the clock takes no input).
close_no_tray_message() {
    trace_after 25 'no system tray on this desktop' "$notices" ||
        e2e_fail "no word about the missing tray"
    e2e_wait 5 has_window Horalux || e2e_fail "the no-tray message did not show"
    kwin activate Horalux >/dev/null
    input key:28 sleep:200
    e2e_wait 5 no_window Horalux || e2e_fail "Return did not close the no-tray message"
}
exit_by_clock_menu() {
    clock_menu_keys 18 # "&Exit"
    e2e_wait 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "Exit did not end the program"
}
# No pixel of the colours of the window behind (xlogo: orange, red) within the clock's place.
only_clock_colours() {
    local name="$1" geometry x y w h shot
    geometry="$(place_of Clock)"
    IFS=, read -r x y w h <<<"$geometry"
    shot="$E2E_SHOTS/e2e-clock-wayland-$name.png"
    kwin shot "$x" "$y" "$w" "$h" "$shot"
    local colour
    for colour in ffa500 ff0000; do
        ! e2e_find_colour "$shot" "${w}x${h}+0+0" "$colour" >/dev/null ||
            e2e_fail "the clock shows $colour of the window behind it ($shot)"
    done
    clock_read "$shot" "wayland-$name"
    [ "${CLOCK[cells]}" = 6 ] && [ "${CLOCK[stray]}" = 0 ] && [ "${CLOCK[lit]}" = 0000ff ] ||
        e2e_fail "the clock's screenshot $shot reads $(clock_reading)"
}

# ---- 1. A stored place off every screen; nothing done but opening the properties; "&Exit".
e2e_start_pty
e2e_gps_settings <<INI
DigitalClockEnabled=1
DigitalClockPosition="-900,-600,-500,-400"
INI
before="$(settings_section)"
start_app
[ "$STARTED" = "horalux: clock window-system=xcb places=known at=0,300,0,100" ] ||
    e2e_fail "not on X11, at the nearest place on the screen: $STARTED"
e2e_wait 10 clock_near 0,0,300,100 || e2e_fail "the off-screen clock came back at $(place_of Clock)"
close_no_tray_message
# The properties window from the clock's menu, then closed as its close button does.
clock_menu_keys 25 # "&Properties"
e2e_wait 10 has_window "Horalux Properties" || e2e_fail "the properties window did not open"
sleep 0.5
IFS=, read -r px py pw ph <<<"$(place_of "Horalux Properties")"
kwin shot "$px" "$py" "$pw" "$ph" "$E2E_SHOTS/e2e-clock-wayland-properties.png"
kwin close "Horalux Properties" >/dev/null
exit_by_clock_menu
after="$(settings_section)"
[ "$before" = "$after" ] || e2e_fail "Exit changed the settings: $(diff <(echo "$before") <(echo "$after"))"

# ---- 2. A stored place, another program's window behind and over the clock, a drag, "&Exit".
sed -i 's/^DigitalClockPosition=.*/DigitalClockPosition="200,500,150,250"/' "$E2E_INI"
xlogo -geometry 1000x500+100+100 -bg orange -fg red >"$E2E_WORK/xlogo.log" 2>&1 &
e2e_track $!
e2e_wait 10 has_window xlogo || e2e_fail "xlogo did not show"
start_app
e2e_wait 10 clock_near 200,150,300,100 || e2e_fail "the clock opened at $(place_of Clock)"
close_no_tray_message
sleep 1.2 # a new second painted
only_clock_colours over-xlogo

clock_menu_keys 108 108 106 30 # "Settings", "&Always on top"
[ "$(setting ClockAlwayssOnTop)" = 1 ] ||
    e2e_fail "Always on top stored ClockAlwayssOnTop=$(setting ClockAlwayssOnTop)"
e2e_wait 5 kept_above Clock || e2e_fail "KWin does not keep the clock above others"
# The other window, activated over the clock, stays below it.
kwin activate xlogo >/dev/null
sleep 0.5
clock_stack="$(kwin_field_of Clock 4)"
xlogo_stack="$(kwin_field_of xlogo 4)"
[ "$clock_stack" -gt "$xlogo_stack" ] ||
    e2e_fail "the clock (stacking $clock_stack) went below the activated xlogo ($xlogo_stack)"
only_clock_colours above-xlogo

# A drag through the compositor: press, a first move (the anchor), steps, release; all from one
# device (KWin lets go of the buttons of a fake device that goes away).
anchors="$(e2e_trace_count 'clock drag anchor=')"
ends="$(e2e_trace_count 'clock drag end')"
input move:350,200 sleep:50 down:1 sleep:100 move:355,203 sleep:200 move:395,243 sleep:50 \
    move:435,283 sleep:50 move:475,323 sleep:100 up:1 sleep:100
trace_after 5 'clock drag anchor=' "$anchors" || e2e_fail "the press and first move took no anchor"
trace_after 5 'clock drag end' "$ends" || e2e_fail "the release did not end the drag"
e2e_wait 5 clock_near 320,270,300,100 || e2e_fail "the drag left the clock at $(place_of Clock)"
IFS=, read -r cx cy cw ch <<<"$(place_of Clock)"
stored="\"$cx,$((cx + cw)),$cy,$((cy + ch))\""
[ "$(setting DigitalClockPosition)" = "$stored" ] ||
    e2e_fail "the drag stored $(setting DigitalClockPosition), not $stored"
only_clock_colours dragged
kwin shot 0 0 1280 800 "$E2E_SHOTS/e2e-clock-wayland-screen.png"
exit_by_clock_menu
[ "$(setting DigitalClockPosition)" = "$stored" ] && [ "$(setting DigitalClockEnabled)" = 1 ] ||
    e2e_fail "Exit stored $(setting DigitalClockPosition), enabled $(setting DigitalClockEnabled)"

# ---- 3. Qt's Wayland plugin: the compositor places the clock and moves it; nothing is stored.
before="$(settings_section)"
QT_QPA_PLATFORM=wayland start_app
[[ "$STARTED" == *"window-system=wayland places=unknown"* ]] || e2e_fail "not on Wayland: $STARTED"
e2e_wait 10 has_window Clock || e2e_fail "no clock on Wayland"
close_no_tray_message
IFS=, read -r cx cy cw ch <<<"$(place_of Clock)"
# The first move takes the anchor, the second hands the drag to KWin, which from there on moves
# the window with the pointer: 40 pixels right and down.
input "move:$((cx + 150)),$((cy + 50))" sleep:50 down:1 sleep:100 "move:$((cx + 155)),$((cy + 53))" \
    sleep:100 "move:$((cx + 160)),$((cy + 58))" sleep:100 "move:$((cx + 180)),$((cy + 78))" \
    sleep:50 "move:$((cx + 200)),$((cy + 98))" sleep:100 up:1 sleep:100
e2e_wait_log 5 'clock drag by the window system' || e2e_fail "the drag was not handed to KWin"
e2e_wait 5 clock_near "$((cx + 40)),$((cy + 40)),$cw,$ch" ||
    e2e_fail "KWin's move left the clock at $(place_of Clock), not 40 pixels on from $cx,$cy"
only_clock_colours wayland-plugin
exit_by_clock_menu
after="$(settings_section)"
[ "$before" = "$after" ] ||
    e2e_fail "on Wayland the settings changed: $(diff <(echo "$before") <(echo "$after"))"
e2e_log "PASS"
