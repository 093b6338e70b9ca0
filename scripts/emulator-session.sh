# Sourced by the demo and screenshot scripts: a scratch folder removed on exit,
# settings of this run only (never the user's own), and an emulated learner on
# 127.0.0.1 stopped on exit.
#
#   . scripts/emulator-session.sh
#   start_emulator TAG EMULATOR [OPTIONS...]   # sets $port; TAG prefixes errors
work=$(mktemp -d)
emu_pid=""
cleanup() {
  [ -n "$emu_pid" ] && kill "$emu_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export QUILLON_USER_REGISTRY="$work/user-registry.ini"
export QUILLON_MACHINE_REGISTRY="$work/machine-registry.ini"

start_emulator() {
  local tag=$1 emulator=$2
  shift 2
  "$emulator" --port 0 "$@" --log "$work/emulator.log" > "$work/emulator.out" &
  emu_pid=$!
  for _ in $(seq 50); do grep -q READY "$work/emulator.out" 2>/dev/null && break; sleep 0.1; done
  port=$(awk '/^TCP/ {print $3}' "$work/emulator.out")
  [ -n "$port" ] || { echo "$tag: the emulator did not start" >&2; exit 1; }
}
