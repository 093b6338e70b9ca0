#!/usr/bin/env bash
# Pictures of the program's windows for the README, taken on a virtual X
# display: an emulated learner teaches two drivers (a DVD player and a
# display), which the program then shows side by side — the second in
# advanced mode with its SubFunctions tab — together with the About box, the
# conflict dialog of pasting functions whose names already exist, and the
# "Open Driver" dialog over a driver library packed here.
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

echo "== Packing a driver library of fifteen makers"
# One archive package per maker, each with its support description (the
# models, their driver versions and the maker lists) and a driver file for
# every model version; plus a loose driver of the user's own.
library="$work/library"
mkdir -p "$library" "$work/pkg"
types=("Television" "DVD Player" "VCR" "Cable Box" "Satellite Receiver" "Audio Receiver" "Projector")
makers=("Arvella" "Brightline" "Corvex" "Delmont" "Everon" "Fairholt" "Gantry" "Halvern" "Istra"
        "Juniper Audio" "Kestrel" "Lumeo" "Marlowe" "Norvik" "???")
lists=$(printf '[main]\r\ntype_count=%d\r\n' "${#types[@]}"
        for i in "${!types[@]}"; do printf 'type%d=%d,%s\r\n' "$i" $((i + 1)) "${types[$i]}"; done
        printf '[mfg]\r\nmfg_count=%d\r\n' "${#makers[@]}"
        for i in "${!makers[@]}"; do printf 'mfg%d=%d,%s\r\n' "$i" $((100 + i)) "${makers[$i]}"; done)
versions=("1" "1,2" "2" "1, 3 ,4" "1")
for m in "${!makers[@]}"; do
  dir="$work/pkg/$m"
  mkdir -p "$dir"
  printf '%s\n' "$lists" > "$dir/irfunction.ini"
  prefix=$(printf '%s' "${makers[$m]}" | tr -cd 'A-Za-z' | cut -c1-3 | tr a-z A-Z)
  [ -n "$prefix" ] || prefix=GEN
  count=$((6 + m % 5))
  printf '[supported]\r\nNum=%d\r\n' $((count - 1)) > "$dir/irsupport.ini"
  for n in $(seq 0 $((count - 1))); do
    type=$(((m + n) % ${#types[@]} + 1))
    model="$prefix-$((100 * type + 10 * n + m))"
    drvpkg="${prefix}$((100 * type + 10 * n + m))"
    version=${versions[$(((m + n) % ${#versions[@]}))]}
    printf '[model_%d]\r\nTypeId=%d\r\nBrandId=%d\r\nModelName=%s\r\nDrvpkg=%s\r\nVersion=%s\r\n' \
      "$n" "$type" $((100 + m)) "$model" "$drvpkg" "$version" >> "$dir/irsupport.ini"
    for v in $(printf '%s' "$version" | tr -c '0-9' ' '); do
      "$cli" driver set-header "$work/dvd.vir" --type "${types[$((type - 1))]}" --manufacturer "${makers[$m]}" \
        --model "$model" --version "$v" -o "$dir/${drvpkg}_$v.vir" > /dev/null
    done
  done
  name=$(printf '%s' "${makers[$m]}" | tr -cd 'A-Za-z' | tr A-Z a-z)
  "$cli" archive create "$library/${name:-other}.pkg" "$dir"/*.ini "$dir"/*.vir > /dev/null
done
cp "$work/display.vir" "$library/living-room-display.vir"
# The driver library is the driver folder of the machine store ("driverpath2").
"$cli" config set-folder driver "$library/" > /dev/null

echo "== Drawing the windows into $out"
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1600x1000x24" "$shots" "$out" "$work/dvd.vir" "$work/display.vir"
