#!/usr/bin/env bash
# A copy of the program given cap_sys_time+ep (as a hand-made setcap would), started by nobody
# under a seccomp filter that makes every clock-setting call fail, on the offscreen platform with a
# style plugin of nobody's own named by QT_PLUGIN_PATH and QT_STYLE_OVERRIDE: the kernel grants
# the capability at the exec (the program says it gave it up), and the plugin finds no capability
# in any set. The program also runs on a virtual clock, so nothing could touch the machine's clock.
set -euo pipefail
: "${HORALUX_BUILD_DIR:?HORALUX_BUILD_DIR must name the build folder}"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
skip() {
    [ "${CI:-}" != true ] || fail "$* (CI needs it)"
    echo "SKIP: $*"
    exit 0
}
[ "$(id -u)" -eq 0 ] || skip "needs root (setcap, a seccomp filter without no_new_privs, setuid)"
command -v setcap >/dev/null || skip "needs setcap (libcap2-bin)"
capsh --has-b=cap_sys_time 2>/dev/null || skip "CAP_SYS_TIME is not in this process's bounding set"

work="$(mktemp -d /tmp/horalux-privilege.XXXXXX)"
pid=""
cleanup() {
    [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true
    [ -z "$pid" ] || wait "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
if findmnt -no OPTIONS -T "$work" | tr ',' '\n' | grep -qx nosuid; then
    skip "$work lies on a file system mounted nosuid, which ignores file capabilities"
fi

# The program with the capability, and the plugin, both of nobody's reach.
cp "$HORALUX_BUILD_DIR/bin/horalux" "$work/horalux"
setcap cap_sys_time+ep "$work/horalux" || skip "this file system keeps no file capabilities"
getcap "$work/horalux" | grep -q 'cap_sys_time=ep' || fail "setcap did not take: $(getcap "$work/horalux")"
mkdir -p "$work/plugins/styles" "$work/home/config/Quorvane" "$work/home/runtime"
cp "$HORALUX_BUILD_DIR/tests/plugins/styles/libcapability_report_style.so" "$work/plugins/styles/"
printf '[Settings]\nFirstTimeConfig=0\nUseNetworkTime=1\nDigitalClockEnabled=0\n' \
    >"$work/home/config/Quorvane/Horalux.ini"
chown -R 65534:65534 "$work/plugins" "$work/home"
chmod 700 "$work/home/runtime"

env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" \
    XDG_RUNTIME_DIR="$work/home/runtime" HORALUX_CLOCK_FILE="$work/home/clock-offset" \
    HORALUX_TRACE=1 QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$work/plugins" \
    QT_STYLE_OVERRIDE=horaluxcapabilityreport HORALUX_PLUGIN_REPORT="$work/home/report" \
    "$HORALUX_BUILD_DIR/tests/seccomp_launcher" 65534 65534 "$work/horalux" \
    >"$work/output" 2>&1 &
pid=$!
for ((i = 0; i < 300; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program still runs after 30 s: $(cat "$work/output")"
wait "$pid" || true
pid=""
cat "$work/output"

grep -q '^horalux: gave up the capabilities cap_sys_time$' "$work/output" ||
    fail "the program was not given CAP_SYS_TIME at the exec, so this shows nothing"
[ -s "$work/home/report" ] || fail "the style plugin was not loaded (no report)"
cat "$work/home/report"
grep -qx 'uid=65534 euid=65534' "$work/home/report" || fail "the plugin did not run as nobody"
for set in CapInh CapPrm CapEff CapAmb; do
    grep -Eq "^$set:[[:space:]]+0000000000000000$" "$work/home/report" ||
        fail "the plugin ran with $(grep "^$set" "$work/home/report")"
done
grep -q '^end$' "$work/home/report" || fail "the report is cut short"
echo "PASS"
