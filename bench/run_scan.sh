#!/usr/bin/env bash
# The scan benchmark on the routed site (scripts/routed-site.sh): N devices behind the router in 10.2.0.0/16, half
# ours from 10.2.0.10, half ONVIF from 10.2.128.10, and a scan of the whole /16 from the laptop at each rate given;
# loss makes the simulator lose that share of datagrams each way; IN_FLIGHT sets the scan's bound (0: default).
# Prints a JSON array.
# usage: bench/run_scan.sh [build-dir] [devices] [loss] [range] [rates...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
devices=${2:-1000}
loss=${3:-0}
range=${4:-10.2.0.0/16}
shift 4 || true
rates=("$@")
[ ${#rates[@]} -gt 0 ] || rates=(0)
[ -x "$build/bin/vexa_bench_scan" ] || { echo "build first: ninja -C $build vexa_bench_scan vexa-devsim" >&2; exit 1; }
if [ "${VEXA_SITE_CAMERAS:-}" = "" ]; then
    exec bash scripts/netns.sh bash scripts/routed-site.sh bash "$0" "$build" "$devices" "$loss" "$range" "${rates[@]}"
fi
work=$(mktemp -d)
export VEXA_PORT=47411 VEXA_WSD_PORT=47412 VEXA_ONVIF_WORKERS=16
$VEXA_SITE_CAMERAS env VEXA_IFACE=10.9.0.2 "$build/bin/vexa-devsim" --count $((devices / 2)) --bind-base 10.2.0.10 \
    --onvif $((devices - devices / 2)) --onvif-base 10.2.128.10 --onvif-http-port 47413 --wsd-port $VEXA_WSD_PORT \
    --loss "$loss" --no-boot-announce --dump "$work/dump" 2>"$work/devsim.log" &
sim=$!
for _ in $(seq 300); do [ -s "$work/dump.onvif" ] && break; sleep 0.1; done
echo "["
first=1
for rate in "${rates[@]}"; do
    line=$("$build/bin/vexa_bench_scan" --range "$range" --rate "$rate" --in-flight "${IN_FLIGHT:-0}")
    [ $first -eq 1 ] || echo ","
    first=0
    printf '  {"devices":%s,"loss":%s,"load":"%s",%s' "$devices" "$loss" "$(cut -d' ' -f1-3 /proc/loadavg)" "${line#\{}"
done
echo
echo "]"
kill "$sim"
wait "$sim" 2>/dev/null || true
rm -rf "$work"
