#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command inside a private network namespace with only loopback up, so that nothing a test or
# demo sends can reach a real network. Where namespaces are not permitted it runs the command as is;
# every test and demo pins the discovery interface to loopback (VEXA_IFACE=127.0.0.1) regardless.
set -euo pipefail
export VEXA_IFACE=127.0.0.1
if [ "${VEXA_IN_NETNS:-0}" != "1" ] && command -v unshare >/dev/null 2>&1 \
    && unshare --net true 2>/dev/null; then
    exec unshare --net env VEXA_IN_NETNS=1 bash -c 'ip link set lo up && ip link set lo multicast on && exec "$@"' bash "$@"
elif [ "${VEXA_IN_NETNS:-0}" != "1" ] && command -v unshare >/dev/null 2>&1 \
    && unshare --net --map-root-user true 2>/dev/null; then
    exec unshare --net --map-root-user env VEXA_IN_NETNS=1 \
        bash -c 'ip link set lo up && ip link set lo multicast on && exec "$@"' bash "$@"
fi
echo "netns.sh: no private network namespace here; running pinned to loopback" >&2
exec "$@"
