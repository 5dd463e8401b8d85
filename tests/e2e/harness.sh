# Functions for the end-to-end tests: the real horalux binary on a private X server with a tray,
# driven with xdotool. Source this file from a bash test script, then call e2e_init. A new test
# is tests/e2e/test_NAME.sh plus NAME in HORALUX_E2E_TESTS of tests/e2e/CMakeLists.txt; it runs
# with HORALUX_BUILD_DIR set to the build folder.
#
#   e2e_init NAME                  private folders, settings, virtual clock; cleanup at exit
#   e2e_start_x / e2e_start_tray   Xvfb (DISPLAY exported) and a tray host on it
#   e2e_settings < INI             the settings file the program starts with
#   e2e_ini_get SECTION KEY        a value the program stored (empty when absent)
#   e2e_sntp_settings SERVER [MINUTES] [NTS]
#                                  the settings of a program kept by SNTP from SERVER, every
#                                  MINUTES (default 1), with NTS when NTS is 1, the desktop
#                                  clock off
#   e2e_receiver_settings DEV BAUD  settings for a receiver at DEV (more INI text on stdin)
#   e2e_start_pty                  a pty pair: the program reads $E2E_GPS, a feeder writes $E2E_FEED
#   e2e_start_replay ARGS...       nmea-replay (e.g. --synthetic "$E2E_FEED")
#   e2e_start_chrony [nts] [FAKETIME]
#                                  an NTP server on 127.0.0.1:$E2E_CHRONY_PORT; with nts also an
#                                  NTS key-exchange server on $E2E_NTS_PORT whose certificate
#                                  (made here) is $E2E_NTS_CERT; FAKETIME moves its clock
#                                  (libfaketime, e.g. +2.5)
#   e2e_shm_unit                   a refclock unit (E2E_SHM_UNIT) whose shared-memory segment
#                                  nobody has; the segment is removed at the end
#   e2e_start_chronyd NAME < CONF  chronyd with the configuration lines on stdin, a command socket
#                                  at $E2E_WORK/NAME/chronyd.sock (E2E_CHRONYD_SOCK); its PID in
#                                  E2E_CHRONYD_PID
#   e2e_chronyc ARGS...            chronyc -c -n on that socket
#   e2e_start_app                  horalux; its PID in E2E_APP_PID, its stderr in E2E_APP_LOG
#   e2e_wait SECONDS CMD...        runs CMD until it succeeds; fails after SECONDS
#   e2e_wait_log SECONDS REGEX     waits for a line of the program's stderr
#   e2e_find_window SECONDS TITLE  the id of a visible window with that exact title
#   e2e_window_geometry ID         "X,Y,WIDTH,HEIGHT" of a window on the screen
#   e2e_tray_icon_center           "X Y" of the program's icon in the tray
#   e2e_tray_menu [SECONDS]        right-clicks the icon and waits for the menu; then a key
#                                  picks an entry (p, s, c, r, h, e: the underlined letters)
#   e2e_last_menu_state            how the menu's entries looked when it last opened
#   e2e_clock_offset               the virtual clock's offset from the system clock, in ms
#   e2e_screenshot NAME            the screen into <build>/screenshots/NAME.png
#   e2e_start_a11y                 a session bus and the accessibility bus; programs started
#                                  afterwards are readable as a screen reader reads them
#   e2e_a11y CMD WINDOW ARGS...    tests/e2e/a11y.py (dump, value, center, action, states)
#   e2e_a11y_wait SECONDS VALUE CMD WINDOW ARGS...
#                                  waits until e2e_a11y prints VALUE
#   e2e_open_properties            opens the properties window from the tray menu; its id in
#                                  E2E_PROPS_WIN
#   e2e_click_tab CAPTION          selects a tab of the properties window by a click on it
#   e2e_click WINDOW NAME [ROLE]   clicks an object of a window in its middle
#   e2e_stop PID                   SIGTERM, bounded wait, SIGKILL
#
# Everything started here is stopped by its PID when the script ends. Programs of ours (and
# chronyd) run without the capability to set the clock, on the virtual clock of
# $HORALUX_CLOCK_FILE. Every wait is bounded.

set -euo pipefail

