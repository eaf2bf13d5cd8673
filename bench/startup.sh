#!/usr/bin/env bash
# Start-up to the main window shown, offscreen, as whole processes: runs vexa_bench_startup (the program's
# start-up steps, then exit once the window is exposed) several times inside a private network namespace on
# loopback and prints JSON with every run's wall time and the median. Usage: bench/startup.sh [build-dir] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-11}
bin="$build/bin"
[ -x "$bin/vexa_bench_startup" ] || { echo "build first: cmake --build $build --target vexa_bench_startup" >&2; exit 1; }
if [ "${VEXA_IN_NETNS:-0}" != "1" ]; then
    exec bash scripts/netns.sh bash bench/startup.sh "$build" "$runs"
fi
# A 1920 x 1080 screen: the default offscreen screen is too small and would make the start-up ask first.
export VEXA_IFACE=127.0.0.1 VEXA_PORT=${VEXA_PORT:-44870} QT_QPA_PLATFORM="offscreen:configfile=$PWD/bench/offscreen-1920x1080.json"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# One run to warm the file cache, not counted.
"$bin/vexa_bench_startup" >/dev/null 2>&1
walls=()
inside=()
for i in $(seq 1 "$runs"); do
    start=$(date +%s%N)
    "$bin/vexa_bench_startup" >"$tmp/out" 2>/dev/null
    end=$(date +%s%N)
    walls+=("$(( (end - start) / 1000 ))")
    inside+=("$(sed -n 's/.*"in_main_ms":\([0-9.]*\).*/\1/p' "$tmp/out")")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
wall_median_us=$(median "${walls[@]}")
printf '{"benchmark":"startup","runs":%d,"wall_ms":[%s],"wall_median_ms":%.1f,"in_main_ms":[%s],"in_main_median_ms":%s}\n' \
    "$runs" "$(printf '%s\n' "${walls[@]}" | awk '{ printf "%s%.1f", (NR > 1 ? "," : ""), $1 / 1000 }')" \
    "$(awk -v m="$wall_median_us" 'BEGIN { print m / 1000 }')" \
    "$(IFS=,; echo "${inside[*]}")" "$(median "${inside[@]}")"
