#!/usr/bin/env bash
# What confirming devices costs discovery: 10,000 verified devices found by two builds in one run, alternating,
# usually the build before devices sign their answers over the inquiry's id and the build after. Reports, per
# run, the time to the last device listed and to the last one confirmed, and the answers per device.
# Usage: bench/run_confirm.sh before-build after-build [repeats]
before=${1:?usage: bench/run_confirm.sh before-build after-build [repeats]}
after=${2:?usage: bench/run_confirm.sh before-build after-build [repeats]}
first_port=47300
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh" "$after" "${3:-5}"
for b in "$before" "$after"; do
    [ -x "$b/bin/vexa_bench_discovery" ] || { echo "build first: cmake --build $b" >&2; exit 1; }
done
echo "["
for loss in 0 0.1; do
    for r in $(seq 1 "$repeats"); do
        for b in "$before" "$after"; do
            bin="$b/bin" wrap="{\"build\":\"$b\",\"run\":$r,\"result\":%s}" \
                run_bench VEXA_BIN_DIR="$b/bin" -- --count 10000 --loss $loss --trusted --window 4
        done
    done
done
echo
echo "]"
