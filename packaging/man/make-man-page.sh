#!/usr/bin/env bash
# make-man-page.sh --help2man H2M --name TEXT --version V --include FILE
#                  [--reference] --output PAGE PROGRAM
# Writes the man page of PROGRAM with help2man from its --help, the
# hand-written sections of FILE and, with --reference, a COMMANDS section
# holding the help of every command (command-reference.sh).
set -euo pipefail
help2man=help2man name="" version="" include="" reference=0 output=""
while [ $# -gt 1 ]; do
  case "$1" in
    --help2man) help2man=$2; shift 2 ;;
    --name) name=$2; shift 2 ;;
    --version) version=$2; shift 2 ;;
    --include) include=$2; shift 2 ;;
    --reference) reference=1; shift ;;
    --output) output=$2; shift 2 ;;
    *) echo "make-man-page.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
program=$1

# The programs answer --help without a display; the help names the default
# settings stores, not those of whoever builds.
export QT_QPA_PLATFORM=offscreen
unset QUILLON_MACHINE_REGISTRY QUILLON_USER_REGISTRY QUILLON_COMPONENT_PATH
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

includes=(--include "$include")
if [ "$reference" = 1 ]; then
  bash "$(dirname "$0")/command-reference.sh" "$program" > "$work/commands.h2m"
  includes+=(--include "$work/commands.h2m")
fi
mkdir -p "$(dirname "$output")"
"$help2man" --no-info --name "$name" --version-string "$version" "${includes[@]}" \
  --output "$output.new" "$program"
mv "$output.new" "$output"
