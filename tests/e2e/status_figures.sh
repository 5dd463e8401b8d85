#!/usr/bin/env bash
# Measures what the status pages cost, on a virtual screen in GPS mode with a synthetic receiver
# on a pty (as figures.sh runs it): the program's CPU time over IDLE_SECONDS (default 60) each
# without the properties window, with it open on "GPS Signal Quality", open on "Update PC Clock",
# open on "Position", and after it has been closed (the pages' timers keep running). CPU time of the process is what is
# counted, which other load on the machine disturbs little. Not a test: prints the figures.
#   HORALUX_BUILD_DIR=build bash tests/e2e/status_figures.sh
# A11Y=1 runs the program with the accessibility bus, as with a screen reader. The tabs are
# reached with Ctrl+Tab from the first one: STATUS_TAB and POSITION_TAB are their places in the
# sheet (1 and 3 of the full sheet; 0 and 1 while only the two status pages are there).
# REPEAT=n: see below. PERF_DIR=folder records a profile of each measure with perf into folder/N.data (the recording
# itself costs CPU time: read the profile from those runs, the figures from runs without).
# STRACE_DIR=folder counts the system calls of each measure, all threads, into folder/N.txt.
# REPEAT=n runs it all n times, each with a fresh program, and prints each measure's median
# after the runs' own lines: one run on a shared machine can be off by a tenth of a per cent.
if [ "${REPEAT:-1}" -gt 1 ]; then
    runs="$(mktemp)"
    for ((run = 1; run <= REPEAT; run++)); do
        REPEAT=1 bash "$0" | tee -a "$runs"
    done
    sed -n 's/^CPU time over [0-9]* s, \(.*\): .* s (\([0-9.]*\) % of one core).*/\1|\2/p' "$runs" |
        awk -F'|' '
            function median(list, a, k, x, y, t) {
                k = split(list, a, " ")
                for (x = 1; x <= k; x++) for (y = x + 1; y <= k; y++) if (a[y] < a[x]) { t = a[x]; a[x] = a[y]; a[y] = t }
                return k % 2 ? a[(k + 1) / 2] : (a[k / 2] + a[k / 2 + 1]) / 2
            }
            NR == 1 { first = $1 }
            $1 == first { base = $2; runs++ }
            {
                if (!($1 in v)) order[++n] = $1
                v[$1] = v[$1] " " $2
                d[$1] = d[$1] " " ($2 - base)
            }
            END {
                for (i = 1; i <= n; i++) {
                    printf "median of %d, %s: %.3f %% of one core, %+.3f above %s (each run:%s )\n",
                        runs, order[i], median(v[order[i]]), median(d[order[i]]), first, v[order[i]]
                }
            }'
    rm -f "$runs"
    exit 0
fi
source "$(dirname "$0")/harness.sh"
e2e_init status-figures
IDLE_SECONDS="${IDLE_SECONDS:-60}"
e2e_start_x
e2e_start_tray
[ "${A11Y:-0}" = 1 ] && e2e_start_a11y
e2e_start_pty
e2e_start_replay --synthetic "$E2E_FEED"
e2e_gps_settings <<INI
DigitalClockEnabled=${CLOCK_SHOWN:-1}
INI

e2e_start_app
e2e_wait 15 e2e_tray_icon_present || e2e_fail "no tray icon"
e2e_wait 30 grep -q 'timeLocked=1' "$E2E_APP_LOG" || e2e_fail "GPS time never locked"
sleep 5

# CPU time of the process in nanoseconds: the run time the scheduler counted for each of its
# threads (finer than the clock ticks of /proc/PID/stat; no thread ends while it idles).
cpu_ns() { cat /proc/"$E2E_APP_PID"/task/*/schedstat | awk '{ s += $1 } END { printf "%d", s }'; }
measure() {
    local before after load
    load="$(cut -d' ' -f1-3 /proc/loadavg)"
    before=$(cpu_ns)
    if [ -n "${PERF_DIR:-}" ]; then
        PERF_RUN=$((${PERF_RUN:-0} + 1))
        timeout $((IDLE_SECONDS + 30)) perf record -q -g -F 997 -e cpu-clock -p "$E2E_APP_PID" \
            -o "$PERF_DIR/$PERF_RUN.data" -- sleep "$IDLE_SECONDS" >/dev/null 2>&1 || true
    elif [ -n "${STRACE_DIR:-}" ]; then
        STRACE_RUN=$((${STRACE_RUN:-0} + 1))
        # strace prints its count when the timeout ends it.
        timeout -k 10 "$IDLE_SECONDS" strace -c -f -p "$E2E_APP_PID" \
            -o "$STRACE_DIR/$STRACE_RUN.txt" >/dev/null 2>&1 || true
    else
        sleep "$IDLE_SECONDS"
    fi
    after=$(cpu_ns)
    echo "CPU time over $IDLE_SECONDS s, $1:" \
        "$(awk -v t=$((after - before)) -v s="$IDLE_SECONDS" \
            'BEGIN { printf "%.3f s (%.3f %% of one core)", t / 1e9, 100 * t / 1e9 / s }')" \
        "[load average before: $load]"
}

measure "no properties window"

# The tab at index $1, counted from the first with Ctrl+Tab.
select_tab() {
    local i
    xdotool windowfocus --sync "$win" 2>/dev/null || true
    for ((i = 0; i < $1; i++)); do
        xdotool key ctrl+Tab
        sleep 0.2
    done
}
STATUS_TAB="${STATUS_TAB:-1}"
POSITION_TAB="${POSITION_TAB:-3}"
e2e_tray_menu 10 || e2e_fail "the tray menu did not open"
xdotool key p
win="$(e2e_find_window 10 "Horalux Properties")" || e2e_fail "the properties window did not open"
sleep 1
select_tab "$STATUS_TAB"
xdotool mousemove 0 400
sleep 2
e2e_screenshot status-figures-gps-status
measure "properties open on GPS Signal Quality"

# "Update PC Clock" lies between the two in the full sheet (UPDATE_TAB=2; empty: not measured).
UPDATE_TAB="${UPDATE_TAB-2}"
at="$STATUS_TAB"
if [ -n "$UPDATE_TAB" ]; then
    select_tab $((UPDATE_TAB - STATUS_TAB))
    at="$UPDATE_TAB"
    sleep 2
    e2e_screenshot status-figures-update-pc-clock
    measure "properties open on Update PC Clock"
fi

select_tab $((POSITION_TAB - at))
sleep 2
e2e_screenshot status-figures-position
measure "properties open on Position"

/usr/bin/python3 "$(dirname "$0")/wm_close.py" "$win" || e2e_fail "cannot ask the window to close"
e2e_wait 5 bash -c "! xwininfo -id $win | grep -q IsViewable" || e2e_fail "the window did not close"
sleep 3
measure "properties closed (their timers run on)"
grep -E '^(VmRSS|VmHWM)' "/proc/$E2E_APP_PID/status" | tr -s ' \t' ' '