: "${HORALUX_BUILD_DIR:?HORALUX_BUILD_DIR must name the build folder}"
E2E_BIN="$HORALUX_BUILD_DIR/bin"
E2E_SHOTS="$HORALUX_BUILD_DIR/screenshots"
E2E_PIDS=()
E2E_SHM_KEYS=()
E2E_APP_PID=""

e2e_log() { echo "[$(date +%T.%3N)] $*" >&2; }

e2e_fail() {
    e2e_log "FAIL: $*"
    exit 1
}

e2e_init() {
    E2E_NAME="$1"
    E2E_WORK="$(mktemp -d "/tmp/horalux-e2e-$E2E_NAME.XXXXXX")"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    mkdir -p "$E2E_WORK/config/Quorvane" "$E2E_WORK/runtime" "$E2E_SHOTS"
    chmod 700 "$E2E_WORK/runtime"
    export XDG_CONFIG_HOME="$E2E_WORK/config"
    export XDG_RUNTIME_DIR="$E2E_WORK/runtime"
    export XDG_STATE_HOME="$E2E_WORK/state"
    export HORALUX_CLOCK_FILE="$E2E_WORK/clock-offset"
    export HORALUX_TRACE=1
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER
    E2E_INI="$XDG_CONFIG_HOME/Quorvane/Horalux.ini"
    E2E_APP_LOG="$E2E_WORK/horalux.log"
    : >"$E2E_APP_LOG"
    e2e_log "$E2E_NAME: working in $E2E_WORK"
}

