#!/usr/bin/env bash
# Pictures of the program's windows for the README, taken on a virtual X
# display: an emulated learner teaches two drivers (a DVD player and a
# display), which the program then shows side by side — the second in
# advanced mode with its SubFunctions tab — together with the About box and
# the conflict dialog of pasting functions whose names already exist.
#
#   scripts/screenshots.sh [BUILD] [OUTDIR]      (defaults: build, docs/screenshots)
set -euo pipefail
build=${1:-build}
out=${2:-docs/screenshots}
cli="$build/tools/cli/quillon-cli"
emulator="$build/tools/emulator/qvx-emulator"
shots="$build/tools/gui/quillon-screenshots"
for program in "$cli" "$emulator" "$shots"; do
  [ -x "$program" ] || { echo "screenshots: $program is missing; build first (cmake --build $build)" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "screenshots: xvfb-run is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }

work=$(mktemp -d)
emu_pid=""
cleanup() {
  [ -n "$emu_pid" ] && kill "$emu_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Settings of this run only, never the user's own.
export QUILLON_USER_REGISTRY="$work/user-registry.ini"
export QUILLON_MACHINE_REGISTRY="$work/machine-registry.ini"
export QUILLON_INSTANCE_SOCKET="$work/instance"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"

"$emulator" --port 0 --presses 2 --name "Screenshot Processor" --lifetime 600 \
  --log "$work/emulator.log" > "$work/emulator.out" &
emu_pid=$!
for _ in $(seq 50); do grep -q READY "$work/emulator.out" 2>/dev/null && break; sleep 0.1; done
port=$(awk '/^TCP/ {print $3}' "$work/emulator.out")
[ -n "$port" ] || { echo "screenshots: the emulator did not start" >&2; exit 1; }

echo "== Learning two drivers from the emulated learner on 127.0.0.1:$port"
"$cli" learn "$work/dvd.vir" --type DVD --functions POWER,PLAY,STOP,PAUSE,MENU,EJECT --verify \
  --ip "127.0.0.1:$port" > /dev/null
"$cli" learn "$work/display.vir" --type Display --functions POWER,PLAY,MENU,MUTE --verify \
  --ip "127.0.0.1:$port" > /dev/null
"$cli" driver set-header "$work/dvd.vir" --manufacturer "Generic" --model "DVP-100" \
  --comments "Learned from the original remote" > /dev/null
"$cli" driver set-header "$work/display.vir" --manufacturer "Generic" --model "LCD-42" --version 3 > /dev/null

echo "== Drawing the windows into $out"
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1600x1000x24" "$shots" "$out" "$work/dvd.vir" "$work/display.vir"
