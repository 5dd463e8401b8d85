#!/usr/bin/env bash
# The time from request to step through the clock helper on a private system bus (the packaged
# bus policy, the helper started by the bus, polkit as python-dbusmock's template allowing the
# action), the helper on a virtual clock:
#   HORALUX_BUILD_DIR=build bash tests/bench/clock_helper_latency.sh [N]
set -euo pipefail
: "${HORALUX_BUILD_DIR:?HORALUX_BUILD_DIR must name the build folder}"
source "$(dirname "$0")/../support/private_system_bus.sh"
bin="$(cd "$HORALUX_BUILD_DIR" && pwd)/bin"
work="$(mktemp -d /tmp/horalux-helper-latency.XXXXXX)"
BUS_PID=""
BUS_POLKIT_PID=""
cleanup() {
    local pid
    for pid in $BUS_POLKIT_PID $BUS_PID; do
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
export HORALUX_CLOCK_FILE="$work/clock-offset"
bus_start "$work" "$bin" "$(cd "$(dirname "$0")/../.." && pwd)" || { cat "$work/bus.log" >&2; exit 1; }
bus_start_polkit || { cat "$work/polkit.log" >&2; exit 1; }
bus_allow example.quorvane.horalux.set-clock
"${BUS_NOCAP[@]}" "$bin/clock_helper_latency" "${1:-100}"
