#!/usr/bin/env bash
# Runs the program's inventory export benchmark inside a private network namespace on loopback and prints a JSON
# array: 1,000 simulated ONVIF devices with two profiles each, answering each request in D ms, read on W workers
# and written as a workbook, with the GUI thread's longest gap.
# Usage: bench/run_inventory_gui.sh [build-dir] [repeats] [delay-ms] [worker counts...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repeats=${2:-3}
delay=${3:-20}
shift 3 || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(64)
bin="$build/bin"
[ -x "$bin/vexa_bench_inventory_gui" ] || { echo "build first: cmake --build $build --target vexa_bench_inventory_gui" >&2; exit 1; }
export VEXA_IFACE=127.0.0.1 VEXA_BIN_DIR="$bin" QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="vexa.discovery.debug=false"
port=46350
first=1
echo "["
for workers in "${counts[@]}"; do
    for r in $(seq 1 "$repeats"); do
        port=$((port + 2))
        line=$(VEXA_PORT=$port VEXA_WSD_PORT=$((port + 1)) bash scripts/netns.sh "$bin/vexa_bench_inventory_gui" \
            --count 1000 --delay "$delay" --workers "$workers" 2>/dev/null)
        [ $first -eq 1 ] || echo ","
        first=0
        printf '  %s' "$line"
    done
done
echo
echo "]"
