#!/usr/bin/env bash
# Runs the clock and password benchmark inside a private network namespace on loopback and prints a JSON array:
# 1,000 simulated ONVIF devices answering each request in 20 ms, a time batch and a password batch with 64 workers.
# Usage: bench/run_onvif_clock.sh [build-dir] [repeats] [workers]
# bench/run_siteops.sh runs the program's side of the same batches through this script (bench and first_port).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repeats=${2:-3}
workers=${3:-64}
bin="$build/bin"
bench=${bench:-vexa_bench_onvif_clock}
[ -x "$bin/$bench" ] || {
    echo "build first: cmake --build $build --target $bench" >&2
    exit 1
}
export VEXA_IFACE=127.0.0.1 VEXA_BIN_DIR="$bin"
port=${first_port:-44970}
echo "["
for r in $(seq 1 "$repeats"); do
    port=$((port + 2))
    line=$(VEXA_PORT=$port VEXA_WSD_PORT=$((port + 1)) bash scripts/netns.sh "$bin/$bench" \
        --count 1000 --delay 20 --workers "$workers" 2>/dev/null) || true
    [ "$r" -eq 1 ] || echo ","
    printf '  %s' "$line"
done
echo
echo "]"
