# Sourced by the checks that run Debian's onvif-util against the simulator: onvif_util_stage ADDRESS "$@" skips
# (exit 77) without onvif-util or a private network namespace, re-runs the calling script inside a namespace of its
# own, and there brings loopback up with ADDRESS as a second loopback address (onvif-util skips 127.0.0.1) and a
# multicast route; nothing is changed outside it. It gives $work (removed at exit), fail, and stops the simulator
# whose PID the caller puts in $sim.
onvif_util_stage() {
    local address="$1"
    shift
    if ! command -v onvif-util >/dev/null 2>&1; then
        echo "onvif-util is not installed (package onvif-tools)"
        exit 77
    fi
    if [ "${VEXA_ONVIF_CHECK_NS:-0}" != "1" ]; then
        for flags in "--net" "--net --map-root-user"; do
            # shellcheck disable=SC2086
            if unshare $flags true 2>/dev/null; then
                # shellcheck disable=SC2086
                exec unshare $flags env VEXA_ONVIF_CHECK_NS=1 bash "$0" "$@"
            fi
        done
        echo "no private network namespace here"
        exit 77
    fi
    ip link set lo up
    ip link set lo multicast on
    ip addr add "$address/32" dev lo
    ip route add 239.255.255.250/32 dev lo
    work=$(mktemp -d)
    sim=""
    trap onvif_util_cleanup EXIT
}

onvif_util_cleanup() {
    if [ -n "$sim" ]; then
        kill -TERM "$sim" 2>/dev/null || true
        wait "$sim" 2>/dev/null || true
    fi
    rm -rf "$work"
}

fail() {
    echo "FAIL: $*"
    exit 1
}
