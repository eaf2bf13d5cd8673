#!/usr/bin/env bash
# Runs the program-side clock and password benchmark inside a private network namespace on loopback and prints a
# JSON array: 1,000 simulated ONVIF devices answering each request in 20 ms, listed with their clocks, then a time
# batch and a password batch through the program's batch with 64 workers, and the GUI thread's longest stall.
# Usage: bench/run_siteops.sh [build-dir] [repeats] [workers]
bench=vexa_bench_siteops first_port=44980 exec bash "$(dirname "$0")/run_onvif_clock.sh" "$@"
