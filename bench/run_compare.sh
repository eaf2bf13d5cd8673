#!/usr/bin/env bash
# Verified discovery of 10,000 devices by two builds, alternating run by run so that both meet the same load:
# usually the build before a change and the build after it. Five runs each at 0 % and 10 % loss, then the
# unverified case by the second build for reference. Prints a JSON array.
# Usage: bench/run_compare.sh before-build after-build [repeats]
before=${1:?usage: bench/run_compare.sh before-build after-build [repeats]}
after=${2:?usage: bench/run_compare.sh before-build after-build [repeats]}
first_port=46900
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh" "$after" "${3:-5}"
for b in "$before" "$after"; do
    [ -x "$b/bin/vexa_bench_discovery" ] || { echo "build first: cmake --build $b" >&2; exit 1; }
done
echo "["
for loss in 0 0.1; do
    for _ in $(seq 1 "$repeats"); do
        for b in "$before" "$after"; do
            bin="$b/bin" wrap="{\"build\":\"$b\",\"run\":%s}" run_bench VEXA_BIN_DIR="$b/bin" -- \
                --count 10000 --loss $loss --trusted --window 4
        done
    done
done
for _ in $(seq 1 "$repeats"); do
    wrap="{\"build\":\"$after\",\"run\":%s}" run_bench -- --count 10000 --loss 0.1 --window 4
done
echo
echo "]"
