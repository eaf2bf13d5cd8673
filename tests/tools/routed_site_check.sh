#!/usr/bin/env bash
# Both sides of a router, run by scripts/routed-site.sh in its laptop namespace: multicast discovery hears none of
# the cameras behind it, a scan of their /24 lists every one on both protocols with the ONVIF details read after
# sign-in, says why for the addresses that gave nothing, and devices it found take a change and a plan: ONVIF
# devices over HTTP, ours at their own addresses (activation, a change that moves one, a plan).
# usage: routed-site.sh routed_site_check.sh VEXA DEVSIM KEYTOOL
set -euo pipefail
vexa=$1
devsim=$2
keytool=$3
work=$(mktemp -d)
ours=6
onvif=4
export VEXA_PORT=47311 VEXA_WSD_PORT=47312 VEXA_PASSWORD=Camera-2024 HOME=$work XDG_CACHE_HOME=$work XDG_DATA_HOME=$work
pids=()
finish() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Our devices carry certificates of the test manufacturer: trusted here, so that they may be sent a secret.
VEXA_TRUSTED_KEYS=$("$keytool" pubkey --test 2>/dev/null)
export VEXA_TRUSTED_KEYS
$VEXA_SITE_CAMERAS env VEXA_IFACE=10.9.0.2 VEXA_SIM_CHEAP_HASH=1 "$devsim" --count $ours --bind-base 10.2.0.10 \
    --onvif $onvif --onvif-base 10.2.0.100 --onvif-http-port 47313 --wsd-port $VEXA_WSD_PORT --dump "$work/dump" \
    --state "$work/state" 2>"$work/devsim.log" &
pids+=($!)
# Something that answers WS-Discovery with nonsense: it echoes what it gets.
$VEXA_SITE_CAMERAS python3 -c '
import socket
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("10.2.0.200", 47312))
while True:
    data, peer = s.recvfrom(65536)
    s.sendto(data, peer)
' &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/dump.onvif" ] && break; sleep 0.1; done
[ -s "$work/dump.onvif" ] || fail "the simulator did not start: $(cat "$work/devsim.log")"

