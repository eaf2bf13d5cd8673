#!/usr/bin/env bash
# Runs the program's inventory export benchmark inside a private network namespace on loopback and prints a JSON
# array: 1,000 simulated ONVIF devices with two profiles each, answering each request in D ms, read on W workers
# and written as a workbook, with the GUI thread's longest gap.
# Usage: bench/run_inventory_gui.sh [build-dir] [repeats] [delay-ms] [worker counts...]
bench=vexa_bench_inventory_gui first_port=46350 bench_args="" exec bash "$(dirname "$0")/run_inventory.sh" "$@"
