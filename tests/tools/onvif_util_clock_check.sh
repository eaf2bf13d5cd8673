#!/usr/bin/env bash
# vexa set-time and set-password against the simulated ONVIF devices, checked by a client we did not write: the
# Debian onvif-util must read the corrected clock and sign in with the new password, and no longer with the old.
# Runs in a network namespace of its own, as onvif_util_check.sh does (onvif-util needs a second loopback address
# and a multicast route). Exit 77: skipped.
set -euo pipefail
devsim="$1"
vexa="$2"
# shellcheck source=tests/tools/onvif_util_stage.sh
source "$(dirname "$0")/onvif_util_stage.sh"
onvif_util_stage 127.152.255.254 "$@"
export VEXA_IFACE=127.0.0.1 VEXA_PORT=43991 XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"

# Device 2 runs three hours ahead.
"$devsim" --count 0 --onvif 2 --onvif-base 127.152.0.1 --onvif-clock-offset 0,10800 --state "$work/state" &
sim=$!
for _ in $(seq 50); do
    [ -s "$work/state.onvif" ] && break
    sleep 0.1
done

skew() { # the offset onvif-util reads from a device's clock, without its sign
    local out
    out=$(printf 'get time\nquit\n' | timeout 20 onvif-util -u admin -p "$2" "$1" 2>&1) || true
    echo "$out" >&2
    local offset
    offset=$(sed -n 's/^ *Time Offset: *\(-\?[0-9]\+\) seconds.*/\1/p' <<<"$out" | head -1)
    [ -n "$offset" ] || fail "onvif-util did not read the time of $1"
    echo "${offset#-}"
}
[ "$(skew 127.152.0.2 Camera-2024)" -gt 10000 ] || fail "device 2 does not start three hours off"

out=$(VEXA_PASSWORD=Camera-2024 "$vexa" set-time 127.152.0.2 127.152.0.1 --user admin --seconds 2) ||
    fail "set-time failed: $out"
echo "$out"
grep -qE '^127\.152\.0\.2: offset \+10[78][0-9]{2} s before, [-+]?[0-2] s after: ok$' <<<"$out" ||
    fail "set-time did not print device 2's offsets"
grep -qE '^127\.152\.0\.1: offset [-+]?[0-9] s before, [-+]?[0-2] s after: ok$' <<<"$out" ||
    fail "set-time did not print device 1's offsets"
[ "$(skew 127.152.0.2 Camera-2024)" -le 2 ] || fail "onvif-util reads device 2 more than 2 s off"

new='Site-7 new pass'
out=$(printf 'Camera-2024\n%s\n' "$new" | "$vexa" set-password --all --user admin --seconds 2 2>&1) ||
    fail "set-password failed: $out"
echo "$out"
[ "$(grep -c ': password changed, and it signs in with the new one: ok$' <<<"$out")" = 2 ] ||
    fail "set-password did not report both devices"
if grep -qF -e "$new" -e Camera-2024 <<<"$out"; then
    fail "a password was printed"
fi

signed_in=$(printf 'get network\nquit\n' | timeout 20 onvif-util -u admin -p "$new" 127.152.0.1 2>&1) || true
echo "$signed_in"
grep -q "IP Address: 127.152.0.1" <<<"$signed_in" || fail "onvif-util cannot sign in with the new password"
grep -q "NotAuthorized" <<<"$signed_in" && fail "onvif-util was refused with the new password"
refused=$(printf 'quit\n' | timeout 20 onvif-util -u admin -p Camera-2024 127.152.0.2 2>&1 || true)
grep -q "NotAuthorized" <<<"$refused" || fail "the old password still works"
echo "onvif-util reads the new time and signs in with the new password"
