#!/usr/bin/env bash
# Runs the discovery benchmark inside a private network namespace on loopback and prints a JSON array:
# 1,000 and 10,000 devices at 0 % and 10 % loss, with every announcement verified (--trusted) and without, and
# the inquiry floods against 1,000 devices. Usage: bench/run.sh [build-dir] [repeats]
first_port=44900
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh"
echo "["
for config in "--count 1000 --loss 0" "--count 1000 --loss 0.1" "--count 10000 --loss 0" "--count 10000 --loss 0.1"; do
    for trust in "" "--trusted"; do
        for _ in $(seq 1 "$repeats"); do
            # shellcheck disable=SC2086
            run_bench -- $config $trust --window 4
        done
    done
done
for _ in $(seq 1 "$repeats"); do
    run_bench -- --count 1000 --flood 2000 --window 1
    run_bench -- --count 1000 --flood 20000 --flood-seconds 5 --window 1
    run_bench -- --count 1000 --flood 20 --flood-seconds 5 --window 1
done
echo
echo "]"
