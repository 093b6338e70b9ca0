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

. "$(dirname "$0")/emulator-session.sh"
start_emulator gui-demo "$emulator" --presses 2 --name "Demo Processor"

"$cli" driver build "$here/data/samples/sample-driver.json" "$work/demo-dvd.vir" >/dev/null
echo "== Emulated learner on 127.0.0.1:$port; starting: quillon /IP127.0.0.1:$port demo-dvd.vir"
echo "   Select functions and use Learn Selected Functions; every button is pressed twice."
"$quillon" "/IP127.0.0.1:$port" "$work/demo-dvd.vir"
