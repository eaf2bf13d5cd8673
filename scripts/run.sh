#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts VEXA Tool against a simulated fleet of devices on loopback.
#
#   scripts/run.sh
#
# The simulator plays a few dozen devices (some not activated, some sharing an address) on a port of its own,
# and among them a few ONVIF cameras of other makes on 127.80.0.1 and up, inside a private network namespace
# where the system permits one, so nothing reaches a real network. It is stopped when the program closes.
# Without a display the program runs under Xvfb: once the devices have arrived a screenshot is saved, its path
# printed, and the script ends.
#
# Environment: VEXA_PORT (default 45086), VEXA_WSD_PORT (the ONVIF devices' discovery port, default 45087),
# VEXA_RUN_DEVICES (default 36), VEXA_RUN_ONVIF (ONVIF devices, default 8; 0 for none), VEXA_RUN_ONVIF_QUIRKS
# (passed to the simulator's --onvif-quirks, e.g. no-anonymous for cameras that tell nothing before sign-in),
# VEXA_BUILD_DIR (default build), VEXA_RUN_SCREENSHOT (where the headless screenshot goes; default
# <build>/vexatool-run.png).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VEXA_BUILD_DIR:-build}

if [ "${VEXA_RUN_STAGE:-}" != "inside" ]; then
    bash scripts/install-deps.sh
    if [ ! -f "$build/build.ninja" ]; then
        cmake -S . -B "$build" -G Ninja >/dev/null
    fi
    targets=(VEXATool vexa-devsim vexa-keytool vexa_manual vexa_translations)
    # The framework's Chinese texts are built only where the system has them.
    if ninja -C "$build" -t targets all 2>/dev/null | grep -q '^vexa_qt_translations:'; then
        targets+=(vexa_qt_translations)
    fi
    cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        exec env VEXA_RUN_STAGE=inside bash scripts/netns.sh bash scripts/run.sh
    fi
    echo "run.sh: no display; running under Xvfb"
    exec env VEXA_RUN_STAGE=inside VEXA_RUN_HEADLESS=1 xvfb-run -a -s "-screen 0 1920x1080x24" \
        bash scripts/netns.sh bash scripts/run.sh
fi

# ---- Inside the namespace (or pinned to loopback where there is none) ----------------------------------
export VEXA_IFACE=127.0.0.1
export VEXA_PORT=${VEXA_PORT:-45086}
export VEXA_WSD_PORT=${VEXA_WSD_PORT:-45087}
# The simulator's cheap password hashing keeps activations quick in a demonstration; devices stay the same.
export VEXA_SIM_CHEAP_HASH=1
bin=$(cd "$build/bin" && pwd)
count=${VEXA_RUN_DEVICES:-36}
onvif=${VEXA_RUN_ONVIF:-8}
case "$onvif" in '' | *[!0-9]*) echo "run.sh: VEXA_RUN_ONVIF must be a number" >&2; exit 2 ;; esac
# The simulator's ONVIF account: the demonstration prints it, so that a user can sign in and change a camera.
onvif_user=admin
onvif_password=Camera-2024
work=$(mktemp -d "${TMPDIR:-/tmp}/vexa-run.XXXXXX")
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# A generated fleet, reworked so that the interesting cases are there: every fifth device factory-new, and
# two groups of devices on one address each (a typical installer's mess after cloning a configuration).
"$bin/vexa-devsim" --count "$count" --seed 2024 --dump "$work/generated.txt" >/dev/null 2>&1 &
gen_pid=$!
for _ in $(seq 1 100); do
    [ -s "$work/generated.txt" ] && break
    sleep 0.05
done
kill -TERM "$gen_pid" 2>/dev/null || true
wait "$gen_pid" 2>/dev/null || true
[ -s "$work/generated.txt" ] || { echo "run.sh: the simulator did not describe its fleet" >&2; exit 1; }
awk 'BEGIN { FS = OFS = "\t" }
     /^#/ { print; next }
     {
         n++
         if (n % 5 == 0) sub(/activation=[0-9]+/, "activation=1")
         for (i = 1; i <= NF; i++) if ($i ~ /^ipv4=/) ip = i
         if (n == 11) shared1 = $ip
         if (n == 12 || n == 13) $ip = shared1
         if (n == 21) shared2 = $ip
         if (n == 22) $ip = shared2
         print
     }' "$work/generated.txt" >"$work/fleet.txt"
# Devices of other customers are heard but never listed; with the filter setting on, only video devices.
ours=$(grep $'oemInfo=Fynmar_quelbrok\t.*oemCode=1\t' "$work/fleet.txt" || true)
if grep -q '<Filter><Value>1</Value></Filter>' "$bin/Setup.xml" 2>/dev/null; then
    ours=$(grep $'\tclass=1\t' <<<"$ours" || true)
fi
listed=$(grep -c . <<<"$ours" || true)

