#!/usr/bin/env bash
# Runs the discovery benchmark inside a private network namespace on loopback and prints a JSON array:
# 1,000 and 10,000 devices at 0 % and 10 % loss, with every announcement verified (--trusted) and without, and
# the inquiry floods against 1,000 devices. Usage: bench/run.sh [build-dir] [repeats]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
repeats=${2:-5}
bin="$build/bin"
[ -x "$bin/vexa_bench_discovery" ] || { echo "build first: cmake --build $build" >&2; exit 1; }
export VEXA_IFACE=127.0.0.1 VEXA_BIN_DIR="$bin"
port=44900
first=1
run() {
    port=$((port + 1))
    line=$(VEXA_PORT=$port bash scripts/netns.sh "$bin/vexa_bench_discovery" "$@" 2>/dev/null)
    [ $first -eq 1 ] || echo ","
    first=0
    printf '  %s' "$line"
}
echo "["
for config in "--count 1000 --loss 0" "--count 1000 --loss 0.1" "--count 10000 --loss 0" "--count 10000 --loss 0.1"; do
    for trust in "" "--trusted"; do
        for r in $(seq 1 "$repeats"); do
            # shellcheck disable=SC2086
            run $config $trust --window 4
        done
    done
done
for r in $(seq 1 "$repeats"); do
    run --count 1000 --flood 2000 --window 1
    run --count 1000 --flood 20000 --flood-seconds 5 --window 1
    run --count 1000 --flood 20 --flood-seconds 5 --window 1
done
echo
echo "]"
