#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A routed test site inside the private network namespace of scripts/netns.sh: a laptop in 10.1.0.0/24, a router
# that forwards unicast and no multicast, and a camera namespace that owns every address of 10.2.0.0/16, joined
# by veth pairs. Runs COMMAND in the laptop namespace with
#   VEXA_IFACE=10.1.0.2                     the laptop's address
#   VEXA_SITE_CAMERAS="ip netns exec ..."   prefix that runs a command among the cameras (vexa-devsim there)
#   VEXA_SITE_ROUTER="ip netns exec ..."    the same for the router
#   VEXA_SITE_ROUTER_ADDRESS=10.1.0.1       the router, as the laptop sees it
# Every address is one this script creates; the machine's own interfaces are never touched: the script refuses to
# run outside the private namespace. The namespace names live in a mount namespace of their own and go with it.
# usage: bash scripts/netns.sh bash scripts/routed-site.sh COMMAND [ARGS...]
set -euo pipefail

if [ "${VEXA_IN_NETNS:-0}" != "1" ]; then
    echo "routed-site.sh: runs only inside scripts/netns.sh; skipped" >&2
    exit 77
fi
if [ "$(id -u)" != "0" ] || ! command -v ip >/dev/null; then
    echo "routed-site.sh: needs root in the private namespace and iproute2; skipped" >&2
    exit 77
fi
if [ "${VEXA_SITE_MOUNTS:-0}" != "1" ]; then
    exec unshare --mount env VEXA_SITE_MOUNTS=1 bash "$0" "$@"
fi
mount --make-rprivate /
mkdir -p /run/netns
mount -t tmpfs tmpfs /run/netns

suffix=$$
laptop=vexa-laptop-$suffix
router=vexa-router-$suffix
cameras=vexa-cameras-$suffix
cleanup() {
    for ns in "$laptop" "$router" "$cameras"; do ip netns del "$ns" 2>/dev/null || true; done
}
trap cleanup EXIT

for ns in "$laptop" "$router" "$cameras"; do
    ip netns add "$ns"
    ip -n "$ns" link set lo up
done
ip link add vl0 netns "$laptop" type veth peer name vr0 netns "$router"
ip link add vr1 netns "$router" type veth peer name vc0 netns "$cameras"

ip -n "$laptop" addr add 10.1.0.2/24 dev vl0
ip -n "$laptop" link set vl0 up multicast on
ip -n "$laptop" route add default via 10.1.0.1

ip -n "$router" addr add 10.1.0.1/24 dev vr0
ip -n "$router" addr add 10.9.0.1/30 dev vr1
ip -n "$router" link set vr0 up
ip -n "$router" link set vr1 up
ip -n "$router" route add 10.2.0.0/16 via 10.9.0.2
# Unicast is forwarded; multicast is not (no multicast routing), as on a site whose router keeps the subnets apart.
ip netns exec "$router" sysctl -qw net.ipv4.ip_forward=1

ip -n "$cameras" addr add 10.9.0.2/30 dev vc0
ip -n "$cameras" link set vc0 up multicast on
ip -n "$cameras" route add default via 10.9.0.1
# Every address of the camera subnet is local here, so each simulated device is a host of its own.
ip -n "$cameras" route add local 10.2.0.0/16 dev lo

export VEXA_IFACE=10.1.0.2
export VEXA_SITE_CAMERAS="ip netns exec $cameras"
export VEXA_SITE_ROUTER="ip netns exec $router"
export VEXA_SITE_ROUTER_ADDRESS=10.1.0.1
set +e
ip netns exec "$laptop" "$@"
status=$?
exit $status
