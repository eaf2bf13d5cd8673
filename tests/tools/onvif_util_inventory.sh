#!/usr/bin/env bash
# A client we did not write reads the stream addresses of the simulated ONVIF devices, and `vexa inventory --json`
# must list the same ones: as given (the devices name an address behind a NAT) and at the address they are reached
# at. Runs in a network namespace of its own, as onvif_util_check.sh does and for the same reasons.
# Exit 77: skipped (no onvif-util, or no namespace can be made here).
set -euo pipefail
devsim="$1"
vexa="$2"
# shellcheck source=tests/tools/onvif_util_stage.sh
source "$(dirname "$0")/onvif_util_stage.sh"
onvif_util_stage 127.138.255.254 "$@"

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
