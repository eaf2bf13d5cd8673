#!/usr/bin/env bash
# Verified discovery with the verification on the socket reader (VEXA_VERIFIERS=0, as before the verifier
# threads) and on the verifier threads (the default), one after the other on the same build, and the unverified
# known-answer case for reference; five runs each. Prints a JSON array. Usage: bench/run_verifiers.sh [build-dir]
# [repeats]
first_port=45900
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh"
echo "["
for loss in 0 0.1; do
    for _ in $(seq 1 "$repeats"); do
        wrap='{"verifiers":"0","run":%s}' run_bench VEXA_VERIFIERS=0 -- --count 10000 --loss $loss --trusted --window 4
        wrap='{"verifiers":"default","run":%s}' run_bench -- --count 10000 --loss $loss --trusted --window 4
    done
done
for _ in $(seq 1 "$repeats"); do
    wrap='{"verifiers":"default","run":%s}' run_bench -- --count 10000 --loss 0.1 --window 4
done
echo
echo "]"
