#!/usr/bin/env bash
# The main job on a fresh machine: build a sample driver from its JSON form,
# then show it.
set -euo pipefail
build=${1:-build}
cli="$build/tools/cli/quillon-cli"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$cli" version
if [ -f data/samples/sample-driver.json ] && "$cli" driver --help >/dev/null 2>&1; then
  "$cli" driver build data/samples/sample-driver.json "$out/sample.vir"
  "$cli" driver show "$out/sample.vir"
fi
