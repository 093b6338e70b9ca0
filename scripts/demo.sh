#!/usr/bin/env bash
# Quillon's main job on a fresh machine: an emulated IR-learning control
# processor is started on 127.0.0.1; a driver is learned from it and every
# function verified with a second capture; the driver is uploaded to the
# device and the device's files are listed.
set -euo pipefail
build=${1:-build}
cli="$build/tools/cli/quillon-cli"
emulator="$build/tools/emulator/qvx-emulator"
work=$(mktemp -d)
emu_pid=""
cleanup() {
  [ -n "$emu_pid" ] && kill "$emu_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The demo keeps its settings away from the user's own.
export QUILLON_USER_REGISTRY="$work/user-registry.ini"
export QUILLON_MACHINE_REGISTRY="$work/machine-registry.ini"

# Built-in signals of common remotes, each button pressed twice: once to
# learn it, once to verify it.
"$emulator" --port 0 --presses 2 --name "Demo Processor" --lifetime 300 \
  --log "$work/emulator.log" > "$work/emulator.out" &
emu_pid=$!
for _ in $(seq 50); do grep -q READY "$work/emulator.out" 2>/dev/null && break; sleep 0.1; done
port=$(awk '/^TCP/ {print $3}' "$work/emulator.out")
[ -n "$port" ] || { echo "demo: the emulator did not start" >&2; exit 1; }
echo "== Emulated learner on 127.0.0.1:$port"
"$cli" device info --ip "127.0.0.1:$port" | grep -E '^(Name|Part number|Device type|Running events):'

echo "== Learning and verifying a DVD driver"
"$cli" learn "$work/demo.vir" --type DVD --functions POWER,PLAY,STOP,PAUSE,MENU --verify \
  --ip "127.0.0.1:$port"

echo "== The learned driver"
"$cli" driver show "$work/demo.vir" | head -n 20

echo "== Uploading it to the device"
"$cli" device upload "$work/demo.vir" --ip "127.0.0.1:$port"

echo "== Files on the device"
"$cli" device files --ip "127.0.0.1:$port"

echo "== The program window"
echo "Start Quillon on your desktop with: $build/tools/gui/quillon [DRIVER.vir...]"
echo "  (with a device: $build/tools/gui/quillon /IP10.0.0.5 tv.vir; quillon --help lists the options;"
echo "   make gui-demo starts it connected to an emulated learner)"
echo "  scripts/screenshots.sh $build draws its windows into docs/screenshots/ without a desktop."
