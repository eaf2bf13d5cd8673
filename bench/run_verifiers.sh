#!/usr/bin/env bash
# Verified discovery with the verification on the socket reader (VEXA_VERIFIERS=0, as before the verifier
# threads) and on the verifier threads (the default), one after the other on the same build, and the unverified
# known-answer case for reference; five runs each. Prints a JSON array. Usage: bench/run_verifiers.sh [build-dir]
# [repeats]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repeats=${2:-5}
bin="$build/bin"
[ -x "$bin/vexa_bench_discovery" ] || { echo "build first: cmake --build $build" >&2; exit 1; }
export VEXA_IFACE=127.0.0.1 VEXA_BIN_DIR="$bin"
port=45900
first=1
run() {
    local verifiers=$1
    shift
    port=$((port + 1))
    line=$(VEXA_VERIFIERS=$verifiers VEXA_PORT=$port bash scripts/netns.sh "$bin/vexa_bench_discovery" "$@" 2>/dev/null)
    [ $first -eq 1 ] || echo ","
    first=0
    printf '  {"verifiers":"%s","run":%s}' "$verifiers" "$line"
}
echo "["
for loss in 0 0.1; do
    for r in $(seq 1 "$repeats"); do
        run 0 --count 10000 --loss $loss --trusted --window 4
        run default --count 10000 --loss $loss --trusted --window 4
    done
done
for r in $(seq 1 "$repeats"); do
    run default --count 10000 --loss 0.1 --window 4
done
echo
echo "]"
