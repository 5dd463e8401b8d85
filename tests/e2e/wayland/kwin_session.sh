# shellcheck shell=bash
# A Wayland session of KWin (its virtual screen, 1280 x 800, with Xwayland) for the end-to-end
# scripts; source after harness.sh, once e2e_init has run.
#
#   kwin_start_session             a session bus and KWin on it; exports WAYLAND_DISPLAY, DISPLAY
#                                  (Xwayland), XAUTHORITY, XDG_SESSION_TYPE=wayland and KWIN_LOG,
#                                  unsets QT_QPA_PLATFORM: programs started then start as in a
#                                  Wayland session of KDE Plasma
#   kwin ARGS...                   tests/e2e/wayland/kwin.py (windows, activate, close, shot)
#   kwin_input STEPS...            pointer and keys through KWin's fake input (kwin_fake_input)
#   kwin_place_of TITLE            "X,Y,WIDTH,HEIGHT" of the window so titled, as KWin has it
#   kwin_field_of TITLE N          field N of its line of `kwin windows`
#   kwin_has_window TITLE          whether KWin shows a window so titled

KWIN_HERE="$(dirname "${BASH_SOURCE[0]}")"
KWIN_FAKE_INPUT="$HORALUX_BUILD_DIR/tests/kwin_fake_input"

kwin_start_session() {
    [ -x "$KWIN_FAKE_INPUT" ] || e2e_fail "no $KWIN_FAKE_INPUT (target kwin_fake_input)"
    unset QT_QPA_PLATFORM DISPLAY XAUTHORITY
    e2e_start_session_bus
    # From a copy of its binary: Debian's carries a file capability, with which KWin refuses to
    # start as root. The program it starts writes the X display and its authority into a file.
    cp /usr/bin/kwin_wayland "$E2E_WORK/kwin_wayland"
    export KWIN_LOG="$E2E_WORK/kwin.log" WAYLAND_DISPLAY="horalux-e2e-$$"
    local x11="$E2E_WORK/x11"
    KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
        "$E2E_WORK/kwin_wayland" --virtual --xwayland --width 1280 --height 800 \
        --socket "$WAYLAND_DISPLAY" --no-lockscreen --no-global-shortcuts --no-kactivities \
        "sh -c 'printf \"%s\\n%s\\n\" \"\$DISPLAY\" \"\$XAUTHORITY\" >$x11.tmp && mv $x11.tmp $x11'" \
        >"$KWIN_LOG" 2>&1 &
    e2e_track $!
    e2e_wait 30 test -s "$x11" || e2e_fail "KWin started no Xwayland"
    {
        read -r DISPLAY
        read -r XAUTHORITY
    } <"$x11"
    export DISPLAY XDG_SESSION_TYPE=wayland
    if [ -n "$XAUTHORITY" ]; then export XAUTHORITY; else unset XAUTHORITY; fi
    e2e_log "KWin on $WAYLAND_DISPLAY, Xwayland on $DISPLAY"
}

kwin() { /usr/bin/python3 "$KWIN_HERE/kwin.py" "$@"; }
kwin_input() { "$KWIN_FAKE_INPUT" "$@"; }
kwin_place_of() { kwin windows | awk -F'\t' -v c="$1" '$1 == c { print $2; exit }'; }
kwin_field_of() { kwin windows | awk -F'\t' -v c="$1" -v f="$2" '$1 == c { print $f; exit }'; }
kwin_has_window() { [ -n "$(kwin_place_of "$1")" ]; }
