#!/usr/bin/env bash
# The "GPS Signal Quality" and "Position" tabs on the real program, read as a screen reader reads
# them, with receiver captures replayed on a pty: a 12-channel GPS receiver (bu353s4), then a
# GPS and GLONASS one (nl2008u). The status tab shows the replayed second, "LOCKED", "Idle",
# one bar per satellite in view and a light that flashes once per burst; "Update PC Clock Now"
# shows "Seting PC Clock.." while the update runs. The Position tab shows the capture's position
# in the stored formats, and a hand edit of "PositionFormat" or "Units" in the INI file shows at
# the next second. Screenshots of both tabs for each capture go to the build folder.
source "$(dirname "$0")/harness.sh"
e2e_init status-pages

CAPTURES="${HORALUX_SHARED_DIR:-$(dirname "$0")/../../../shared}/testdata/nmea"
if [ ! -f "$CAPTURES/bu353s4.log" ] || [ ! -f "$CAPTURES/nl2008u.log" ]; then
    [ "${CI:-}" = true ] && e2e_fail "receiver captures not found in $CAPTURES; CI needs them"
    e2e_log "SKIP: receiver captures not found in $CAPTURES (set HORALUX_SHARED_DIR)"
    exit 0
fi

WIN="Horalux Properties"
e2e_use_zone_for_gps_updates
e2e_start_x
e2e_start_tray
e2e_start_a11y
e2e_start_pty
e2e_start_replay "$CAPTURES/bu353s4.log" "$E2E_FEED" --loop
replay_pid="${E2E_PIDS[-1]}"
replay_started=$SECONDS

e2e_gps_settings <<INI
TimeUpdateRate=44640
DigitalClockEnabled=0
INI

# The text of the field a label names (the label itself has the same name).
value() { e2e_a11y value "$WIN" "$1" text; }
# Waits until the field named $2 matches the extended regular expression $3.
wait_match() {
    local seconds="$1" name="$2" pattern="$3"
    matches() { value "$name" 2>/dev/null | grep -Eq -- "$pattern"; }
    e2e_wait "$seconds" matches || e2e_fail "$name is \"$(value "$name" 2>&1)\", not /$pattern/"
}
# Sets keys of [Settings] by hand, as a user edits the file while the program runs.
hand_edit() {
    local tmp="$E2E_INI.edit" pair
    cp "$E2E_INI" "$tmp"
    for pair in "$@"; do
        sed -i "/^${pair%%=*}=/d" "$tmp"
        sed -i "s/^\[Settings\]\$/[Settings]\n$pair/" "$tmp"
    done
    mv "$tmp" "$E2E_INI"
}
# The accessible object whose name begins with $1: "name | description" from the dump.
object_line() { e2e_a11y dump "$WIN" | grep -F -- "| $1" | head -n 1; }
# The properties window alone, as the screen shows it.
window_shot() {
    local g
    g="$(e2e_window_geometry "$E2E_PROPS_WIN")"
    IFS=, read -r x y w h <<<"$g"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$E2E_SHOTS/$1.png"
    e2e_log "screenshot $E2E_SHOTS/$1.png"
}
# The bar counts the capture's GSV sentences allow: one satellites-in-view count of each
# constellation's talker, added up (a GPS-only capture gives its own counts).
gsv_counts() {
    local sums="0" talker counts next s c
    for talker in $(grep -aoE '^\$..GSV' "$1" | cut -c2-3 | sort -u); do
        counts="$(grep -aoE "^\\\$${talker}GSV,[0-9]+,[0-9]+,[0-9]+" "$1" | cut -d, -f4 | sed 's/^0*//' |
            sort -u)"
        next=""
        for s in $sums; do for c in $counts; do next+="$((s + c)) "; done; done
        sums="$next"
    done
    printf '%s\n' $sums | sort -un
}
# The number of bars the graph draws, from its accessible name.
bar_count() { object_line "Signal quality: " | sed -nE 's/.*Signal quality: ([0-9]+) bars?[ :].*/\1/p'; }

