#!/usr/bin/env bash
# Runs the discovery benchmark for N = 100, 1,000 and 10,000 devices at 0 % and 10 % loss, inside a private
# network namespace on loopback, and prints a JSON array. Usage: bench/run.sh [build-dir] [repeats]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repeats=${2:-3}
bin="$build/bin"
[ -x "$bin/vexa_bench_discovery" ] || { echo "build first: cmake --build $build" >&2; exit 1; }
export VEXA_IFACE=127.0.0.1 VEXA_BIN_DIR="$bin"
port=44900
first=1
echo "["
for n in 100 1000 10000; do
    for loss in 0 0.1; do
        for r in $(seq 1 "$repeats"); do
            port=$((port + 1))
            line=$(VEXA_PORT=$port bash scripts/netns.sh "$bin/vexa_bench_discovery" --count "$n" --loss "$loss" \
                --window 6)
            [ $first -eq 1 ] || echo ","
            first=0
            printf '  %s' "$line"
        done
    done
done
echo
echo "]"
