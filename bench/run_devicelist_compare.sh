#!/usr/bin/env bash
# The device list of 10,000 devices by two builds in one run, so that both meet the same load: usually the build
# before a change and the build after it. Run by run, alternating, each with the load average at its start.
# Prints a JSON array. Usage: bench/run_devicelist_compare.sh before-build after-build [repeats]
set -euo pipefail
before=${1:?usage: bench/run_devicelist_compare.sh before-build after-build [repeats]}
after=${2:?usage: bench/run_devicelist_compare.sh before-build after-build [repeats]}
repeats=${3:-5}
cd "$(dirname "$0")/.."
for b in "$before" "$after"; do
    [ -x "$b/bin/vexa_bench_devicelist" ] || { echo "build first: ninja -C $b vexa_bench_devicelist vexa-devsim" >&2; exit 1; }
done
port=48900
first=1
echo "["
for r in $(seq 1 "$repeats"); do
    for b in "$before" "$after"; do
        port=$((port + 1))
        load=$(cut -d' ' -f1-3 /proc/loadavg)
        line=$(VEXA_IFACE=127.0.0.1 VEXA_PORT=$port VEXA_BIN_DIR="$b/bin" QT_QPA_PLATFORM=offscreen \
            QT_LOGGING_RULES=vexa.discovery.debug=false \
            bash scripts/netns.sh "$b/bin/vexa_bench_devicelist" --count 10000 2>/dev/null)
        [ $first -eq 1 ] || echo ","
        first=0
        printf '  {"build":"%s","run":%d,"load":"%s","result":%s}' "$b" "$r" "$load" "$line"
    done
done
echo
echo "]"
