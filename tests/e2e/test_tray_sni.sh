#!/usr/bin/env bash
# The tray icon on a panel that hosts StatusNotifierItems over D-Bus (xfce4-panel, as on Xfce,
# KDE Plasma and most panels): the icon appears in the panel, its menu opens from a right-click
# (the panel draws it from the menu the program exports), and "&Exit" ends the program and takes
# the icon away. At its start the program also rewrites an autostart entry that names a program
# no longer there (it was moved), keeping it turned off as it was.
source "$(dirname "$0")/harness.sh"
e2e_init tray-sni
e2e_start_x
e2e_start_session_bus
e2e_start_xfce_panel
e2e_start_pty

e2e_gps_settings <<INI
DigitalClockEnabled=0
INI

autostart="$XDG_CONFIG_HOME/autostart/example.quorvane.Horalux.desktop"
mkdir -p "$(dirname "$autostart")"
printf '[Desktop Entry]\nType=Application\nExec=/opt/moved-away/horalux\nHidden=true\n' >"$autostart"

strip="1024x32+0+0"  # the panel
gold=f2b11c          # the satellite's body in icon 109
e2e_start_app
registered() { [ -n "$(e2e_sni_items)" ]; }
e2e_wait 15 registered || e2e_fail "the program registered no StatusNotifierItem"
e2e_log "registered: $(e2e_sni_items)"
grep -qx "Exec=$E2E_BIN/horalux" "$autostart" && grep -qx 'Hidden=true' "$autostart" ||
    e2e_fail "the stale autostart entry was not rewritten: $(cat "$autostart")"
e2e_wait_log 5 'tray icon=109 tip="Horalux(\\n[^"]*)?"$' || e2e_fail "the tray state did not reach icon 109"
shot="$E2E_WORK/panel.png"
icon_in_panel() {
    import -window root "$shot" 2>/dev/null && e2e_find_colour "$shot" "$strip" "$gold"
}
e2e_wait 15 icon_in_panel || e2e_fail "the icon does not show in the panel"
read -r x y <<<"$(e2e_find_colour "$shot" "$strip" "$gold")"
e2e_log "icon at $x,$y"
e2e_screenshot e2e-tray-sni-panel
convert "$E2E_SHOTS/e2e-tray-sni-panel.png" -crop 240x32+0+0 +repage -scale 300% \
    "$E2E_SHOTS/e2e-tray-sni-icon.png"

# The menu: the panel asks the program for it (the trace shows it opening) and draws it.
for attempt in 1 2 3; do
    xdotool mousemove "$x" "$y" click 3
    e2e_wait 3 e2e_menu_open && break
    e2e_log "the menu did not open (attempt $attempt)"
done
e2e_menu_open || e2e_fail "the tray menu did not open"
sleep 0.5
e2e_screenshot e2e-tray-sni-menu
e2e_last_menu_state | grep -q 'set-clock-now=disabled' ||
    e2e_fail "Set PC Clock Now is enabled without a GPS lock: $(e2e_last_menu_state)"

# "&Exit", by its underlined letter in the panel's menu.
xdotool key e
e2e_wait 10 bash -c "! kill -0 $E2E_APP_PID" || e2e_fail "Exit did not end the program"
status=0
wait "$E2E_APP_PID" || status=$?
[ "$status" -eq 0 ] || e2e_fail "the program ended with status $status"
gone() { ! registered && ! icon_in_panel >/dev/null; }
e2e_wait 10 gone || e2e_fail "the icon is still in the panel: $(e2e_sni_items)"
e2e_screenshot e2e-tray-sni-after-exit
e2e_log "PASS"
