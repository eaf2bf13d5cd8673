#!/usr/bin/env bash
# A client we did not write reads the stream addresses of the simulated ONVIF devices, and `vexa inventory --json`
# must list the same ones: as given (the devices name an address behind a NAT) and at the address they are reached
# at. Runs in a network namespace of its own, as onvif_util_check.sh does and for the same reasons.
# Exit 77: skipped (no onvif-util, or no namespace can be made here).
set -euo pipefail
devsim="$1"
vexa="$2"
if ! command -v onvif-util >/dev/null 2>&1; then
    echo "onvif-util is not installed (package onvif-tools)"
    exit 77
fi
if [ "${VEXA_ONVIF_CHECK_NS:-0}" != "1" ]; then
    for flags in "--net" "--net --map-root-user"; do
        # shellcheck disable=SC2086
        if unshare $flags true 2>/dev/null; then
            # shellcheck disable=SC2086
            exec unshare $flags env VEXA_ONVIF_CHECK_NS=1 bash "$0" "$@"
        fi
    done
    echo "no private network namespace here"
    exit 77
fi

ip link set lo up
ip link set lo multicast on
ip addr add 127.138.255.254/32 dev lo
ip route add 239.255.255.250/32 dev lo

work=$(mktemp -d)
sim=""
cleanup() {
    if [ -n "$sim" ]; then
        kill -TERM "$sim" 2>/dev/null || true
        wait "$sim" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

VEXA_IFACE=127.0.0.1 VEXA_PORT=43995 "$devsim" --count 0 --onvif 2 --onvif-base 127.138.0.1 \
    --onvif-quirks internal-uri --state "$work/state" &
sim=$!
for _ in $(seq 50); do
    [ -s "$work/state.onvif" ] && break
    sleep 0.1
done

theirs=$(printf 'get rtsp 0\nget rtsp 1\n' | timeout 15 onvif-util -u admin -p Camera-2024 127.138.0.2 |
    grep -o 'rtsp://[^ ]*') || true
echo "onvif-util: $theirs"
[ "$(wc -l <<<"$theirs")" = 2 ] || fail "onvif-util did not read two stream addresses"

VEXA_IFACE=127.0.0.1 VEXA_PORT=43996 VEXA_PASSWORD=Camera-2024 \
    "$vexa" inventory --json --user admin --seconds 2 >"$work/inventory.json" || fail "vexa inventory failed"
ours=$(python3 - "$work/inventory.json" <<'PY'
import json, sys
for row in json.load(open(sys.argv[1])):
    if row["Address"] == "127.138.0.2":
        print(row["Stream URI Given"], row["Stream URI"])
PY
)
echo "vexa: $ours"
while read -r uri; do
    reached=${uri/192.168.0.2/127.138.0.2}
    grep -qxF "$uri $reached" <<<"$ours" || fail "vexa inventory does not list $uri (at $reached)"
done <<<"$theirs"
echo "the same stream addresses"
