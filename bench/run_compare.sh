#!/usr/bin/env bash
# Discovery of 10,000 devices by two builds in one run, so that both meet the same load: usually the build before a
# change and the build after it. Run by run, alternating: the first build verified; the second verified with no
# kept verdicts ("cold": a verdict file that does not exist yet) and with the verdicts kept by an earlier run
# ("warm"); both unverified. Five runs each at 0 % loss, then the verified ones at 10 % loss. Prints a JSON array.
# Usage: bench/run_compare.sh before-build after-build [repeats]
before=${1:?usage: bench/run_compare.sh before-build after-build [repeats]}
after=${2:?usage: bench/run_compare.sh before-build after-build [repeats]}
first_port=46900
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh" "$after" "${3:-5}"
for b in "$before" "$after"; do
    [ -x "$b/bin/vexa_bench_discovery" ] || { echo "build first: cmake --build $b" >&2; exit 1; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
warm="$scratch/warm-verdicts"
# The warm runs' file: kept by one run over the same fleet, not measured.
bin="$after/bin" wrap="" run_bench -- --count 10000 --trusted --window 4 --verdicts "$warm" >/dev/null
first=1
echo "["
for loss in 0 0.1; do
    for r in $(seq 1 "$repeats"); do
        bin="$before/bin" wrap="{\"build\":\"$before\",\"case\":\"verified\",\"run\":%s}" \
            run_bench VEXA_BIN_DIR="$before/bin" -- --count 10000 --loss $loss --trusted --window 4
        bin="$after/bin" wrap="{\"build\":\"$after\",\"case\":\"verified-cold\",\"run\":%s}" \
            run_bench VEXA_BIN_DIR="$after/bin" -- --count 10000 --loss $loss --trusted --window 4 \
            --verdicts "$scratch/cold-$loss-$r"
        bin="$after/bin" wrap="{\"build\":\"$after\",\"case\":\"verified-warm\",\"run\":%s}" \
            run_bench VEXA_BIN_DIR="$after/bin" -- --count 10000 --loss $loss --trusted --window 4 \
            --verdicts "$warm"
        [ "$loss" = 0 ] || continue
        for b in "$before" "$after"; do
            bin="$b/bin" wrap="{\"build\":\"$b\",\"case\":\"unverified\",\"run\":%s}" \
                run_bench VEXA_BIN_DIR="$b/bin" -- --count 10000 --loss $loss --window 4
        done
    done
done
echo
echo "]"
