#!/usr/bin/env bash
# GPS time fed to chronyd. A capture is replayed 120 ms after each second, with the fix-up delay
# set to it, "Feed GPS time to chronyd" on and a refclock unit of the test's own. The System
# Configuration page's chrony line, read through the accessibility bus, says chronyd is not
# running, then (chronyd without the refclock) that it does not read the feed, then (chronyd with
# "refclock SHM N") that it reads it, selected, with its offset. chronyd selects the GPS source
# within 60 s with an offset within 10 ms; a second chronyd, as a LAN client, measures the first
# within 1 ms. Periodic GPS updates leave the clock to chronyd, as the record of updates and the
# tray's tip say. Unchecked, the feed stops: chronyd gets no new sample.
source "$(dirname "$0")/harness.sh"
e2e_init chrony-feed
command -v chronyd >/dev/null || e2e_fail "chronyd is not installed (Debian package chrony)"

LATENCY_MS=120
CAPTURE="$(dirname "$0")/../../../shared/testdata/nmea/bu353s4.log"
[ -f "$CAPTURE" ] || e2e_fail "no capture at $CAPTURE"
e2e_shm_unit
e2e_start_x
e2e_start_tray
e2e_start_a11y
e2e_start_pty
e2e_start_replay "$CAPTURE" "$E2E_FEED" --latency-ms "$LATENCY_MS" --loop

e2e_gps_settings <<INI
TimeUpdateRate=1
GPSTimeDelay=$LATENCY_MS
FeedChrony=1
ChronyShmUnit=$E2E_SHM_UNIT
DigitalClockEnabled=0
INI
echo 120000 >"$HORALUX_CLOCK_FILE"
# chronyc finds the test's chronyd by its command socket (there is none yet).
export HORALUX_CHRONYC="-h $E2E_WORK/chronyd/chronyd.sock"
e2e_start_app
e2e_wait 30 grep -q 'fed chronyd' "$E2E_APP_LOG" || e2e_fail "no GPS time was fed"

e2e_open_properties
win="Horalux Properties"
e2e_click_tab "System Configuration"
[[ "$(e2e_a11y states "$win" "Feed GPS time to chronyd" "check box")" == *checked* ]] ||
    e2e_fail "the feed's box is not checked"
line_is() { e2e_a11y states "$win" "~$1" label >/dev/null 2>&1; }
chrony_line() { grep 'chrony line' "$E2E_APP_LOG" | tail -n 1; }
e2e_wait 10 line_is "GPS time goes to chronyd, which sets this PC's clock: .*" ||
    e2e_fail "the page does not say that chronyd sets the clock"
e2e_wait 10 line_is "chronyd is not running: .*" || e2e_fail "not running? $(chrony_line)"
e2e_screenshot chrony-not-running

# chronyd without the refclock: running, not reading. The page looks every 15 s.
e2e_start_chronyd chronyd <<<"cmdport 0
port 0"
e2e_wait 25 line_is "chronyd is running but does not read .*" || e2e_fail "not reading? $(chrony_line)"
e2e_screenshot chrony-not-reading
e2e_stop "$E2E_CHRONYD_PID"

# chronyd with the refclock, serving NTP on loopback.
PORT="$(e2e_free_udp_port)" || e2e_fail "no free UDP port"
e2e_start_chronyd chronyd <<EOF_CONF
cmdport 0
refclock SHM $E2E_SHM_UNIT:perm=0666 refid GPS poll 0 delay 0.1
allow 127.0.0.1
bindaddress 127.0.0.1
port $PORT
EOF_CONF
gps_source() { e2e_chronyc sources | grep '^#,.,GPS,'; }
gps_selected() { gps_source | grep -q '^#,\*,GPS,'; }
start=$SECONDS
e2e_wait 60 gps_selected || e2e_fail "chronyd did not select GPS in 60 s: $(gps_source)"
e2e_log "GPS selected by chronyd after $((SECONDS - start)) s: $(gps_source)"
sleep 8  # a few more samples behind the offset
offset="$(gps_source | cut -d, -f8)"
jitter="$(e2e_chronyc sourcestats | grep '^GPS,' | cut -d, -f8)"
e2e_log "chronyc -c sources: GPS offset $offset s; chronyc -c sourcestats: std dev $jitter s"
awk -v o="$offset" 'BEGIN { exit !(o >= -0.010 && o <= 0.010) }' ||
    e2e_fail "GPS offset $offset s is outside 10 ms"
