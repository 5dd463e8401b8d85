#!/usr/bin/env bash
# Horalux as a screen reader meets it (through the accessibility bus), in one run of the program:
# - the first-run dialog, every tab of the properties window, the server list manager and the
#   clock's colour dialog walked by a11y_walk.py: every radio button and check box found there,
#   flipped by its accessible action, stores once, under the right key, the value the settings
#   file (or the autostart entry) then holds; a page filling itself stores none of those keys
#   (but Network Time's store-back of the protocol and random choice it shows);
#   the dialogs, opened and cancelled by their actions, store nothing;
# - the desktop clock's and the Time page's seven-segment displays say the time their digits show,
#   read at the same second as a picture of them (clock_pixels.py), with "UTC" and the day of the
#   year when they show them.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/clock_helpers.sh"
e2e_init accessibility
e2e_start_x
e2e_start_tray
e2e_start_a11y
e2e_start_pty
# No first-run answer yet; a receiver's port for when GPS is chosen on the System Configuration
# page; the clock 400 x 100 at the top left.
e2e_settings <<INI
[Settings]
DigitalClockEnabled=1
DigitalClockPosition="10,410,20,120"

[Serial%20Port%20Commmunications]
Device=$E2E_GPS
INI
export E2E_APP_LOG E2E_INI
walk() { /usr/bin/python3 "$(dirname "$0")/a11y_walk.py" "$@" || e2e_fail "the walk ($*) failed"; }
stores() { e2e_trace_count 'horalux: stored '; }

e2e_start_app
walk first-run
e2e_wait_log 15 'tray created' || e2e_fail "the program did not go on after the first-run dialog"
clock_find
e2e_open_properties
walk properties
e2e_screenshot a11y-properties-walked

e2e_click_tab "Network Time"
walk dialog "Network server list manager" "Horalux Properties" "Add/Delete..."

# The clock's colour dialog, from its menu.
before="$(stores)"
clock_menu c
walk dialog "Custom Clock Color"
[ "$(stores)" = "$before" ] || e2e_fail "the custom colour dialog stored something when cancelled"

# --- The clocks' texts against their digits. ----------------------------------------------------
TIME='[0-9]{2}:[0-9]{2}:[0-9]{2}'
# "14:02:11 UTC day 342" as the digits show it: "342:14:02:11".
as_digits() {
    local time="${1%% *}"
    if [[ "$1" =~ \ day\ ([0-9]+)$ ]]; then
        printf '%03d:%s\n' "${BASH_REMATCH[1]}" "$time"
    else
        echo "$time"
    fi
}
# A display's name, read just before and just after a picture of it is taken (a11y_walk.py shot),
# and the digits in the picture: into SAID and SHOWN. True when the two readings agree, the name
# matches the pattern $2 and says what the digits show.
says_what_it_shows() {
    local file="$E2E_SHOTS/e2e-a11y-$1.png" pattern="$2" window="$3"
    shift 3
    SAID="$(/usr/bin/python3 "$(dirname "$0")/a11y_walk.py" shot "$window" "$pattern" "$@" "$file")" ||
        return 1
    SHOWN="$(python3 "$CLOCK_PIXELS" "$file" | sed -n 's/^text=//p')"
    [ "$(as_digits "$SAID")" = "$SHOWN" ]
}
check_clock() {
    local name="$1" pattern="$2"
    e2e_wait 10 says_what_it_shows "$name" "$pattern" Clock import -window "$CLOCK_ID" ||
        e2e_fail "the desktop clock says \"${SAID:-}\" and shows ${SHOWN:-nothing}"
    e2e_log "the desktop clock says \"$SAID\" and shows $SHOWN"
}
check_clock local "$TIME"
[ "${SHOWN%:??}" = "$(date +%H:%M)" ] || [ "${SHOWN%:??}" = "$(date -d '-2 sec' +%H:%M)" ] ||
    e2e_fail "the desktop clock shows $SHOWN, not the local time"
clock_menu u
clock_menu d
check_clock utc-day "$TIME UTC day [0-9]{1,3}"
[ "${SAID#* UTC day }" = "$(date -u +%-j)" ] || [ "${SAID#* UTC day }" = "$(date -u -d '-2 sec' +%-j)" ] ||
    e2e_fail "the desktop clock says \"$SAID\": not today's day of the year in UTC"

# The Time page's display, cut out of the screen with 3 pixels around it so that its digits lie 9
# pixels in, as in a picture of the clock window.
e2e_click_tab "Time"
e2e_wait 10 says_what_it_shows time-page "$TIME UTC" "Horalux Properties" \
    import -window root -crop '{around}' +repage ||
    e2e_fail "the Time page says \"${SAID:-}\" and shows ${SHOWN:-nothing}"
[ "${SHOWN%:??}" = "$(date -u +%H:%M)" ] || [ "${SHOWN%:??}" = "$(date -u -d '-2 sec' +%H:%M)" ] ||
    e2e_fail "the Time page shows $SHOWN, not UTC"
e2e_log "the Time page says \"$SAID\" and shows $SHOWN"
e2e_log "accessibility: passed"
