#!/usr/bin/env bash
# Measures the tray program on a virtual screen: the time from start to its icon in the tray
# (five starts), then, in GPS mode with a synthetic receiver on a pty, the CPU time it uses over
# IDLE_SECONDS (default 60) of idling and its resident memory. Not a test: prints the figures.
#   HORALUX_BUILD_DIR=build bash tests/e2e/figures.sh
# With PROPERTIES=1 the properties window is open on its first tab ("Time") while it idles, and
# every tab is opened once (Ctrl+Tab) before the memory is read. With A11Y=1 the accessibility bus
# runs and a screen reader's client listens to name changes while the program idles.
source "$(dirname "$0")/harness.sh"
e2e_init figures
IDLE_SECONDS="${IDLE_SECONDS:-60}"
e2e_start_x
e2e_start_tray
[ "${A11Y:-0}" = 1 ] && e2e_start_a11y
e2e_start_pty
e2e_start_replay --synthetic "$E2E_FEED"
e2e_gps_settings <<INI
DigitalClockEnabled=${CLOCK_SHOWN:-1}
INI

times=()
for run in 1 2 3 4 5; do
    started=$EPOCHREALTIME
    e2e_start_app
    e2e_wait 15 e2e_tray_icon_present || e2e_fail "no tray icon"
    appeared=$EPOCHREALTIME
    times+=($(((${appeared/./} - ${started/./}) / 1000)))
    [ "$run" -eq 5 ] && break
    e2e_stop "$E2E_APP_PID"
    e2e_wait 10 bash -c '! xwininfo -root -tree | grep -q "(\"horalux\" "' || true
done
echo "start to tray icon (ms), five starts: ${times[*]}"

e2e_wait 30 grep -q 'timeLocked=1' "$E2E_APP_LOG" || e2e_fail "GPS time never locked"
if [ "${PROPERTIES:-0}" = 1 ]; then
    e2e_tray_menu 10 || e2e_fail "the tray menu did not open"
    xdotool key p
    E2E_PROPS_WIN="$(e2e_find_window 10 "Horalux Properties")" || e2e_fail "no properties window"
fi
sleep 5
ticks() { awk '{ print $14 + $15 }' "/proc/$E2E_APP_PID/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
if [ "${A11Y:-0}" = 1 ]; then
    /usr/bin/python3 "$(dirname "$0")/a11y_walk.py" listen "$IDLE_SECONDS"
else
    sleep "$IDLE_SECONDS"
fi
after=$(ticks)
echo "CPU time over $IDLE_SECONDS s idle (GPS mode, receiver at 4800 bit/s, clock window" \
    "$([ "${CLOCK_SHOWN:-1}" = 1 ] && echo shown || echo hidden)," \
    "properties window $([ "${PROPERTIES:-0}" = 1 ] && echo 'open on "Time"' || echo closed)," \
    "accessibility bus $([ "${A11Y:-0}" = 1 ] && echo 'on, a client listening' || echo off)):" \
    "$(awk -v t=$((after - before)) -v hz="$hz" -v s="$IDLE_SECONDS" \
        'BEGIN { printf "%.2f s (%.2f %% of one core)", t / hz, 100 * t / hz / s }')"
if [ "${PROPERTIES:-0}" = 1 ]; then
    for _ in $(seq 8); do
        xdotool key ctrl+Tab
        sleep 0.5
    done
    e2e_screenshot figures-properties
    sleep 2
    echo "memory after every tab of the properties window was opened once:"
fi
grep -E '^(VmRSS|VmHWM)' "/proc/$E2E_APP_PID/status" | tr -s ' \t' ' '
