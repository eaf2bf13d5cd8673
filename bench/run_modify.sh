#!/usr/bin/env bash
# Runs the batch-modification benchmark (256 devices, 200 ms of device time per change, 1, 8 and 32 worker
# threads) inside a private network namespace on loopback, and prints a JSON array.
# Usage: bench/run_modify.sh [build-dir] [devices] [apply-delay-ms]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
count=${2:-256}
delay=${3:-200}
bin="$build/bin"
[ -x "$bin/vexa_bench_modify" ] || { echo "build first: cmake --build $build --target vexa_bench_modify" >&2; exit 1; }
export VEXA_IFACE=127.0.0.1 VEXA_BIN_DIR="$bin" VEXA_PORT=44980 QT_QPA_PLATFORM=offscreen
echo "["
bash scripts/netns.sh "$bin/vexa_bench_modify" --count "$count" --threads 1,8,32 --apply-delay "$delay" 2>/dev/null \
    | grep '^{' | sed -e 's/^/  /' -e '$!s/$/,/'
echo "]"
