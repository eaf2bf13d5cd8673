#!/usr/bin/env bash
# Runs the inventory benchmark inside a private network namespace on loopback and prints a JSON array: 1,000
# simulated ONVIF devices with two profiles each, answering each request in D ms, their media read on W threads.
# Usage: bench/run_inventory.sh [build-dir] [repeats] [delay-ms] [worker counts...]
# bench/run_inventory_gui.sh runs the program's export through this script (bench, first_port, bench_args).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repeats=${2:-3}
delay=${3:-20}
shift 3 || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(64)
bin="$build/bin"
bench=${bench:-vexa_bench_inventory}
read -r -a extra <<<"${bench_args---window 30}"
[ -x "$bin/$bench" ] || { echo "build first: cmake --build $build --target $bench" >&2; exit 1; }
export VEXA_IFACE=127.0.0.1 VEXA_BIN_DIR="$bin" QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="vexa.discovery.debug=false"
port=${first_port:-45950}
first=1
echo "["
for workers in "${counts[@]}"; do
    for _ in $(seq 1 "$repeats"); do
        port=$((port + 2))
        line=$(VEXA_PORT=$port VEXA_WSD_PORT=$((port + 1)) bash scripts/netns.sh "$bin/$bench" \
            --count 1000 --delay "$delay" --workers "$workers" "${extra[@]}" 2>/dev/null)
        [ $first -eq 1 ] || echo ","
        first=0
        printf '  %s' "$line"
    done
done
echo
echo "]"
