#!/usr/bin/env bash
# A receiver that just works, and a clock set to the millisecond. Two simulated receivers on a
# pseudo-terminal that nmea-replay makes (a serial line paced at the receiver's speed, garbled at
# any other): the synthetic receiver at 9600 bit/s and a multi-constellation capture at 38400
# bit/s, each 300 ms (+-10 ms) late, while "Baud" says 4800 and the device is a long by-id path.
# For each: the program finds and stores the speed and locks; one "Update PC Clock Now" with the
# default fix-up delay sets the clock late (the figure before); "Measure Delay..." against chronyd
# on loopback measures the delay within 5 ms of what the simulator knows (when each GGA's last
# checksum character left it); "Use This Delay" stores it and updates the page; three "Update PC
# Clock Now" then leave the virtual clock within 15 ms of the true time. Screenshots of the page
# with the by-id path and of the dialog. HORALUX_DELAY_SECONDS shortens the 60 s measurement.
source "$(dirname "$0")/harness.sh"
e2e_init receiver-delay

e2e_use_zone_for_gps_updates 400
export HORALUX_DELAY_SECONDS="${HORALUX_DELAY_SECONDS:-20}"
shared="${HORALUX_SHARED_DIR:-$(sed -n 's/^HORALUX_SHARED_DIR:PATH=//p' "$HORALUX_BUILD_DIR/CMakeCache.txt")}"
CAPTURES="$shared/testdata/nmea"
if [ ! -f "$CAPTURES/telit-pls83-w.log" ]; then
    [ "${CI:-}" = true ] && e2e_fail "no receiver captures in $CAPTURES"
    e2e_log "SKIP: no receiver captures in $CAPTURES"
    exit 0
fi

e2e_start_x
e2e_start_tray
e2e_start_a11y
e2e_start_chrony
SERVER="127.0.0.1:$E2E_CHRONY_PORT"
BY_ID="$E2E_WORK/by-id"
mkdir -p "$BY_ID"
export HORALUX_SERIAL_BY_ID="$BY_ID"
DEVICE="$BY_ID/usb-u-blox_AG_-_www.u-blox.com_u-blox_7_-_GPS_GNSS_Receiver-if00"
LATENCY=300
win="Horalux Properties"

# Sets the virtual clock 7 s off, presses "Update PC Clock Now" and prints the clock's error (ms)
# once the update has set it.
update_error() {
    echo 7000 >"$HORALUX_CLOCK_FILE.new" && mv "$HORALUX_CLOCK_FILE.new" "$HORALUX_CLOCK_FILE"
    e2e_wait 10 bash -c "[[ \"\$(/usr/bin/python3 '$(dirname "$0")/a11y.py' states '$win' \
        'Update PC Clock Now' 'push button')\" == *enabled* ]]" ||
        e2e_fail "Update PC Clock Now is not enabled"
    e2e_click "$win" "Update PC Clock Now" "push button"
    set_since() { [ "$(e2e_clock_offset)" != 7000 ]; }
    e2e_wait 10 set_since || e2e_fail "the update did not set the clock"
    e2e_clock_offset
}

# The median of the simulator's GGA end times (ms after the named second) for seconds FROM..TO.
truth_median() {
    /usr/bin/python3 - "$1" "$2" "$3" <<'PY'
import json, statistics, sys
path, first, last = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
ends = [r["end_ms"] for r in map(json.loads, open(path))
        if r["sentence"] == "GGA" and first <= r["second"] <= last]
print(round(statistics.median(ends), 1) if ends else "none")
PY
}

