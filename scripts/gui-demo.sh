#!/usr/bin/env bash
# The desktop program against an emulated device: qvx-emulator is started on
# 127.0.0.1 (each button "pressed" twice, so functions can be learned and
# verified) and quillon is connected to it through /IP, with a sample DVD
# driver open. Closing the program stops the emulator. Needs a display.
set -euo pipefail
build=${1:-build}
quillon="$build/tools/gui/quillon"
emulator="$build/tools/emulator/qvx-emulator"
cli="$build/tools/cli/quillon-cli"
here=$(cd "$(dirname "$0")/.." && pwd)

[ -x "$quillon" ] || { echo "gui-demo: $quillon was not built" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "gui-demo: no display (DISPLAY or WAYLAND_DISPLAY is not set); try 'make demo' instead" >&2
  exit 1
fi

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

"$emulator" --port 0 --presses 2 --name "Demo Processor" \
  --log "$work/emulator.log" > "$work/emulator.out" &
emu_pid=$!
for _ in $(seq 50); do grep -q READY "$work/emulator.out" 2>/dev/null && break; sleep 0.1; done
port=$(awk '/^TCP/ {print $3}' "$work/emulator.out")
[ -n "$port" ] || { echo "gui-demo: the emulator did not start" >&2; exit 1; }

"$cli" driver build "$here/data/samples/sample-driver.json" "$work/demo-dvd.vir" >/dev/null
echo "== Emulated learner on 127.0.0.1:$port; starting: quillon /IP127.0.0.1:$port demo-dvd.vir"
echo "   Select functions and use Learn Selected Functions; every button is pressed twice."
"$quillon" "/IP127.0.0.1:$port" "$work/demo-dvd.vir"
