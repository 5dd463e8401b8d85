#!/usr/bin/env bash
# The clock set through the clock helper on a private system bus (its packaged bus policy, the
# helper started by the bus, polkit as python-dbusmock's template), the program and the helper
# both on the virtual clock, the program told to use the helper all the same
# (HORALUX_USE_CLOCK_HELPER=1), and the network reference a chronyd 2.5 s ahead (libfaketime):
# - the helper started directly serves, refuses what polkit refuses, and ends when idle; a second
#   one does not start while the name is owned;
# - the bus policy: nobody but root may own the helper's name; anyone may call it;
# - allowed: the first update steps the virtual clock by what the program measured, +2.5 s
#   within 25 ms, and the helper logs the step with the program's uid and pid;
# - refused: "Set PC Clock Now" leaves the clock, the program carries on, and the System
#   Configuration page says that polkit refused and that an administrator can allow it.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/../support/private_system_bus.sh"
e2e_init clock-helper
e2e_start_x
e2e_start_tray
e2e_start_a11y
export HORALUX_USE_CLOCK_HELPER=1
echo 0 >"$HORALUX_CLOCK_FILE"

bus_start "$E2E_WORK" "$E2E_BIN" "$(cd "$(dirname "$0")/../.." && pwd)" ||
    e2e_fail "the private system bus did not start: $(cat "$E2E_WORK/bus.log")"
e2e_track "$BUS_PID"
bus_start_polkit || e2e_fail "the polkit mock did not start: $(cat "$E2E_WORK/polkit.log")"
e2e_track "$BUS_POLKIT_PID"
helper_log() { cat "$E2E_WORK/bus.log"; }  # the helper logs on the bus's stderr

# --- the helper started directly: it serves, answers a refusal, and ends when idle
"${BUS_NOCAP[@]}" "$E2E_BIN/horalux-clockd" --log-stderr --idle-exit 1 >"$E2E_WORK/direct.log" 2>&1 &
direct=$!
e2e_track "$direct"
owned_by_helper() { busctl --system status example.quorvane.Horalux.Clock1; }
e2e_wait 10 owned_by_helper || e2e_fail "the helper started directly took no name: $(cat "$E2E_WORK/direct.log")"
refusal="$(bus_call_step 1000 || true)"
grep -q 'polkit does not allow' <<<"$refusal" || e2e_fail "the helper did not refuse: $refusal"
"${BUS_NOCAP[@]}" "$E2E_BIN/horalux-clockd" --log-stderr >"$E2E_WORK/second.log" 2>&1 &&
    e2e_fail "a second helper started while one owns the name"
grep -q 'cannot offer the clock service' "$E2E_WORK/second.log" ||
    e2e_fail "a second helper did not say why it ended: $(cat "$E2E_WORK/second.log")"
e2e_wait 5 bash -c "! kill -0 $direct" || e2e_fail "the helper did not end 1 s after its last request"
wait "$direct" || e2e_fail "the idle helper ended with status $?"
grep -q 'refused a step of +0.001000 s for uid 0' "$E2E_WORK/direct.log" ||
    e2e_fail "the helper logged no refusal: $(cat "$E2E_WORK/direct.log")"

# --- the bus policy, as packaged
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
owned="$(as_nobody /usr/bin/python3 -c 'import dbus; dbus.SystemBus().request_name("example.quorvane.Horalux.Clock1")' 2>&1 || true)"
grep -q 'AccessDenied' <<<"$owned" || e2e_fail "nobody could own the helper's name: $owned"
called="$(as_nobody busctl --system call example.quorvane.Horalux.Clock1 \
    /example/quorvane/Horalux/Clock1 example.quorvane.Horalux.Clock1 StepClock x 1000 2>&1 || true)"
grep -q 'polkit does not allow this caller' <<<"$called" ||
    e2e_fail "a call by nobody did not reach the helper and polkit: $called"
e2e_wait 10 grep -q 'refused a step of +0.001000 s for uid 65534' "$E2E_WORK/bus.log" ||
    e2e_fail "the helper logged no refusal for uid 65534: $(helper_log)"
[ "$(e2e_clock_offset)" = 0 ] || e2e_fail "a refused step moved the clock to $(e2e_clock_offset)"

# --- allowed: the first update steps the virtual clock by what was measured
e2e_start_chrony +2.5
bus_allow example.quorvane.horalux.set-clock
e2e_sntp_settings "127.0.0.1:$E2E_CHRONY_PORT" 60
e2e_start_app
e2e_wait_log 10 'tray created' || e2e_fail "the program did not start"
# The first update comes on the first tick, or at the first minute change when the program
# starts within minute 0 of the hour.
e2e_wait 70 grep -q 'clock helper asked to step' "$E2E_APP_LOG" ||
    e2e_fail "the program never asked the helper: $(helper_log)"
e2e_wait 5 test "$(e2e_clock_offset)" != 0 || e2e_fail "the helper did not step the virtual clock"
offset="$(e2e_clock_offset)"
e2e_log "virtual clock stepped by $offset ms (chronyd is 2500 ms ahead)"
[ "$(e2e_abs $((offset - 2500)))" -le 25 ] || e2e_fail "stepped by $offset ms, not 2500 ± 25"
grep -q "stepped the clock by +2\.[45][0-9]* s for uid 0 pid $E2E_APP_PID\$" "$E2E_WORK/bus.log" ||
    e2e_fail "the helper's log has no line for the program's step: $(helper_log)"
e2e_log "$(grep 'clock helper asked to step' "$E2E_APP_LOG" | head -n 1)"
e2e_wait 10 grep -q 'tray icon=138' "$E2E_APP_LOG" || e2e_fail "the tray never showed icon 138"

# --- refused: the clock stays, the program carries on and says so
bus_allow
echo 0 >"$HORALUX_CLOCK_FILE"
asked=$(e2e_trace_count 'clock helper asked to step')
asked_again() { [ "$(e2e_trace_count 'clock helper asked to step')" -gt "$asked" ]; }
for attempt in 1 2 3; do  # a key typed before the menu has the keyboard is lost
    e2e_tray_menu || e2e_fail "the tray menu did not open"
    xdotool key s
    e2e_wait 8 asked_again && break
    e2e_log "Set PC Clock Now did not ask the helper (attempt $attempt)"
done
asked_again || e2e_fail "Set PC Clock Now did not ask the helper"
grep 'clock helper asked to step' "$E2E_APP_LOG" | tail -n 1 | grep -q 'Error.NotAuthorized' ||
    e2e_fail "the helper's refusal did not reach the program: $(tail -n 3 "$E2E_APP_LOG")"
grep -q "refused a step of +2\.[45][0-9]* s for uid 0 pid $E2E_APP_PID: polkit does not allow" \
    "$E2E_WORK/bus.log" || e2e_fail "the helper logged no refusal: $(helper_log)"
[ "$(e2e_clock_offset)" = 0 ] || e2e_fail "a refused step moved the clock to $(e2e_clock_offset)"
e2e_app_running || e2e_fail "the program ended after the refusal"

e2e_open_properties
e2e_click_tab "System Configuration"
line_shown() {
    local dump
    dump="$(e2e_a11y dump "Horalux Properties")"
    grep -q 'polkit) refused it for this session. An administrator can allow it' <<<"$dump"
}
e2e_wait 10 line_shown ||
    e2e_fail "the page does not say polkit refused: $(e2e_a11y dump "Horalux Properties" | grep -i 'label\|static' | head)"
e2e_screenshot e2e-clock-helper-refused
e2e_app_running || e2e_fail "the program ended"
e2e_log "PASS"