run_receiver() {
    local name="$1" baud="$2"
    shift 2
    local truth="$E2E_WORK/truth-$name.jsonl"
    e2e_log "--- $name at $baud bit/s"
    : >"$truth"
    "${E2E_NOCAP[@]}" "$E2E_BIN/nmea-replay" "$@" "$DEVICE" --pty --baud "$baud" \
        --latency-ms "$LATENCY" --jitter-ms 10 --truth "$truth" >"$E2E_WORK/replay-$name.log" 2>&1 &
    local replay=$!
    e2e_track "$replay"
    e2e_wait 10 test -e "$DEVICE" || e2e_fail "nmea-replay made no pseudo-terminal"
    e2e_receiver_settings "$DEVICE" 4800 <<INI
[Network%20Daytime%20Protocol]
NumberOfTimeServers=1
NetServer-00=$SERVER
TimeServer=$SERVER
INI
    local started=$SECONDS
    e2e_start_app
    e2e_wait_log 30 "receiver speed $baud found" ||
        e2e_fail "$name: the speed was not found within 30 s"
    e2e_log "$name: $baud bit/s found $((SECONDS - started)) s after the start"
    e2e_wait 5 bash -c "grep -q '^Baud=$baud\$' '$E2E_INI'" || e2e_fail "$name: Baud=$baud not stored"
    e2e_wait 20 grep -q 'timeLocked=1' "$E2E_APP_LOG" || e2e_fail "$name: GPS time never locked"

    e2e_open_properties
    e2e_click_tab "Update PC Clock"
    local before
    before="$(update_error)"
    e2e_log "$name: clock error with the default fix-up delay (50 ms): $before ms"

    e2e_click_tab "GPS Configuration"
    e2e_a11y_wait 5 "$baud" value "$win" "Baud:" text
    e2e_a11y_wait 5 "$DEVICE" value "$win" "Comm Port:" text
    [ "$name" = synthetic ] && e2e_screenshot e2e-gps-configuration-by-id
    local measure_start=$EPOCHSECONDS
    e2e_click "$win" "Measure Delay..." "push button"
    e2e_find_window 10 "Receiver Delay" >/dev/null || e2e_fail "no Receiver Delay dialog"
    # Left alone while it measures: a screen reader's questions would keep the program (and the
    # two cores) busy and make it read the receiver late.
    sleep 3
    [ "$name" = synthetic ] && e2e_screenshot e2e-receiver-delay-measuring
    sleep "$((HORALUX_DELAY_SECONDS - 3))"
    measured_shown() { [ -n "$(e2e_a11y value "Receiver Delay" "Measured delay:" text 2>/dev/null)" ]; }
    e2e_wait $((HORALUX_DELAY_SECONDS + 20)) measured_shown ||
        e2e_fail "$name: no delay measured: $(e2e_a11y dump "Receiver Delay")"
    local measure_end=$EPOCHSECONDS
    local text
    text="$(e2e_a11y value "Receiver Delay" "Measured delay:" text)"
    [ "$name" = synthetic ] && e2e_screenshot e2e-receiver-delay-result
    e2e_log "$name: Measured delay: $text"
    [[ "$text" =~ ^(-?[0-9]+)\ ms\ ±\ ([0-9]+)\ ms,\ ([0-9]+)\ sentences\ against\ $SERVER$ ]] ||
        e2e_fail "$name: not a measured delay: $text"
    local median="${BASH_REMATCH[1]}" samples="${BASH_REMATCH[3]}"
    [ "$samples" -ge $((HORALUX_DELAY_SECONDS * 2 / 3)) ] || e2e_fail "$name: only $samples sentences"
    local truth_ms
    truth_ms="$(truth_median "$truth" "$measure_start" "$measure_end")"
    e2e_log "$name: the simulator's truth: $truth_ms ms"
    /usr/bin/python3 -c "import sys; sys.exit(abs($median - $truth_ms) > 5)" ||
        e2e_fail "$name: measured $median ms, the truth is $truth_ms ms"

    e2e_click "Receiver Delay" "Use This Delay" "push button"
    e2e_wait 5 bash -c "! xdotool search --onlyvisible --name '^Receiver Delay\$' >/dev/null" ||
        e2e_fail "$name: the dialog did not close"
    e2e_wait 5 bash -c "grep -q '^GPSTimeDelay=$median\$' '$E2E_INI'" ||
        e2e_fail "$name: GPSTimeDelay=$median not stored"
    e2e_a11y_wait 5 "$median" value "$win" "GPS set time fix-up delay:" text

    e2e_click_tab "Update PC Clock"
    local errors=() error
    for _ in 1 2 3; do
        error="$(update_error)"
        errors+=("$error")
        [ "$(e2e_abs "$error")" -le 15 ] || e2e_fail "$name: clock error $error ms after measuring"
    done
    e2e_log "$name: clock errors after \"Use This Delay\": ${errors[*]} ms"
    echo "FIGURE $name $baud bit/s: before ${before} ms; measured $median ms (truth $truth_ms ms);" \
        "after ${errors[*]} ms" >>"$E2E_WORK/figures"
    e2e_stop "$E2E_APP_PID"
    e2e_stop "$replay"
}

run_receiver synthetic 9600 --synthetic
run_receiver telit-pls83-w 38400 "$CAPTURES/telit-pls83-w.log" --loop
cat "$E2E_WORK/figures" >&2
e2e_log "PASS"
