#!/usr/bin/env bash
# Pictures of the program's windows for the README, taken on a virtual X
# display: an emulated learner teaches two drivers (a DVD player and a
# display), which the program then shows side by side — the second in
# advanced mode with its SubFunctions tab — together with the About box, the
# conflict dialog of pasting functions whose names already exist, the
# "Open Driver" dialog over a driver library packed here, the connection
# dialog listing the emulated learner it found, the learn dialog capturing
# from a second emulated learner, and the device bar listing the files of
# the emulated processor; then an .ir file of real remote signals imported
# into a third driver, drawn with its "Protocol" column and the "Signal" tab
# of its first function, whose last verification is a real learner capture
# of that remote.
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

. "$(dirname "$0")/emulator-session.sh"
# The second learner (for the learn dialog) is stopped on exit as well.
learner_pid=""
trap '[ -n "$learner_pid" ] && kill "$learner_pid" 2>/dev/null; cleanup' EXIT
# The program's instance socket and runtime folder stay in the scratch folder too.
export QUILLON_INSTANCE_SOCKET="$work/instance"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"

start_emulator screenshots "$emulator" --presses 2 --name "Screenshot Processor" --lifetime 600 --discovery

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
types=("Tv Tuner" "DVD" "VCR" "Cable Box" "Satellite Receiver" "Receiver" "Video Projector")
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

# A second learner whose captures take long enough to be drawn mid-capture
# by the learn dialog.
"$emulator" --port 0 --presses 2 --capture-ms 4000 --lifetime 600 \
  --log "$work/learner.log" > "$work/learner.out" &
learner_pid=$!
for _ in $(seq 50); do grep -q READY "$work/learner.out" 2>/dev/null && break; sleep 0.1; done
learner_port=$(awk '/^TCP/ {print $3}' "$work/learner.out")
[ -n "$learner_port" ] || { echo "screenshots: the second emulator did not start" >&2; exit 1; }
export QUILLON_SCREENSHOT_LEARNER_PORT="$learner_port"

# The device bar lists what the processor holds: the DVD driver as 12.vir.
"$cli" device upload "$work/dvd.vir" --number 12 --ip "127.0.0.1:$port" > /dev/null
export QUILLON_SCREENSHOT_DEVICE="127.0.0.1:$port"

echo "== Drawing the windows into $out"
mkdir -p "$out"
data="$(cd "$(dirname "$0")/.." && pwd)/tests/data"
xvfb-run -a -s "-screen 0 1600x1000x24" "$shots" "$out" "$work/dvd.vir" "$work/display.vir" \
  "$data/signals/remotes.ir" "$data/corpus/qvx/p00010.bin"
