# shellcheck shell=bash
# Sourced by the discovery benchmark scripts: the build folder and repeat count from their arguments, the
# loopback pin, and a JSON array printer. The sourcing script sets first_port before sourcing.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build}
# shellcheck disable=SC2034 # read by the sourcing scripts
repeats=${2:-5}
bin="$build/bin"
[ -x "$bin/vexa_bench_discovery" ] || { echo "build first: cmake --build $build" >&2; exit 1; }
export VEXA_IFACE=127.0.0.1 VEXA_BIN_DIR="$bin"
port=${first_port:-44900}
first=1

# Runs the discovery benchmark once on a port of its own, inside a private network namespace, with the given
# environment assignments before the "--" and benchmark arguments after it; prints one array element made by
# the format in $wrap ("%s" is the benchmark's JSON object).
run_bench() {
    local env=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do
        env+=("$1")
        shift
    done
    [ $# -gt 0 ] && shift
    port=$((port + 1))
    local line
    line=$(env "${env[@]}" VEXA_PORT=$port bash scripts/netns.sh "$bin/vexa_bench_discovery" "$@" 2>/dev/null)
    [ $first -eq 1 ] || echo ","
    first=0
    # shellcheck disable=SC2059
    printf "  ${wrap:-%s}" "$line"
}
