# A private system bus for tests of the clock helper: dbus-daemon with the helper's own bus policy
# on top of the rules a system bus has (nobody may own a name unless a policy says so; root may),
# the helper started by the bus on the first request (as installed, but the build's program), and
# polkit as python-dbusmock's polkitd template. Source it from a bash script; everything runs
# without the power to set the clock, and the helper steps the virtual clock of
# $HORALUX_CLOCK_FILE, which must be set (and exported) before bus_start.
#
#   bus_start DIR BIN_DIR SRC_DIR    the bus (DBUS_SYSTEM_BUS_ADDRESS exported); its PID in BUS_PID
#   bus_start_polkit                 the polkit mock; its PID in BUS_POLKIT_PID (denies everything)
#   bus_allow ACTION...              polkit allows these actions from now on (none: denies all)
#   bus_call_step OFFSET_US          asks the helper with busctl (prints its error, if any)
#
# The caller stops BUS_POLKIT_PID and BUS_PID by PID when it ends; the helper the bus started
# ends with the bus (or after 30 s without a request). Its log lines go to DIR/bus.log.

BUS_NOCAP=()
if [ "$(id -u)" -eq 0 ]; then
    BUS_NOCAP=(capsh --drop=cap_sys_time -- -c 'exec "$@"' bus)
fi

bus_wait() {
    local i
    for ((i = 0; i < 100; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

bus_start() {
    local dir="$1" bin="$2" src="$3"
    mkdir -p "$dir/services"
    chmod 755 "$dir"
    printf '[D-BUS Service]\nName=example.quorvane.Horalux.Clock1\nExec=%s --log-stderr\n' \
        "$bin/horalux-clockd" >"$dir/services/example.quorvane.Horalux.Clock1.service"
    # The rules of Debian's system bus that matter here, then the helper's policy as packaged.
    cat >"$dir/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$dir/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$dir/services</servicedir>
  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/>
    <allow send_destination="org.freedesktop.DBus"
           send_interface="org.freedesktop.DBus.Introspectable"/>
  </policy>
  <policy user="root">
    <allow own="org.freedesktop.PolicyKit1"/>
    <allow send_destination="*"/>
  </policy>
  <include>$src/packaging/clockd/example.quorvane.Horalux.Clock1.conf</include>
</busconfig>
CONF
    # The helper it starts inherits its environment: the bus address and the virtual clock.
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$dir/system_bus_socket"
    "${BUS_NOCAP[@]}" dbus-daemon --config-file="$dir/bus.conf" --nofork --nopidfile \
        >"$dir/bus.log" 2>&1 &
    BUS_PID=$!
    bus_wait busctl --system status || return 1
    chmod 777 "$dir/system_bus_socket"  # other users may connect, as to the real one
    BUS_DIR="$dir"
}

bus_start_polkit() {
    /usr/bin/python3 -m dbusmock --system --template polkitd >"$BUS_DIR/polkit.log" 2>&1 &
    BUS_POLKIT_PID=$!
    bus_wait busctl --system status org.freedesktop.PolicyKit1
}

bus_allow() {
    busctl --system call org.freedesktop.PolicyKit1 /org/freedesktop/PolicyKit1/Authority \
        org.freedesktop.DBus.Mock SetAllowed as "$#" "$@" >/dev/null
}

bus_call_step() {
    busctl --system call example.quorvane.Horalux.Clock1 /example/quorvane/Horalux/Clock1 \
        example.quorvane.Horalux.Clock1 StepClock x "$1" 2>&1
}
