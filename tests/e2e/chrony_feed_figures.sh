#!/usr/bin/env bash
# chronyd's view of the GPS time fed by horalux-diag feed: for each capture, replayed into a pty
# LATENCY_MS (default 120) after each second with the fix-up delay set to it, chronyd (-x, the
# refclock "SHM N:perm=0666 refid GPS poll 0 delay 0.1") reads the feed for FEED_SECONDS
# (default 40);
# then `chronyc -c sources` gives the GPS source's state and offset and `chronyc -c sourcestats`
# its standard deviation (the jitter), and horalux-diag's own samples give the offset of each
# sample (mean and largest). Not a test: prints one line per capture.
#   HORALUX_BUILD_DIR=build bash tests/e2e/chrony_feed_figures.sh [CAPTURE...]
source "$(dirname "$0")/harness.sh"
e2e_init chrony-figures
LATENCY_MS="${LATENCY_MS:-120}"
FEED_SECONDS="${FEED_SECONDS:-40}"
captures=("$@")
if [ ${#captures[@]} -eq 0 ]; then
    for name in bu353s4 garmin48 mt3339 ublox-lea-4h quectel-eg25-g-2 telit-pls83-w; do
        captures+=("$(dirname "$0")/../../../shared/testdata/nmea/$name.log")
    done
fi
e2e_shm_unit
e2e_log "load: $(uptime)"
printf '%-22s %-6s %-14s %-14s %-16s %s\n' capture state "offset (ms)" "std dev (ms)" \
    "samples mean/max" "commands"
for capture in "${captures[@]}"; do
    name="$(basename "$capture" .log)"
    e2e_start_pty
    socat_pid=${E2E_PIDS[-1]}
    e2e_start_replay "$capture" "$E2E_FEED" --latency-ms "$LATENCY_MS" --loop
    replay=${E2E_PIDS[-1]}
    e2e_start_chronyd "chronyd-$name" <<<"cmdport 0
port 0
refclock SHM $E2E_SHM_UNIT:perm=0666 refid GPS poll 0 delay 0.1"
    "${E2E_NOCAP[@]}" "$E2E_BIN/horalux-diag" feed "$E2E_GPS" --unit "$E2E_SHM_UNIT" \
        --delay "$LATENCY_MS" --seconds "$FEED_SECONDS" >"$E2E_WORK/$name.json" 2>&1
    source_line="$(e2e_chronyc sources | grep '^#,.,GPS,' || true)"
    stats_line="$(e2e_chronyc sourcestats | grep '^GPS,' || true)"
    state="$(cut -d, -f2 <<<"$source_line")"
    offset="$(awk -F, '{ printf "%+.3f", $8 * 1000 }' <<<"$source_line")"
    jitter="$(awk -F, '{ printf "%.3f", $8 * 1000 }' <<<"$stats_line")"
    samples="$(grep -o '"offset":[-0-9.]*' "$E2E_WORK/$name.json" | cut -d: -f2 |
        awk '{ s += $1; a = $1 < 0 ? -$1 : $1; if (a > m) m = a; n++ }
             END { if (n) printf "%+.3f/%.3f (%d)", s / n * 1000, m * 1000, n }')"
    printf '%-22s %-6s %-14s %-14s %-16s %s\n' "$name" "$state" "$offset" "$jitter" "$samples" \
        "chronyc -c sources; chronyc -c sourcestats"
    e2e_stop "$E2E_CHRONYD_PID"
    e2e_stop "$replay"
    e2e_stop "$socat_pid"
    rm -f "$E2E_GPS" "$E2E_FEED"
done
