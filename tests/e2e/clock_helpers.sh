# shellcheck shell=bash
# Functions for the end-to-end tests of the desktop clock window; source after harness.sh, call
# clock_find once the program runs.
#
#   clock_find                     the clock's window id into CLOCK_ID (waits for it to show)
#   clock_geometry                 "X,Y,WIDTH,HEIGHT" of the clock as X11 has it
#   clock_mapped / clock_unmapped  whether the window is on the screen
#   clock_look NAME                the clock window into <build>/screenshots/e2e-clock-NAME.png,
#                                  read by clock_pixels.py into CLOCK[size, cells, thickness, bar,
#                                  lit, unlit, colon, stray, text]; CLOCK[taken] is when, in
#                                  seconds since 1970
#   clock_read PICTURE NAME        the same reading of a picture of the clock taken otherwise
#   clock_until SECONDS NAME CHECK  clock_look until the command CHECK succeeds
#   clock_menu KEY                 right-click on the clock, open "Settings" and press KEY (an
#                                  underlined letter of that submenu); waits for the menu to close
#   clock_last_menu_checks         the entries checked when the clock's menu last opened

CLOCK_PIXELS="$(dirname "${BASH_SOURCE[0]}")/clock_pixels.py"
CLOCK_ID=""
declare -A CLOCK=()

clock_find() {
    CLOCK_ID="$(e2e_find_window 15 Clock)" || e2e_fail "the clock window did not show"
}

clock_geometry() { e2e_window_geometry "$CLOCK_ID"; }

clock_is_at() { [ "$(clock_geometry)" = "$1" ]; }

clock_map_state() { xwininfo -id "$CLOCK_ID" | awk '/Map State:/ { print $NF }'; }
clock_mapped() { [ "$(clock_map_state)" = IsViewable ]; }
clock_unmapped() { [ "$(clock_map_state)" = IsUnMapped ]; }

clock_look() {
    local file="$E2E_SHOTS/e2e-clock-$1.png"
    import -window "$CLOCK_ID" "$file" || return 1
    clock_read "$file" "$1"
}

clock_read() {
    local file="$1" name="$2" key value taken=$EPOCHSECONDS
    CLOCK=([taken]="$taken")
    while IFS='=' read -r key value; do
        CLOCK[$key]="$value"
    done < <(python3 "$CLOCK_PIXELS" "$file")
    CLOCK[name]="$name"
}

clock_reading() {
    local key out=""
    for key in size cells thickness bar lit unlit colon stray text; do
        out+="$key=${CLOCK[$key]:-} "
    done
    echo "$out"
}

# Looks until CHECK (a command, run after each look) succeeds, within SECONDS. The picture of the
# last look stays under NAME.
clock_until() {
    local seconds="$1" name="$2"
    shift 2
    local deadline=$((SECONDS + seconds))
    while :; do
        clock_look "$name" && "$@" && return 0
        if [ "$SECONDS" -ge "$deadline" ]; then
            e2e_log "the clock as last seen: $(clock_reading)"
            return 1
        fi
        sleep 0.2
    done
}

clock_trace_after() {
    local pattern="$1" before="$2"
    [ "$(e2e_trace_count "$pattern")" -gt "$before" ]
}

clock_menu() {
    local key="$1" opened submenus closed geometry x y w h
    opened="$(e2e_trace_count 'clock context-menu open checked=')"
    submenus="$(e2e_trace_count 'clock context-menu open submenu=')"
    closed="$(e2e_trace_count 'clock context-menu closed')"
    geometry="$(clock_geometry)"
    IFS=, read -r x y w h <<<"$geometry"
    xdotool mousemove "$((x + w / 2))" "$((y + h / 2))" click 3
    e2e_wait 5 clock_trace_after 'clock context-menu open checked=' "$opened" ||
        e2e_fail "a right click did not open the clock's menu"
    # Nothing is selected when the menu opens: the first Down selects "&Set PC Clock Now", the
    # second "Settings", and Right opens that.
    xdotool key Down Down Right
    e2e_wait 5 clock_trace_after 'clock context-menu open submenu=Settings' "$submenus" ||
        e2e_fail "the clock menu's Settings did not open"
    xdotool key "$key"
    e2e_wait 5 clock_trace_after 'clock context-menu closed' "$closed" ||
        e2e_fail "the clock's menu did not close after '$key'"
}

clock_last_menu_checks() {
    grep -- 'clock context-menu open checked=' "$E2E_APP_LOG" | tail -n 1 | sed 's/.*checked=//'
}
