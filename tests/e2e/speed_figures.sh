#!/usr/bin/env bash
# Measures how long the program takes to find a receiver's speed from each wrong stored speed:
# a synthetic receiver at RECEIVER_BAUD (default 9600) on nmea-replay's own pseudo-terminal,
# "Baud" set to each of the other usual speeds in turn; the time from the program's first
# heartbeat (its first "timeLocked=" trace line: the port is open) to its trace line "receiver
# speed ... found", and from its start. Not a test: prints the figures.
#   HORALUX_BUILD_DIR=build bash tests/e2e/speed_figures.sh
source "$(dirname "$0")/harness.sh"
e2e_init speed-figures
RECEIVER_BAUD="${RECEIVER_BAUD:-9600}"
e2e_start_x
e2e_start_tray
device="$E2E_WORK/gps"
e2e_start_replay --synthetic "$device" --pty --baud "$RECEIVER_BAUD"
e2e_wait 10 test -e "$device" || e2e_fail "nmea-replay made no pseudo-terminal"
for stored in 4800 9600 19200 38400 57600 115200; do
    [ "$stored" = "$RECEIVER_BAUD" ] && continue
    e2e_receiver_settings "$device" "$stored" </dev/null
    : >"$E2E_APP_LOG"
    started=$EPOCHREALTIME
    e2e_start_app
    e2e_wait_log 20 "timeLocked=" || e2e_fail "no heartbeat"
    ticking=$EPOCHREALTIME
    e2e_wait_log 40 "receiver speed $RECEIVER_BAUD found" || e2e_fail "not found from $stored"
    found=$EPOCHREALTIME
    echo "stored $stored bit/s, receiver $RECEIVER_BAUD bit/s: found" \
        "$(((${found/./} - ${ticking/./}) / 1000)) ms after the first heartbeat," \
        "$(((${found/./} - ${started/./}) / 1000)) ms after the start"
    e2e_stop "$E2E_APP_PID"
done