"$vexa" discover --json --seconds 3 >"$work/plain.json" 2>"$work/plain.log"
[ "$(grep -c '"10\.2\.' "$work/plain.json" || true)" = 0 ] || fail "multicast crossed the router: $(cat "$work/plain.json")"

"$vexa" discover --json --range 10.2.0.0/24,10.1.0.1 --why --seconds 3 --user admin >"$work/scan.json" 2>"$work/scan.log"
python3 - "$work/scan.json" "$work/dump" $ours $onvif <<'PY' || fail "scan: $(cat "$work/scan.log")"
import json, sys
rows = [json.loads(line) for line in open(sys.argv[1])]
dump = open(sys.argv[2]).read() + open(sys.argv[2] + ".onvif").read()
ours = [r for r in rows if r["protocol"] == "vexa"]
onvif = [r for r in rows if r["protocol"] == "onvif"]
assert len(ours) == int(sys.argv[3]), ours
assert len(onvif) == int(sys.argv[4]), onvif
for r in rows:
    assert r["ipv4Address"].startswith("10.2.0."), r
    assert r["source"] == "scan", r
    assert "serial=" + r["serialNo"] in dump or "serial=" + r["serialNo"] + "\t" in dump, r
for r in onvif:
    assert r["details"] == "read", r
PY
grep -Eq "10\.1\.0\.1 +port closed" "$work/scan.log" || fail "no port closed for the router: $(cat "$work/scan.log")"
grep -Eq "10\.2\.0\.200 +answered, but not a camera" "$work/scan.log" || fail "no 'not a camera': $(cat "$work/scan.log")"
grep -q "scanned 255 addresses: $((ours + onvif)) found" "$work/scan.log" || fail "summary: $(cat "$work/scan.log")"

"$vexa" set-network 10.2.0.101 --name "Scanned 2" --range 10.2.0.101 --user admin --seconds 2 >"$work/set.log" 2>&1 ||
    fail "set-network: $(cat "$work/set.log")"
for _ in $(seq 50); do grep -q "name/Scanned%202" "$work/dump.onvif" && break; sleep 0.1; done
grep -q "name/Scanned%202" "$work/dump.onvif" || fail "the change did not reach the device: $(cat "$work/set.log")"
"$vexa" discover --csv --range 10.2.0.102 --user admin --seconds 2 >"$work/all.csv" 2>"$work/csv.log"
{ head -1 "$work/all.csv"; grep ",10\.2\.0\.102," "$work/all.csv" | sed 's/,Camera 3,/,Planned 3,/'; } >"$work/plan.csv"
[ "$(wc -l <"$work/plan.csv")" = 2 ] || fail "no plan row: $(cat "$work/all.csv" "$work/csv.log")"
"$vexa" apply-plan "$work/plan.csv" --range 10.2.0.102 --user admin --seconds 2 >"$work/plan.log" 2>&1 ||
    fail "apply-plan: $(cat "$work/plan.log")"
for _ in $(seq 50); do grep -q "name/Planned%203" "$work/dump.onvif" && break; sleep 0.1; done
grep -q "name/Planned%203" "$work/dump.onvif" || fail "the plan did not reach the device: $(cat "$work/plan.log")"

# Ours: each row a command through vexa --range (the password, the device's serial number, what its saved state
# must then hold, the command). Every request goes to the device's address and its answer comes back from there;
# the one that moves the device is answered from its new address. field: the value of one field of the first
# device in the dump whose line matches.
field() {
    awk -F'\t' -v want="$1" -v key="$2=" '$0 ~ want {
        for (i = 1; i <= NF; ++i) if (index($i, key) == 1) { print substr($i, length(key) + 1); exit }
    }' "$work/dump"
}
inactive=$(field "activation=1" serial)
moved=$(field "activation=0" serial)
planned=$(awk -F'\t' '/activation=0/ { n++; if (n == 2) { sub("serial=", "", $1); print $1; exit } }' "$work/dump")
moved_mac=$(field "serial=$moved" mac)
moved_state="ipv4=10.2.0.60[[:space:]].*name=Moved-1"
[ -n "$inactive" ] && [ -n "$moved_mac" ] && [ -n "$planned" ] || fail "the fleet lacks a device to activate or change"
"$vexa" discover --csv --range 10.2.0.10-10.2.0.15 --seconds 2 >"$work/ours-all.csv" 2>"$work/ours-csv.log"
awk -F, -v OFS=, -v serial="$planned" 'NR == 1 || $1 == serial { if (NR > 1) $6 = "Planned-2"; print }' \
    "$work/ours-all.csv" >"$work/ours.csv"
[ "$(wc -l <"$work/ours.csv")" = 2 ] || fail "no plan row for $planned: $(cat "$work/ours-all.csv" "$work/ours-csv.log")"
rows=(
    "Admin-Pass-2024|$inactive|activation=0|activate $inactive"
    # Every address of the camera subnet refuses TCP here, which the address check takes for a host: not asked.
    "Install-2024|$moved|$moved_state|set-network $moved_mac --ipv4 10.2.0.60 --name Moved-1 --no-address-check"
    "Install-2024|$planned|name=Planned-2|apply-plan $work/ours.csv"
)
for row in "${rows[@]}"; do
    IFS='|' read -r password serial expect command <<<"$row"
    # shellcheck disable=SC2086 # the command's words
    VEXA_PASSWORD=$password "$vexa" $command --range 10.2.0.10-10.2.0.15 --seconds 2 >"$work/row.log" 2>&1 ||
        fail "$command: $(cat "$work/row.log")"
    grep -q "^serial=$serial[[:space:]].*$expect" "$work/state" ||
        fail "$command: the saved state lacks $expect: $(grep "^serial=$serial" "$work/state") $(cat "$work/row.log")"
done
echo "routed site: 0 across the router by multicast, $ours + $onvif by scan, changes and plans applied to both"
