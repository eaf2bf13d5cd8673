#!/usr/bin/env bash
# Runs the program-side clock and password benchmark inside a private network namespace on loopback and prints a
# JSON array: 1,000 simulated ONVIF devices answering each request in 20 ms, listed with their clocks, then a time
# batch and a password batch through the program's batch with 64 workers, and the GUI thread's longest stall.
# Usage: bench/run_siteops.sh [build-dir] [repeats] [workers]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repeats=${2:-3}
workers=${3:-64}
bin="$build/bin"
[ -x "$bin/vexa_bench_siteops" ] || {
    echo "build first: cmake --build $build --target vexa_bench_siteops" >&2
    exit 1
}
export VEXA_IFACE=127.0.0.1 VEXA_BIN_DIR="$bin"
port=44980
echo "["
for r in $(seq 1 "$repeats"); do
    port=$((port + 2))
    line=$(VEXA_PORT=$port VEXA_WSD_PORT=$((port + 1)) bash scripts/netns.sh "$bin/vexa_bench_siteops" \
        --count 1000 --delay 20 --workers "$workers" 2>/dev/null) || true
    [ "$r" -eq 1 ] || echo ","
    printf '  %s' "$line"
done
echo
echo "]"
