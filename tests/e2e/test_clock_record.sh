#!/usr/bin/env bash
# The record of clock updates and the Update PC Clock tab. Network reference by SNTP against
# chronyd whose clock runs 2.5 s ahead and 1000 ppm fast (libfaketime "+2.5 x1.001"), the program
# on a virtual clock: the first update (at start) corrects +2.5 s; three "Update PC Clock Now"
# 20 s apart each correct about +20 ms, and the tab shows every one at once, then a drift of
# about -1000 ppm; the tray's tip ends with the outcome. Killed with SIGKILL, the program leaves
# the four updates in the record, which horalux-diag history prints. Started again in GPS mode at
# local hour 23, its update is recorded as not set, with that reason.
source "$(dirname "$0")/harness.sh"
e2e_init clock-record
e2e_start_x
e2e_start_tray
e2e_start_a11y
e2e_start_chrony "+2.5 x1.001"

# A time zone (minutes east of UTC, a multiple of 30) whose local time over the next few minutes
# lies between :10 and :50 past hour $1 when given, else past any hour: the first update then
# comes on the first tick (it waits for the next minute within minute 0).
use_zone() {
    local want="${1:-}" now east utc_minutes local_minutes
    now=$(date -u +%s)
    utc_minutes=$(((now / 60) % 1440))
    if [ -n "$want" ]; then
        east=$(((want * 60 + 30 - utc_minutes + 1440) % 1440))
        east=$((east / 30 * 30))
    else
        east=0
        local_minutes=$((utc_minutes % 60))
        if [ "$local_minutes" -lt 10 ] || [ "$local_minutes" -ge 50 ]; then
            east=30
        fi
    fi
    [ "$east" -gt 720 ] && east=$((east - 1440))
    # POSIX TZ offsets count west of UTC.
    local sign="-" abs="$east"
    if [ "$east" -lt 0 ]; then
        sign="+"
        abs=$((-east))
    fi
    export TZ="HLX${sign}$((abs / 60)):$(printf '%02d' $((abs % 60)))"
    e2e_log "time zone $TZ: local $(date +%H:%M), UTC $(date -u +%H:%M)"
}

history() { "${E2E_NOCAP[@]}" "$E2E_BIN/horalux-diag" history; }
history_count() { history 2>/dev/null | /usr/bin/python3 -c 'import json,sys; print(len(json.load(sys.stdin)))'; }
count_is() { [ "$(history_count)" = "$1" ]; }

# The text of a field of the tab as a screen reader reads it: it is named "LABEL TEXT".
field() {
    e2e_a11y dump "$W" | sed -n "s/^ *label | $1 \\([^|]*\\) | .*/\\1/p" | head -n 1
}
# A correction's text in milliseconds: "+2.503 s" -> 2503, "+20 ms" -> 20, "−12 ms" -> -12.
field_ms() {
    /usr/bin/python3 -c '
import sys
t = sys.argv[1].replace("\u2212", "-").strip()
v, unit = t.split()
print(round(float(v) * (1000 if unit == "s" else 1)))' "$1"
}
between() { [ "$1" -ge "$2" ] && [ "$1" -le "$3" ]; }

# --- network reference: four updates 20 s apart
use_zone
e2e_settings <<INI
[Settings]
FirstTimeConfig=0
UseNetworkTime=1
UseSNTP=1
TimeUpdateRate=44640
DigitalClockEnabled=0

[Network%20Daytime%20Protocol]
NumberOfTimeServers=1
NetServer-00=127.0.0.1:$E2E_CHRONY_PORT
TimeServer=127.0.0.1:$E2E_CHRONY_PORT
UseRandomServer=0
INI
e2e_start_app
e2e_wait 15 count_is 1 || e2e_fail "the first update was not recorded: $(history 2>&1)"
last_update=$SECONDS
e2e_open_properties
W="Horalux Properties"
e2e_click_tab "Update PC Clock"
e2e_wait 5 test -n "$(field 'Last correction:')" || e2e_fail "no Last correction field"
e2e_a11y dump "$W" >"$E2E_WORK/tab.log"  # shown when the test fails
first="$(field_ms "$(field 'Last correction:')")"
e2e_log "first correction: $(field 'Last correction:') ($first ms)"
between "$first" 2450 2600 || e2e_fail "the first correction is $first ms, not +2.5 s"
[ "$(field 'Drift:')" = "—" ] || e2e_fail "a drift from one setting: $(field 'Drift:')"
[[ "$(field 'Last update:')" == *"UTC, SNTP, 127.0.0.1:$E2E_CHRONY_PORT: set" ]] ||
    e2e_fail "Last update says: $(field 'Last update:')"

