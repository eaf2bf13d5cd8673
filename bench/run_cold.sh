#!/usr/bin/env bash
# A fleet of 10,000 verified devices seen for the first time, against the floor the signature checks set on this
# machine. Prints a JSON array: the signature checks alone (vexa_bench_verify, 1 thread and every core), then, run by
# run alternating, discovery with no verdicts kept ("cold") with the default verifier threads and with none (the
# reader verifying alone), with the verdicts kept by an earlier run ("warm"), and unverified, all at 0 % loss.
# Usage: bench/run_cold.sh [build-dir] [repeats]
first_port=47900
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh" "${1:-build}" "${2:-5}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
echo "["
while read -r line; do
    [ "$first" -eq 1 ] || echo ","
    first=0
    printf '  {"case":"signature-checks-alone","result":%s}' "$line"
done < <("$bin/vexa_bench_verify" --count 3000)
# The warm runs' file: kept by one run over the same fleet, not measured.
wrap="" run_bench -- --count 10000 --trusted --window 4 --verdicts "$scratch/warm" >/dev/null
for r in $(seq 1 "$repeats"); do
    wrap="{\"case\":\"cold\",\"run\":$r,\"result\":%s}" \
        run_bench -- --count 10000 --trusted --window 4 --verdicts "$scratch/cold-$r"
    wrap="{\"case\":\"cold-reader-only\",\"run\":$r,\"result\":%s}" \
        run_bench VEXA_VERIFIERS=0 -- --count 10000 --trusted --window 4 --verdicts "$scratch/cold0-$r"
    wrap="{\"case\":\"warm\",\"run\":$r,\"result\":%s}" \
        run_bench -- --count 10000 --trusted --window 4 --verdicts "$scratch/warm"
    wrap="{\"case\":\"unverified\",\"run\":$r,\"result\":%s}" run_bench -- --count 10000 --window 4
done
echo
echo "]"
