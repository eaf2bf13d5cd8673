#!/usr/bin/env bash
# Runs the ONVIF benchmark inside a private network namespace on loopback and prints a JSON array: 1,000
# simulated ONVIF devices answering each request in 20 ms, for several numbers of read workers.
# Usage: bench/run_onvif.sh [build-dir] [repeats] [worker counts...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repeats=${2:-3}
shift 2 || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(16 32 48 64 128)
bin="$build/bin"
[ -x "$bin/vexa_bench_onvif" ] || { echo "build first: cmake --build $build --target vexa_bench_onvif" >&2; exit 1; }
export VEXA_IFACE=127.0.0.1 VEXA_BIN_DIR="$bin"
port=44950
first=1
echo "["
for workers in "${counts[@]}"; do
    for r in $(seq 1 "$repeats"); do
        port=$((port + 2))
        line=$(VEXA_PORT=$port VEXA_WSD_PORT=$((port + 1)) bash scripts/netns.sh "$bin/vexa_bench_onvif" \
            --count 1000 --delay 20 --workers "$workers" --window 15 2>/dev/null)
        [ $first -eq 1 ] || echo ","
        first=0
        printf '  %s' "$line"
    done
done
echo
echo "]"
