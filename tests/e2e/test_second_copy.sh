#!/usr/bin/env bash
# One copy per user: a second copy exits within a second, writes nothing, and the first opens its
# properties window (once, however often it is asked). A copy killed without clean-up leaves its
# lock and socket behind; the next one starts all the same.
source "$(dirname "$0")/harness.sh"
e2e_init second-copy
e2e_start_x
e2e_start_tray
e2e_start_pty

# The first tab's page stores its fields back when it is first shown (the first copy's doing, not
# the second's): with their values already stored the file stays the same.
e2e_gps_settings <<INI
DigitalClockEnabled=0
GPSTimeDelay=50
TLSats=3
INI
e2e_start_app
first=$E2E_APP_PID
e2e_wait_log 15 'tray created' || e2e_fail "the first copy did not start"
e2e_wait 10 e2e_tray_icon_present || e2e_fail "no tray icon"
before="$(md5sum "$E2E_INI")"

# Runs one more copy; fails unless it ends within a second with status 0.
second_copy() {
    local started=$EPOCHREALTIME pid status=0 elapsed
    "${E2E_NOCAP[@]}" "$E2E_BIN/horalux" >>"$E2E_WORK/second.log" 2>&1 &
    pid=$!
    e2e_track "$pid"
    e2e_wait 5 bash -c "! kill -0 $pid" || e2e_fail "the second copy is still running"
    wait "$pid" || status=$?
    elapsed=$(((${EPOCHREALTIME/./} - ${started/./}) / 1000))
    e2e_log "second copy ended after $elapsed ms with status $status"
    [ "$status" -eq 0 ] || e2e_fail "the second copy ended with status $status"
    [ "$elapsed" -lt 1000 ] || e2e_fail "the second copy took $elapsed ms"
}

second_copy
[ "$(md5sum "$E2E_INI")" = "$before" ] || e2e_fail "the second copy changed the settings"
properties="$(e2e_find_window 10 "Horalux Properties")" || e2e_fail "no properties window"
sleep 0.5
e2e_screenshot properties-empty
tray_icons() { xwininfo -root -tree | grep -c '("horalux" ' | tr -d ' '; }
windows_titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }

# Asked again (another copy, then a double-click on the icon): still the one window.
second_copy
read -r x y <<<"$(e2e_tray_icon_center)"
xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
sleep 1
[ "$(windows_titled "Horalux Properties")" -eq 1 ] ||
    e2e_fail "$(windows_titled "Horalux Properties") properties windows"
icons=$(xwininfo -root -tree | awk '/\("panel" "trayer"\)/ { p = 1; next } p && /^     0x/ { p = 0 } p && /\("horalux" / { n++ } END { print n + 0 }')
[ "$icons" -eq 1 ] || e2e_fail "$icons tray icons"

# A copy that dies without clean-up.
kill -KILL "$first"
wait "$first" 2>/dev/null || true
e2e_wait 10 bash -c "! xwininfo -root -tree | grep -q '(\"horalux\" '" || e2e_fail "the killed copy's windows stay"
ls "$XDG_RUNTIME_DIR" | grep -q 'Horalux-Kestrimund' || e2e_fail "no lock or socket left to test with"
: >"$E2E_APP_LOG"
e2e_start_app
e2e_wait_log 15 'tray created' || e2e_fail "a new copy does not start after a crash"
e2e_log "PASS"
