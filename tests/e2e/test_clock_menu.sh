#!/usr/bin/env bash
# The desktop clock's own menu in the real program: right-click, "Settings", then a key. Each
# colour scheme stores its keys and paints the digits in its colours; "Show &Day of Year", "&UTC
# Time", "&Local Time" and "&24 hour time" store their keys and change the digits read off the
# screen; the menu opens with check marks that follow; "&Custom Color" opens its dialog, which
# changes nothing on Cancel and stores the scheme on OK. Pictures of every scheme with and without
# the day of year go to <build>/screenshots/e2e-clock-*.png.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/clock_helpers.sh"
e2e_init clock_menu
e2e_start_x
e2e_start_tray

# A time zone of our own whose hour is in the afternoon (17 or 20) and not UTC's, so that local,
# UTC and 12-hour time all read differently on the clock.
utc_hour=$((10#$(date -u +%H)))
east=$(((17 - utc_hour + 24) % 24))
[ "$east" -eq 0 ] && east=3
[ "$east" -gt 14 ] && east=$((east - 24))
export TZ="HLX$((-east))"
e2e_log "time zone $TZ: local $(date +%H:%M), UTC $(date -u +%H:%M)"

# The receiver is a pty of the test's own that stays silent: the program holds no privilege, so
# the machine's own serial ports (a console may hold one) are none of the test's business.
e2e_start_pty
e2e_settings <<INI
[Settings]
FirstTimeConfig=0
UseNetworkTime=0
DigitalClockEnabled=1
DigitalClockPosition="10,310,20,120"

[Serial%20Port%20Commmunications]
Device=$E2E_GPS
INI

setting_is() { [ "$(e2e_ini_get Settings "$1")" = "$2" ]; }
expect_setting() {
    e2e_wait 5 setting_is "$1" "$2" || e2e_fail "$3: $1 is '$(e2e_ini_get Settings "$1")', not $2"
}
menu_showed() {
    [ "$(clock_last_menu_checks)" = "$1" ] ||
        e2e_fail "the clock menu opened with '$(clock_last_menu_checks)' checked, not '$1'"
}

# What the clock must show (colours, digits, local or UTC time, 12 or 24 hours), set by `expect`
# and checked by `shows` against the time when the picture was taken (or now, in case the second
# turned over in between; the seconds are not compared).
want_lit="" want_unlit="" want_cells="" want_utc=0 want_12h=0
expect() { want_lit="$1" want_unlit="$2" want_cells="$3" want_utc="$4" want_12h="$5"; }
expected_text() {
    local -a date_args=(-d "$1")
    [ "$want_utc" = 1 ] && date_args+=(-u)
    local day hour minute text
    read -r day hour minute <<<"$(date "${date_args[@]}" '+%j %H %M')"
    hour=$((10#$hour))
    [ "$want_12h" = 1 ] && [ "$hour" -gt 12 ] && hour=$((hour - 12))
    text="$(printf '%02d:%s' "$hour" "$minute")"
    [ "$want_cells" = 9 ] && text="$day:$text"
    echo "$text"
}
shows() {
    [ "${CLOCK[lit]}" = "$want_lit" ] && [ "${CLOCK[unlit]}" = "$want_unlit" ] &&
        [ "${CLOCK[colon]}" = "$want_lit" ] && [ "${CLOCK[cells]}" = "$want_cells" ] &&
        [ "${CLOCK[stray]}" = 0 ] || return 1
    local shown="${CLOCK[text]%:??}"
    [ "$shown" = "$(expected_text "@${CLOCK[taken]}")" ] || [ "$shown" = "$(expected_text now)" ]
}
look() {
    clock_until 5 "$1" shows ||
        e2e_fail "the clock does not show $want_cells digits in $want_lit over $want_unlit" \
            "with the time $(expected_text now) ($(clock_reading))"
}

e2e_start_app
clock_find

# Nothing stored: the "Custom" scheme with the default pair (blue 255 over blue 64), local time,
# 24 hours.
expect 0000ff 000040 6 0 0
look custom

clock_menu d
menu_showed "Custom Color,Local Time,24 hour time"
expect_setting EnableDOY 1 "Show Day of Year"
expect 0000ff 000040 9 0 0
look custom-doy

clock_menu b
menu_showed "Custom Color,Local Time,24 hour time,Show Day of Year"
expect_setting ClockEnableSegColor 16711680 Blue  # 0xFF0000: blue 255
expect_setting ClockDisableSegColor 3145728 Blue  # 0x300000: blue 48
expect_setting "Clock Color" 32780 Blue
expect 0000ff 000030 9 0 0
look blue-doy

clock_menu d
menu_showed "Blue,Local Time,24 hour time,Show Day of Year"
expect_setting EnableDOY 0 "Show Day of Year again"
expect 0000ff 000030 6 0 0
look blue

clock_menu g
menu_showed "Blue,Local Time,24 hour time"
expect_setting ClockEnableSegColor 65280 Green  # 0x00FF00
expect_setting ClockDisableSegColor 12288 Green # 0x003000
expect_setting "Clock Color" 32779 Green
expect 00ff00 003000 6 0 0
look green

clock_menu d
menu_showed "Green,Local Time,24 hour time"
expect 00ff00 003000 9 0 0
look green-doy

# "&Red" also stores the window's rectangle.
clock_menu r
menu_showed "Green,Local Time,24 hour time,Show Day of Year"
expect_setting ClockEnableSegColor 255 Red  # 0x0000FF: red 255
expect_setting ClockDisableSegColor 48 Red  # 0x000030: red 48
expect_setting "Clock Color" 32778 Red
expect_setting DigitalClockPosition '"10,310,20,120"' Red
expect ff0000 300000 9 0 0
look red-doy

clock_menu d
menu_showed "Red,Local Time,24 hour time,Show Day of Year"
expect ff0000 300000 6 0 0
look red

# UTC, 12 hours, back to local, back to 24 hours.
clock_menu u
menu_showed "Red,Local Time,24 hour time"
expect_setting LocalTime 0 "UTC Time"
expect ff0000 300000 6 1 0
look red-utc

clock_menu 2
menu_showed "Red,UTC Time,24 hour time"
expect_setting 24HourMode 0 "24 hour time"
expect ff0000 300000 6 1 1
look red-utc-12h

clock_menu l
menu_showed "Red,UTC Time"
expect_setting LocalTime 1 "Local Time"
expect ff0000 300000 6 0 1
look red-12h

clock_menu 2
menu_showed "Red,Local Time"
expect_setting 24HourMode 1 "24 hour time again"
expect ff0000 300000 6 0 0
look red-24h

# "&Custom Color": the dialog starts from the colours in use; Cancel changes nothing, OK stores
# the "Custom" scheme with the pair it holds.
dialog_gone() { ! e2e_window_with_title "Custom Clock Color"; }
clock_menu c
dialog_shown() { e2e_window_with_title "Custom Clock Color"; }
e2e_wait 10 dialog_shown || e2e_fail "Custom Color opened no dialog"
sleep 1.2  # its preview shows the time from its first second on
e2e_screenshot e2e-clock-custom-dialog
xdotool key Escape
e2e_wait 5 dialog_gone || e2e_fail "Escape did not close the Custom Clock Color dialog"
menu_showed "Red,Local Time,24 hour time"
setting_is "Clock Color" 32778 || e2e_fail "a cancelled dialog changed Clock Color"

clock_menu c
e2e_wait 10 dialog_shown || e2e_fail "Custom Color opened no dialog again"
xdotool key Return
e2e_wait 5 dialog_gone || e2e_fail "Return did not close the Custom Clock Color dialog"
expect_setting "Clock Color" 32791 "Custom Color"
expect_setting ClockEnableSegColor 255 "Custom Color"
expect_setting ClockDisableSegColor 48 "Custom Color"
look red-custom
e2e_log "PASS"