onvif_args=()
if [ "$onvif" -gt 0 ]; then
    onvif_args=(--onvif "$onvif" --onvif-base 127.80.0.1 --wsd-port "$VEXA_WSD_PORT"
        --onvif-user "$onvif_user" --onvif-password "$onvif_password")
    [ -z "${VEXA_RUN_ONVIF_QUIRKS:-}" ] || onvif_args+=(--onvif-quirks "$VEXA_RUN_ONVIF_QUIRKS")
fi
"$bin/vexa-devsim" --devices "$work/fleet.txt" --state "$work/state.txt" "${onvif_args[@]}" \
    >"$work/devsim.log" 2>&1 &
sim_pid=$!
sleep 0.3
kill -0 "$sim_pid" 2>/dev/null || { cat "$work/devsim.log" >&2; exit 1; }
echo "run.sh: $count simulated devices ($listed for this program) on 127.0.0.1 port $VEXA_PORT"
if [ "$onvif" -gt 0 ]; then
    echo "run.sh: $onvif simulated ONVIF cameras from 127.80.0.1 (WS-Discovery port $VEXA_WSD_PORT);" \
        "sign in to them as $onvif_user / $onvif_password"
fi

VEXA_TRUSTED_KEYS=$("$bin/vexa-keytool" pubkey --test)
export VEXA_TRUSTED_KEYS
cd "$bin"
# The program's traces (one line per device event) go to a log rather than the terminal.
log=$(cd .. && pwd)/vexatool-run.log
if [ "${VEXA_RUN_HEADLESS:-0}" != "1" ]; then
    echo "run.sh: starting VEXA Tool; its log is $log"
    ./VEXATool >"$log" 2>&1 || true
    echo "run.sh: program closed; simulator stopped"
    exit 0
fi

shot=${VEXA_RUN_SCREENSHOT:-$bin/../vexatool-run.png}
# Settings of the caller's session must not decide where the window goes: on another platform plug-in
# (offscreen, say) it never reaches the X server, and the screenshot would wait for a click forever. A
# private runtime folder keeps a copy the user already runs from making this one a refused second copy.
mkdir -m 0700 "$work/runtime"
env -u QT_QPA_PLATFORM -u QT_QPA_PLATFORMTHEME -u QT_QPA_PLATFORM_PLUGIN_PATH -u QT_STYLE_OVERRIDE \
    -u QT_SCALE_FACTOR -u QT_SCREEN_SCALE_FACTORS -u WAYLAND_DISPLAY \
    TMPDIR="$work/runtime" XDG_RUNTIME_DIR="$work/runtime" ./VEXATool >"$log" 2>&1 &
program_pid=$!
stop_program() {
    kill -TERM "$program_pid" 2>/dev/null || true
    # The exit question keeps a closing window open; the program is ended from outside here.
    sleep 0.5
    kill -KILL "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
}
# The main window, by its title, within a time-out: a question at start-up (a small screen, a second copy)
# or a crash leaves none, and then what the program printed says why.
window=""
for _ in $(seq 1 300); do
    window=$(xwininfo -root -tree 2>/dev/null | awk '/"VEXA Tool"/ { print $1; exit }')
    [ -n "$window" ] && break
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$window" ]; then
    if kill -0 "$program_pid" 2>/dev/null; then
        echo "run.sh: the main window did not appear within 30 s; the program printed:" >&2
    else
        echo "run.sh: the program ended before its main window appeared; it printed:" >&2
    fi
    stop_program
    grep -v 'kelnor_' "$log" | tail -n 20 | sed 's/^/  /' >&2
    exit 1
fi
# The devices have arrived when the discovery handler has passed on every device of the fleet that is ours.
# Trace lines carry their logging category in front ("vexa.discovery: kelnor_signal_add_...") and end in the
# device's address; the ONVIF cameras are the ones on 127.80.
arrived=0
for _ in $(seq 1 200); do
    arrived=$(grep 'kelnor_signal_add_' "$log" | grep -vc 'kelnor_signal_add_127\.80\.' || true)
    [ "$arrived" -ge "$listed" ] && break
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
# The cameras are listed when heard and filled in once their details are read (an update per camera).
onvif_listed=0
onvif_read=0
if [ "$onvif" -gt 0 ]; then
    for _ in $(seq 1 100); do
        onvif_listed=$(grep -c 'kelnor_signal_add_127\.80\.' "$log" || true)
        onvif_read=$(grep 'kelnor_VEXA_UPDATE127\.80\.' "$log" | sort -u | grep -c . || true)
        [ "$onvif_listed" -ge "$onvif" ] && [ "$onvif_read" -ge "$onvif" ] && break
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
fi
sleep 1 # let the window draw the last arrivals
if ! timeout 20 import -window "$window" "$shot" 2>/dev/null; then
    stop_program
    echo "run.sh: the screenshot could not be taken; the program printed:" >&2
    grep -v 'kelnor_' "$log" | tail -n 20 | sed 's/^/  /' >&2
    exit 1
fi
stop_program
[ "$onvif" -eq 0 ] || echo "run.sh: $onvif_listed of $onvif ONVIF cameras listed, $onvif_read of them read"
echo "run.sh: $arrived of $listed devices arrived; screenshot saved to $(cd "$(dirname "$shot")" && pwd)/$(basename "$shot")"
