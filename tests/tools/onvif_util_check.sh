#!/usr/bin/env bash
# A client we did not write checks the simulated ONVIF devices: the Debian onvif-util finds them by WS-Discovery,
# logs in with a UsernameToken, reads name, serial and network settings, changes the gateway and turns DHCP on;
# the simulator's saved state must then show both. Runs in a network namespace of its own, because onvif-util
# needs a second loopback address (it skips 127.0.0.1) and a multicast route; nothing is changed outside it.
# Exit 77: skipped (no onvif-util, or no namespace can be made here).
set -euo pipefail
devsim="$1"
# shellcheck source=tests/tools/onvif_util_stage.sh
source "$(dirname "$0")/onvif_util_stage.sh"
onvif_util_stage 127.42.255.254 "$@"

VEXA_IFACE=127.0.0.1 VEXA_PORT=43990 "$devsim" --count 0 --onvif 3 --onvif-base 127.42.0.1 --reply-delay 0:50 \
    --onvif-reboot-delay 500 --state "$work/state" &
sim=$!
for _ in $(seq 50); do
    [ -s "$work/state.onvif" ] && break
    sleep 0.1
done
field() { # field DEVICE_ADDRESS NAME: a field of the device's line in the saved state
    grep -P "\tipv4=$1\t" "$work/state.onvif" | tr '\t' '\n' | sed -n "s/^$2=//p"
}
serial=$(field 127.42.0.2 serial)
[ -n "$serial" ] || fail "no saved state"

found=$(timeout 20 onvif-util -a) || true
echo "$found"
grep -q "Found 3 cameras" <<<"$found" || fail "onvif-util -a did not find the 3 devices"
for n in 1 2 3; do
    grep -q "^127.42.0.$n cam-000$n(Camera $n " <<<"$found" || fail "device 127.42.0.$n not listed by address, host and name"
done

session=$(printf 'get network\nset default_gateway 127.42.0.200\nget network\nset dhcp on\n' |
    timeout 30 onvif-util -u admin -p Camera-2024 127.42.0.2) || true
echo "$session"
grep -q "name:   Camera 2 " <<<"$session" || fail "name not read"
grep -q "serial: $serial" <<<"$session" || fail "serial not read"
grep -q "IP Address: 127.42.0.2" <<<"$session" || fail "address not read"
grep -q "Gateway:    127.42.0.254" <<<"$session" || fail "gateway not read"
grep -q "Gateway:    127.42.0.200" <<<"$session" || fail "gateway not read back after the change"
grep -q "DHCP was enabled successfully" <<<"$session" || fail "DHCP not enabled"

# onvif-util reboots the device for the DHCP change; it comes back after the reboot delay.
for _ in $(seq 50); do
    [ "$(field 127.42.0.2 dhcp)" = "1" ] && break
    sleep 0.1
done
[ "$(field 127.42.0.2 gateway)" = "127.42.0.200" ] || fail "state does not show the new gateway"
[ "$(field 127.42.0.2 dhcp)" = "1" ] || fail "state does not show DHCP"
sleep 1
again=$(timeout 20 onvif-util -a) || true
grep -q "Found 3 cameras" <<<"$again" || fail "the device did not come back after its reboot"

refused=$(printf 'quit\n' | timeout 20 onvif-util -u admin -p not-the-password 127.42.0.1 || true)
echo "$refused"
grep -q "NotAuthorized" <<<"$refused" || fail "a wrong password was not refused"
echo "onvif-util agrees with the simulator"