before_text="$(field 'Last update:')"
for n in 2 3 4; do
    sleep $((last_update + 20 - SECONDS > 0 ? last_update + 20 - SECONDS : 0))
    e2e_wait 5 e2e_a11y_prints "enabled" states "$W" "Update PC Clock Now" "push button" ||
        e2e_fail "Update PC Clock Now is not enabled"
    e2e_a11y action "$W" "Update PC Clock Now" "push button"
    e2e_wait 10 count_is "$n" || e2e_fail "update $n was not recorded"
    last_update=$SECONDS
    # The tab follows as the update ends, without waiting for its timer's next minute.
    e2e_wait 2 test "$(field 'Last update:')" != "$before_text" ||
        e2e_fail "the tab did not follow update $n"
    correction="$(field_ms "$(field 'Last correction:')")"
    e2e_log "update $n: Last correction $(field 'Last correction:'), Drift $(field 'Drift:')"
    between "$correction" 5 45 || e2e_fail "update $n corrected $correction ms, not about +20 ms"
    before_text="$(field 'Last update:')"
done
drift="$(field 'Drift:')"
ppm="$(/usr/bin/python3 -c 'import sys; print(round(float(sys.argv[1].replace("\u2212", "-").split()[0])))' "$drift")"
between "$ppm" -1200 -800 || e2e_fail "the drift is \"$drift\", not about −1000 ppm"
[[ "$drift" == *" s a day)" ]] || e2e_fail "the drift has no seconds a day: $drift"
plot="$(e2e_a11y dump "$W" | grep -o 'Clock corrections in the last 24 hours: [^|]*' | head -n 1)"
e2e_log "plot: $plot"
[[ "$plot" == *"4 updates, 4 set, none not set"* ]] || e2e_fail "the plot says: $plot"
e2e_wait 5 grep -Eq 'tray icon=138 tip=".*\\nSet [0-9]{2}:[0-9]{2} UTC, \+[0-9]+ ms"$' "$E2E_APP_LOG" ||
    e2e_fail "the tray's tip does not end with the last outcome"
e2e_screenshot clock-record-tab

kill -KILL "$E2E_APP_PID"
wait "$E2E_APP_PID" 2>/dev/null || true
history >"$E2E_WORK/history.json" || e2e_fail "horalux-diag history failed"
/usr/bin/python3 - "$E2E_WORK/history.json" "127.0.0.1:$E2E_CHRONY_PORT" <<'PY' || e2e_fail "the record after kill -9 is wrong: $(cat "$E2E_WORK/history.json")"
import json, sys
updates = json.load(open(sys.argv[1]))
assert len(updates) == 4, updates
for u in updates:
    assert u["reference"] == "SNTP" and u["server"] == sys.argv[2] and u["result"] == "set", u
    assert u["time"].endswith("Z") and "delay_ms" in u, u
assert 2450 <= updates[0]["correction_ms"] <= 2600, updates[0]
assert all(5 <= u["correction_ms"] <= 45 for u in updates[1:]), updates
PY
e2e_log "the record after kill -9 holds the four updates"

# --- GPS reference at local hour 23
use_zone 23
e2e_start_pty
e2e_gps_settings <<INI
DigitalClockEnabled=0
INI
: >"$E2E_APP_LOG"
e2e_start_app
e2e_wait 15 count_is 5 || e2e_fail "the GPS update was not recorded: $(history 2>&1)"
history | /usr/bin/python3 -c '
import json, sys
u = json.load(sys.stdin)[-1]
assert u["reference"] == "GPS" and u["sentence"] == "GGA", u
assert u["result"] == "not set" and u["reason"] == "local-hour", u
assert u["reason_text"] == "local hour 23 or 1" and "correction_ms" not in u, u
' || e2e_fail "the GPS update at local hour 23: $(history | tail -n 2)"
e2e_wait 5 grep -q 'tray icon=109 tip="Horalux\\nNot set: local hour 23 or 1"' "$E2E_APP_LOG" ||
    e2e_fail "the tray's tip does not say why the clock was not set"
e2e_log "PASS"