check_status_tab() {
    local capture="$1" name="$2"
    e2e_click_tab "GPS Signal Quality"
    # The replayed second is the current UTC second (nmea-replay restamps every burst).
    gps_time_now() {
        local v
        v="$(value "GPS Time:")"
        [ "$v" = "$(date -u +%T)" ] || [ "$v" = "$(date -u -d @$((EPOCHSECONDS - 1)) +%T)" ]
    }
    e2e_wait 10 gps_time_now || e2e_fail "GPS Time: is \"$(value "GPS Time:")\" at $(date -u +%T)"
    e2e_a11y_wait 10 LOCKED value "$WIN" "GPS Locked:" text
    e2e_a11y_wait 5 Idle value "$WIN" "Status:" text
    wait_match 3 "Local Time:" '^[0-9]{2}:[0-9]{2}:[0-9]{2}$'

    local bars
    bars="$(bar_count)"
    gsv_counts "$capture" | grep -qx -- "$bars" ||
        e2e_fail "$bars bars, not a satellites-in-view count of $name: $(gsv_counts "$capture" | xargs)"
    object_line "Signal quality: " | grep -qF "| Shows individual satellite signal quality." ||
        e2e_fail "the graph's description is not its tip: $(object_line "Signal quality: ")"
    if grep -aq '^\$GLGSV' "$capture"; then
        object_line "Signal quality: " | grep -qE '\(GPS [0-9]+, [0-9]+ used; GLONASS [0-9]+, [0-9]+ used\)' ||
            e2e_fail "the graph does not count GPS and GLONASS: $(object_line "Signal quality: ")"
    fi
    e2e_log "$name: $bars bars"

    # The light: once per burst, lit for about 100 ms each time.
    local lit0 dim0 lit dim t0 seconds
    lit0=$(e2e_trace_count 'horalux: rx lit')
    dim0=$(e2e_trace_count 'horalux: rx dim')
    t0=$EPOCHREALTIME
    sleep 4
    lit=$(($(e2e_trace_count 'horalux: rx lit') - lit0))
    dim=$(($(e2e_trace_count 'horalux: rx dim') - dim0))
    seconds=$(((${EPOCHREALTIME/./} - ${t0/./}) / 1000000))
    [ "$lit" -ge $((seconds - 1)) ] && [ "$lit" -le $((seconds + 1)) ] ||
        e2e_fail "the light lit $lit times in $seconds s"
    [ $((lit - dim)) -le 1 ] && [ $((dim - lit)) -le 1 ] || e2e_fail "lit $lit times, dimmed $dim"
    e2e_log "$name: the light lit $lit times in $seconds s"
    # The graph's first paint of a sky scales each bar by the bars to its left (the extremes
    # grow as it goes); from the next GSV on every bar has the whole sky's. The 12-channel
    # receiver sends its GSV every 5 s, and the program starts a second or two after the replay.
    while [ $((SECONDS - replay_started)) -lt 12 ]; do sleep 0.5; done
    sleep 0.3
    window_shot "e2e-status-pages-gps-status-$name"
}

started=$SECONDS
e2e_start_app
e2e_wait 15 e2e_tray_icon_present || e2e_fail "the tray icon did not appear"
e2e_open_properties

# --- 12-channel GPS receiver ----------------------------------------------------------------
check_status_tab "$CAPTURES/bu353s4.log" bu353s4

# "Update PC Clock Now": the status shows the update while it runs and the button waits for it.
e2e_a11y states "$WIN" "Update PC Clock Now" "push button" | grep -qw enabled ||
    e2e_fail "Update PC Clock Now is not enabled while locked"
e2e_click "$WIN" "Update PC Clock Now" "push button"
e2e_a11y_wait 4 "Seting PC Clock.." value "$WIN" "Status:" text
e2e_a11y states "$WIN" "Update PC Clock Now" "push button" | grep -qw enabled &&
    e2e_fail "Update PC Clock Now is enabled while the clock is being set"
e2e_a11y_wait 6 Idle value "$WIN" "Status:" text

e2e_click_tab "Position"
wait_match 3 "Latitude:" '^S 37° 47\.[0-9]{4}$'
wait_match 1 "Longitude:" '^E 175° 18\.[0-9]{4}$'
wait_match 1 "Altitude:" '^[0-9]+\.[0-9]{2} +ft {7}$'
plot="$(object_line "Sky plot: ")"
echo "$plot" | grep -qE 'Sky plot: [0-9]+ satellites, [0-9]+ used in the fix: ' ||
    e2e_fail "the sky plot does not say what it shows: $plot"
echo "$plot" | grep -qF "| Shows satellite azimuth and elevation." ||
    e2e_fail "the sky plot's description is not its tip: $plot"
window_shot e2e-status-pages-position-bu353s4

hand_edit PositionFormat=2 Units=0
wait_match 3 "Latitude:" '^S 37\.78[0-9]{8}°$'
wait_match 1 "Longitude:" '^E 175\.31[0-9]{8}°$'
wait_match 1 "Altitude:" '^[0-9]+\.[0-9]{2} +m {7}$'

# --- GPS and GLONASS receiver -----------------------------------------------------------------
e2e_stop "$replay_pid"
e2e_start_replay "$CAPTURES/nl2008u.log" "$E2E_FEED" --loop
replay_started=$SECONDS
hand_edit PositionFormat=1 Units=1
wait_match 5 "Latitude:" "^N 48° 13' [0-9]{2}\.[0-9]{3}\$"
wait_match 1 "Longitude:" "^E 008° 2[45]' [0-9]{2}\.[0-9]{3}\$"  # a drive
wait_match 1 "Altitude:" '^[0-9]+\.[0-9]{2} +ft {7}$'
window_shot e2e-status-pages-position-nl2008u
check_status_tab "$CAPTURES/nl2008u.log" nl2008u

[ "$(e2e_ini_get Settings PositionFormat)" = 1 ] || e2e_fail "the hand edit was overwritten"
e2e_log "figure: status pages checked in $((SECONDS - started)) s"
e2e_log "PASS"
