#!/usr/bin/env bash
# Measures the tray program in one kind of desktop session, SESSION=x11 (Xvfb, the default) or
# SESSION=kwin (KWin's Wayland session with Xwayland, the program started as such a session
# starts it): the time from start to the desktop clock on the screen (five starts), then, in GPS
# mode with a synthetic receiver on a pty, the CPU time it uses over IDLE_SECONDS (default 60)
# with the clock shown, and its resident memory. Neither session has a tray, so both show the
# same no-tray message. Not a test: prints the figures.
#   HORALUX_BUILD_DIR=build SESSION=kwin bash tests/e2e/session_figures.sh
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/wayland/kwin_session.sh"
SESSION="${SESSION:-x11}"
e2e_init "session-figures-$SESSION"
IDLE_SECONDS="${IDLE_SECONDS:-60}"
case "$SESSION" in
    x11) E2E_SCREEN=1280x800x24 e2e_start_x ;;
    kwin) kwin_start_session ;;
    *) e2e_fail "SESSION is x11 or kwin, not $SESSION" ;;
esac
# A receiver on a pseudo-terminal of its own for each start: the replay holds the program's end
# open, which then stays exclusive to a copy of the program that was stopped while holding it.
fresh_receiver() {
    local line="$E2E_WORK/line$1"
    mkdir -p "$line"
    E2E_WORK="$line" e2e_start_pty
    E2E_WORK="$line" e2e_start_replay --synthetic "$E2E_FEED"
    [ ! -f "$E2E_INI" ] || sed -i "s|^Device=.*|Device=$E2E_GPS|" "$E2E_INI"
}
fresh_receiver 1
e2e_gps_settings <<INI
DigitalClockEnabled=1
DigitalClockPosition="200,500,150,250"
INI

clock_shown() { xdotool search --onlyvisible --name '^Clock$' >/dev/null 2>&1; }
times=()
for run in 1 2 3 4 5; do
    [ "$run" -eq 1 ] || fresh_receiver "$run"
    started=$EPOCHREALTIME
    e2e_start_app
    e2e_wait 15 clock_shown || e2e_fail "no clock"
    appeared=$EPOCHREALTIME
    times+=($(((${appeared/./} - ${started/./}) / 1000)))
    [ "$run" -eq 5 ] && break
    e2e_stop "$E2E_APP_PID"
    e2e_wait 10 bash -c '! xdotool search --name "^Clock$" >/dev/null 2>&1' || true
done
echo "$SESSION: $(grep -o 'window-system=[a-z]*' "$E2E_APP_LOG" | tail -n 1)"
echo "$SESSION: start to the desktop clock on the screen (ms), five starts: ${times[*]}"

e2e_wait 30 grep -q 'timeLocked=1' "$E2E_APP_LOG" || e2e_fail "GPS time never locked"
sleep 5
ticks() { awk '{ print $14 + $15 }' "/proc/$E2E_APP_PID/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$IDLE_SECONDS"
after=$(ticks)
echo "$SESSION: CPU time over $IDLE_SECONDS s idle (GPS mode, receiver at 4800 bit/s, clock" \
    "shown): $(awk -v t=$((after - before)) -v hz="$hz" -v s="$IDLE_SECONDS" \
        'BEGIN { printf "%.2f s (%.2f %% of one core)", t / hz, 100 * t / hz / s }')"
echo "$SESSION: $(grep -E '^VmRSS' "/proc/$E2E_APP_PID/status" | tr -s ' \t' ' ')"