e2e_wait 25 line_is "chronyd reads the GPS time of SHM $E2E_SHM_UNIT \\(source GPS\\): selected, offset .* ms\\." ||
    e2e_fail "reading? $(chrony_line)"
e2e_screenshot chrony-reading

# A second chronyd as the LAN client measures the first (it only prints).
served_before="$(e2e_chronyc tracking | cut -d, -f5)"
client="$("${E2E_NOCAP[@]}" chronyd -Q -t 15 "server 127.0.0.1 port $PORT iburst minpoll -4 maxpoll -4 maxsamples 4" 2>&1)" ||
    e2e_fail "the client chronyd failed: $client"
measured="$(sed -n 's/.*System clock wrong by \([-0-9.]*\) seconds.*/\1/p' <<<"$client")"
# With -x the first cannot slew the system clock: it serves GPS time as the system time corrected
# by the offset it keeps ("System time" of chronyc tracking, which each GPS sample moves a
# little), and that is what the client must see, within 1 ms of that offset before or after.
served="$(e2e_chronyc tracking | cut -d, -f5)"
e2e_log "client chronyd measured the first: $measured s; the first keeps the system clock" \
    "$served_before s, then $served s off"
[ -n "$measured" ] || e2e_fail "the client measured nothing: $client"
awk -v m="$measured" -v a="$served_before" -v b="$served" 'BEGIN {
        lo = (a < b ? a : b) - 0.001; hi = (a < b ? b : a) + 0.001; exit !(m >= lo && m <= hi) }' ||
    e2e_fail "the client measured $measured s where the first serves $served_before..$served s"

# The periodic GPS updates (every minute, the first at start-up) left the clock to chronyd, and
# the record and the tray's tip say so.
[ "$(e2e_clock_offset)" = 120000 ] || e2e_fail "the clock was set from GPS: $(e2e_clock_offset) ms"
"${E2E_NOCAP[@]}" "$E2E_BIN/horalux-diag" history | /usr/bin/python3 -c '
import json, sys
updates = json.load(sys.stdin)
assert updates and all(u["reference"] == "GPS" and u["result"] == "not set" and
                       u["reason"] == "left-to-chronyd" for u in updates), updates
' || e2e_fail "the record does not say the clock was left to chronyd"
grep -q 'tip="Horalux\\nNot set: left to chronyd"' "$E2E_APP_LOG" ||
    e2e_fail "the tray's tip does not say the clock was left to chronyd"

# Off: chronyd sees nothing new, and the page shows the other services' line again.
e2e_a11y action "$win" "Feed GPS time to chronyd" "check box"
e2e_wait 5 test "$(e2e_ini_get Settings FeedChrony)" = 0 || e2e_fail "FeedChrony was not stored"
line_gone() { ! line_is "$1"; }
e2e_wait 5 line_gone "chronyd reads .*" || e2e_fail "the chrony line stayed"
fed="$(grep -c 'fed chronyd' "$E2E_APP_LOG")"
sleep 4
last_rx="$(gps_source | cut -d, -f7)"
[ "$last_rx" -ge 3 ] || e2e_fail "chronyd got a sample ${last_rx} s ago with the feed off"
[ "$(grep -c 'fed chronyd' "$E2E_APP_LOG")" = "$fed" ] || e2e_fail "the program fed on"
e2e_log "PASS (unit $E2E_SHM_UNIT, GPS offset $offset s, std dev $jitter s, client $measured s)"