e2e_cleanup() {
    local status=$?
    local i
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        e2e_stop "${E2E_PIDS[i]}"
    done
    for i in "${E2E_SHM_KEYS[@]}"; do
        ipcrm -M "$i" 2>/dev/null || true
    done
    if [ "$status" -ne 0 ]; then
        local f
        for f in "$E2E_WORK"/*.log; do
            [ -s "$f" ] || continue
            echo "----- $(basename "$f") -----" >&2
            tail -n 60 "$f" >&2
        done
        if [ -f "$E2E_INI" ]; then
            echo "----- Horalux.ini -----" >&2
            cat "$E2E_INI" >&2
        fi
    fi
    rm -rf "$E2E_WORK"
    exit "$status"
}

# Remembers a process to stop at the end.
e2e_track() { E2E_PIDS+=("$1"); }

e2e_stop() {
    local pid="$1" i
    kill -0 "$pid" 2>/dev/null || {
        wait "$pid" 2>/dev/null || true
        return 0
    }
    kill -TERM "$pid" 2>/dev/null || true
    for ((i = 0; i < 50; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        e2e_log "process $pid ignored SIGTERM; killing it"
        kill -KILL "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
}

e2e_wait() {
    local seconds="$1"
    shift
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            return 1
        fi
        sleep 0.1
    done
}

# The prefix that runs one of our programs (or chronyd) without the capability to set the clock
# (a user other than root never has it). Used as "${E2E_NOCAP[@]}" PROGRAM ... & so that $! is the
# program's own PID (capsh and the shell it starts both exec).
if [ "$(id -u)" -eq 0 ]; then
    E2E_NOCAP=(capsh --drop=cap_sys_time -- -c 'exec "$@"' e2e)
else
    E2E_NOCAP=()
fi

e2e_start_x() {
    rm -f "$E2E_WORK/display"
    Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp \
        3>"$E2E_WORK/display" 2>"$E2E_WORK/xvfb.log" &
    e2e_track $!
    e2e_wait 15 test -s "$E2E_WORK/display" || e2e_fail "Xvfb did not start"
    export DISPLAY=":$(head -n 1 "$E2E_WORK/display")"
    e2e_wait 10 xdpyinfo || e2e_fail "Xvfb on $DISPLAY does not answer"
    e2e_log "X server on $DISPLAY"
}

e2e_tray_panel_present() { xwininfo -root -tree | grep -q '("panel" "trayer")'; }

e2e_start_tray() {
    local attempt pid
    for attempt in 1 2; do
        trayer --edge top --align right --SetDockType true --widthtype request --height 32 \
            --transparent false --tint 0xd0d0d0 >"$E2E_WORK/trayer.log" 2>&1 &
        pid=$!
        e2e_track "$pid"
        if e2e_wait 10 e2e_tray_panel_present; then
            return 0
        fi
        e2e_log "the tray host did not start (attempt $attempt): $(tail -n 3 "$E2E_WORK/trayer.log")"
        e2e_stop "$pid"
    done
    e2e_fail "the tray host did not start"
}

# The settings file, as INI text on standard input (sections with spaces written as %20, the way
# the program stores them).
e2e_settings() {
    mkdir -p "$(dirname "$E2E_INI")"
    cat >"$E2E_INI"
}

# The settings of a program kept on the test's receiver (the pty's far end), the first-run
# dialog done: the lines read from stdin join the [Settings] section.
e2e_gps_settings() {
    e2e_settings <<INI
[Settings]
FirstTimeConfig=0
UseNetworkTime=0
$(cat)

[Serial%20Port%20Commmunications]
Device=$E2E_GPS
INI
}

# The settings of a program on the receiver at device $1, "Baud" $2, the first-run dialog done, no
# periodic update within a test's time and no desktop clock; INI text read from stdin (further
# sections) follows.
e2e_receiver_settings() {
    e2e_settings <<INI
[Settings]
FirstTimeConfig=0
UseNetworkTime=0
TimeUpdateRate=44640
DigitalClockEnabled=0

[Serial%20Port%20Commmunications]
Device=$1
Baud=$2

$(cat)
INI
}

# The program never sets the clock from GPS at local hours 23 and 1. Exports as TZ a time zone, a
# whole number of hours east of UTC, whose hours over the next $1 seconds (default 600) avoid both.
e2e_use_zone_for_gps_updates() {
    local within="${1:-600}" east at hour clear
    for east in 0 3 6; do
        clear=1
        for ((at = EPOCHSECONDS; at <= EPOCHSECONDS + within; at += 60)); do
            hour=$(TZ="HLX-$east" date -d "@$at" +%-H)
            if [ "$hour" = 23 ] || [ "$hour" = 1 ]; then
                clear=0
                break
            fi
        done
        if [ "$clear" = 1 ]; then
            export TZ="HLX-$east"
            e2e_log "time zone $TZ: local $(date +%H:%M), UTC $(date -u +%H:%M)"
            return 0
        fi
    done
    e2e_fail "no time zone keeps the next $within s clear of hours 23 and 1"
}

e2e_sntp_settings() {
    local server="$1" rate="${2:-1}" nts="${3:-0}"
    e2e_settings <<INI
[Settings]
FirstTimeConfig=0
UseNetworkTime=1
UseSNTP=1
UseNTS=$nts
TimeUpdateRate=$rate
DigitalClockEnabled=0

[Network%20Daytime%20Protocol]
NumberOfTimeServers=1
NetServer-00=$server
TimeServer=$server
UseRandomServer=0
INI
}

e2e_ini_get() {
    local section="${1// /%20}" key="${2// /%20}"
    [ -f "$E2E_INI" ] || return 0
    awk -v s="[$section]" -v k="$key" '
        /^\[/ { inside = ($0 == s); next }
        inside { i = index($0, "="); if (i > 0 && substr($0, 1, i - 1) == k) { print substr($0, i + 1); exit } }
    ' "$E2E_INI"
}

e2e_start_pty() {
    E2E_GPS="$E2E_WORK/gps"
    E2E_FEED="$E2E_WORK/feed"
    socat -d -d "pty,raw,echo=0,link=$E2E_GPS" "pty,raw,echo=0,link=$E2E_FEED" \
        2>"$E2E_WORK/socat.log" &
    e2e_track $!
    e2e_wait 10 test -e "$E2E_GPS" -a -e "$E2E_FEED" || e2e_fail "socat made no pty pair"
}

e2e_start_replay() {
    "${E2E_NOCAP[@]}" "$E2E_BIN/nmea-replay" "$@" >"$E2E_WORK/replay.log" 2>&1 &
    e2e_track $!
}

# A UDP port nobody on this machine has bound (from /proc/net/udp, where ports are hex).
e2e_free_udp_port() {
    local port
    for _ in $(seq 50); do
        port=$((20000 + RANDOM % 20000))
        if ! grep -qi ":$(printf '%04X' "$port") " /proc/net/udp /proc/net/udp6 2>/dev/null; then
            echo "$port"
            return 0
        fi
    done
    return 1
}

e2e_chrony_answers() {
    "${E2E_NOCAP[@]}" "$E2E_BIN/horalux-diag" sntp 127.0.0.1 --port "$E2E_CHRONY_PORT"
}

e2e_start_chrony() {
    E2E_CHRONY_PORT="$(e2e_free_udp_port)" || e2e_fail "no free UDP port"
    local dir="$E2E_WORK/chrony-$E2E_CHRONY_PORT" preload=() user=()
    mkdir -p "$dir"
    chmod 1777 "$dir"
    cat >"$dir/chrony.conf" <<EOF
local stratum 8
allow 127.0.0.1
bindaddress 127.0.0.1
port $E2E_CHRONY_PORT
cmdport 0
pidfile $dir/chronyd.pid
EOF
    local nts=""
    if [ "${1:-}" = nts ]; then
        nts=nts
        shift
        E2E_NTS_PORT=$((E2E_CHRONY_PORT + 1))
        E2E_NTS_CERT="$dir/cert.pem"
        openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 3 \
            -subj /CN=localhost -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" \
            -keyout "$dir/key.pem" -out "$E2E_NTS_CERT" 2>/dev/null ||
            e2e_fail "openssl could not make a certificate"
        chmod 644 "$dir/key.pem" "$E2E_NTS_CERT"
        printf 'ntsserverkey %s\nntsservercert %s\nntsport %s\nntsprocesses 0\nntsdumpdir %s\n' \
            "$dir/key.pem" "$E2E_NTS_CERT" "$E2E_NTS_PORT" "$dir" >>"$dir/chrony.conf"
        # It reads the key after start-up, which its own user could not in this private folder.
        user=(-u root)
    fi
    if [ -n "${1:-}" ]; then
        local library
        library="$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)"
        [ -n "$library" ] || e2e_fail "libfaketime not found (Debian package faketime)"
        preload=(env LD_PRELOAD="$library" FAKETIME="$1")
    fi
    "${E2E_NOCAP[@]}" "${preload[@]}" chronyd -n -x "${user[@]}" -f "$dir/chrony.conf" -L 0 \
        -l "$E2E_WORK/chrony.log" &
    E2E_CHRONY_PID=$!
    e2e_track "$E2E_CHRONY_PID"
    e2e_wait 20 e2e_chrony_answers || e2e_fail "chronyd does not answer on port $E2E_CHRONY_PORT"
    if [ -n "$nts" ]; then
        e2e_wait 20 bash -c "exec 3<>/dev/tcp/127.0.0.1/$E2E_NTS_PORT" 2>/dev/null ||
            e2e_fail "chronyd's key exchange does not listen on port $E2E_NTS_PORT"
    fi
    e2e_log "chronyd serving on 127.0.0.1:$E2E_CHRONY_PORT $nts ${1:-}"
}

e2e_shm_unit() {
    local unit key
    for _ in $(seq 50); do
        unit=$((128 + RANDOM % 127))
        key="$(printf '0x%08x' $((0x4e545030 + unit)))"
        if ! ipcs -m | awk '{ print $1 }' | grep -qix "$key"; then
            E2E_SHM_UNIT="$unit"
            E2E_SHM_KEYS+=("$key")
            return 0
        fi
    done
    e2e_fail "no free shared-memory refclock unit"
}

e2e_start_chronyd() {
    local dir="$E2E_WORK/$1"
    mkdir -p "$dir"
    chmod 700 "$dir"
    E2E_CHRONYD_SOCK="$dir/chronyd.sock"
    {
        echo "bindcmdaddress $E2E_CHRONYD_SOCK"
        echo "pidfile $dir/chronyd.pid"
        cat
    } >"$dir/chrony.conf"
    # The command socket in a private folder needs chronyd to stay root (it keeps -x all the same).
    "${E2E_NOCAP[@]}" chronyd -n -x -u root -f "$dir/chrony.conf" -L 0 -l "$E2E_WORK/$1.log" &
    E2E_CHRONYD_PID=$!
    e2e_track "$E2E_CHRONYD_PID"
    e2e_wait 20 e2e_chronyc tracking || e2e_fail "chronyd $1 does not answer on $E2E_CHRONYD_SOCK"
}

e2e_chronyc() { chronyc -h "$E2E_CHRONYD_SOCK" -c -n "$@"; }

e2e_start_app() {
    "${E2E_NOCAP[@]}" "$E2E_BIN/horalux" >>"$E2E_APP_LOG" 2>&1 &
    E2E_APP_PID=$!
    e2e_track "$E2E_APP_PID"
    e2e_log "horalux started, pid $E2E_APP_PID"
}

e2e_app_running() { kill -0 "$E2E_APP_PID" 2>/dev/null; }

e2e_wait_log() {
    local seconds="$1" pattern="$2"
    e2e_wait "$seconds" grep -Eq -- "$pattern" "$E2E_APP_LOG"
}

e2e_window_with_title() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 | grep .; }

e2e_find_window() {
    local seconds="$1" title="$2"
    e2e_wait "$seconds" e2e_window_with_title "$title" || return 1
    e2e_window_with_title "$title"
}

e2e_window_geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x "," y "," w "," h }'
}

# The program's icon window inside the tray host: its absolute "WIDTHxHEIGHT+X+Y".
e2e_tray_icon_geometry() {
    xwininfo -root -tree | awk '
        /\("panel" "trayer"\)/ { inpanel = 1; next }
        inpanel && /^     0x/ { inpanel = 0 }
        inpanel && /\("horalux" / {
            for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) { size = $i; abs = $(i + 1) }
            split(size, a, "+"); print a[1] abs; exit
        }'
}

e2e_tray_icon_center() {
    local g w h x y
    g="$(e2e_tray_icon_geometry)"
    [ -n "$g" ] || return 1
    w="${g%%x*}"
    g="${g#*x}"
    h="${g%%+*}"
    g="${g#*+}"
    x="${g%%+*}"
    y="${g#*+}"
    echo "$((x + w / 2)) $((y + h / 2))"
}

e2e_tray_icon_present() { [ -n "$(e2e_tray_icon_geometry)" ]; }

e2e_trace_count() { grep -c -- "$1" "$E2E_APP_LOG" || true; }

# The menu is open when the program has reported more openings than closings (HORALUX_TRACE).
e2e_menu_open() { [ "$(e2e_trace_count 'menu shown')" -gt "$(e2e_trace_count 'menu hidden')" ]; }

# Right-clicks the tray icon until the menu shows (a click that comes before the icon is ready
# is lost), within SECONDS.
e2e_tray_menu() {
    local seconds="${1:-10}" center
    local deadline=$((SECONDS + seconds))
    while [ "$SECONDS" -lt "$deadline" ]; do
        center="$(e2e_tray_icon_center)" || {
            sleep 0.2
            continue
        }
        # shellcheck disable=SC2086
        xdotool mousemove $center click 3
        if e2e_wait 2 e2e_menu_open; then
            sleep 0.3  # let it paint before a screenshot or a key
            return 0
        fi
    done
    return 1
}

# The last "menu shown" line: how the entries looked when the menu opened.
e2e_last_menu_state() { grep -- 'menu shown' "$E2E_APP_LOG" | tail -n 1; }

e2e_start_a11y() {
    local out
    out="$(dbus-launch --sh-syntax)" || e2e_fail "dbus-launch failed"
    eval "$out"
    e2e_track "$DBUS_SESSION_BUS_PID"
    export DBUS_SESSION_BUS_ADDRESS
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$E2E_WORK/atspi.log" 2>&1 &
    e2e_track $!
    export QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    e2e_wait 10 busctl --user status >/dev/null 2>&1 || true
}

e2e_a11y() { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/a11y.py" "$@"; }

e2e_a11y_prints() {
    local want="$1"
    shift
    [ "$(e2e_a11y "$@" 2>/dev/null)" = "$want" ]
}

e2e_a11y_wait() {
    local seconds="$1" want="$2"
    shift 2
    e2e_wait "$seconds" e2e_a11y_prints "$want" "$@" ||
        e2e_fail "$* is \"$(e2e_a11y "$@" 2>&1)\", not \"$want\" after ${seconds}s"
}

e2e_open_properties() {
    local attempt
    for attempt in 1 2 3; do
        e2e_tray_menu 10 || e2e_fail "the tray menu did not open"
        xdotool key p
        if E2E_PROPS_WIN="$(e2e_find_window 5 "Horalux Properties")"; then
            e2e_wait 10 e2e_a11y dump "Horalux Properties" ||
                e2e_fail "the properties window is not on the accessibility bus"
            return 0
        fi
        e2e_log "the properties window did not open (attempt $attempt)"
    done
    e2e_fail "the properties window did not open"
}

e2e_click() {
    local center
    center="$(e2e_a11y center "$@")" || e2e_fail "cannot find $* to click"
    # shellcheck disable=SC2086
    xdotool mousemove $center click 1
}

e2e_click_tab() {
    e2e_click "Horalux Properties" "$1" "page tab"
    e2e_wait 5 e2e_a11y states "Horalux Properties" "$1" "page tab" ||
        e2e_fail "no tab \"$1\""
    sleep 0.3  # the page paints
}

e2e_screenshot() {
    import -window root "$E2E_SHOTS/$1.png"
    e2e_log "screenshot $E2E_SHOTS/$1.png"
}

# The virtual clock's offset from the system clock in milliseconds (0 when never set).
e2e_clock_offset() {
    if [ -s "$HORALUX_CLOCK_FILE" ]; then
        head -n 1 "$HORALUX_CLOCK_FILE"
    else
        echo 0
    fi
}

e2e_abs() { local v="$1"; echo "${v#-}"; }

# ---- Tray hosts that speak StatusNotifierItem over D-Bus (xfce4-panel), and no tray at all.
#
#   e2e_start_session_bus          a D-Bus session bus of the test's own (exported)
#   e2e_start_xfce_panel           xfce4-panel with only its notification area, at the top of the
#                                  screen, hosting StatusNotifierItems and XEmbed icons
#   e2e_sni_items                  the items the panel's StatusNotifierWatcher holds, one a line
#   e2e_find_colour SHOT GEOMETRY RRGGBB
#                                  "X Y" of the middle of the pixels near that colour within
#                                  GEOMETRY (WxH+X+Y) of a screenshot; fails when there are none

e2e_start_session_bus() {
    local out
    out="$(dbus-launch --sh-syntax)" || e2e_fail "dbus-launch failed"
    eval "$out"
    e2e_track "$DBUS_SESSION_BUS_PID"
    export DBUS_SESSION_BUS_ADDRESS
}

e2e_sni_items() {
    busctl --user get-property org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null |
        tr ' ' '\n' | grep '"' | tr -d '"'
}

e2e_sni_host_ready() {
    busctl --user get-property org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.kde.StatusNotifierWatcher IsStatusNotifierHostRegistered 2>/dev/null | grep -q 'b true'
}

e2e_start_xfce_panel() {
    local channel="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
    mkdir -p "$channel"
    cat >"$channel/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
    xfce4-panel --disable-wm-check >"$E2E_WORK/panel.log" 2>&1 &
    e2e_track $!
    e2e_wait 20 e2e_sni_host_ready || e2e_fail "xfce4-panel hosts no StatusNotifierItems"
    e2e_log "xfce4-panel hosting StatusNotifierItems"
}

e2e_find_colour() {
    local shot="$1" geometry="$2" colour="$3"
    convert "$shot" -crop "$geometry" +repage -depth 8 ppm:- | /usr/bin/python3 -c '
import sys
data = sys.stdin.buffer.read()
parts = data.split(maxsplit=4)
w, h = int(parts[1]), int(parts[2])
pixels = parts[4]
want = bytes.fromhex(sys.argv[1])
xs, ys = [], []
for y in range(h):
    for x in range(w):
        p = pixels[3 * (y * w + x):3 * (y * w + x) + 3]
        if all(abs(p[i] - want[i]) <= 24 for i in range(3)):
            xs.append(x)
            ys.append(y)
if not xs:
    sys.exit(1)
print(sum(xs) // len(xs) + int(sys.argv[2]), sum(ys) // len(ys) + int(sys.argv[3]))
' "$colour" "$(cut -d+ -f2 <<<"$geometry")" "$(cut -d+ -f3 <<<"$geometry")"
}
