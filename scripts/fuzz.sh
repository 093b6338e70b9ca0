#!/usr/bin/env bash
# make fuzz: builds the libFuzzer targets (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every fuzz/<name>_fuzz.cpp target for
# FUZZ_SECONDS seconds, one after the other, from its kept inputs
# (tests/data/fuzz/<name>/, read only) and the inputs earlier runs found.
#
# Settings (environment, or make variables of the same name):
#   FUZZ_SECONDS  seconds per target (default 60)
#   FUZZ_TARGETS  names of the targets to run, blank-separated (default: all)
#   FUZZ_BUILD    build folder of the fuzz build (default build-fuzz)
#   FUZZ_WORK     work folder outside the repository (default
#                 ${XDG_CACHE_HOME:-~/.cache}/quillon-fuzz): corpus/<name>/
#                 keeps the inputs that raised coverage, logs/<name>.log the
#                 run's output, artifacts/<name>/ what libFuzzer wrote,
#                 tmp/<name>/ the target's scratch files
#   JOBS          build jobs
# A target's own libFuzzer flags are in fuzz/<name>_fuzz.options (one flag a
# line, # starts a comment). Any crash, sanitizer report, leak, time-out or
# broken check is copied into tests/data/fuzz/<name>/ (so the replay test
# runs it from then on) with a one-line note in tests/data/fuzz/findings.md.
# Ends with a table of executions, executions per second, the share of a
# core the target had (its CPU time over its run time), coverage and
# findings per target; exits 1 when there was a finding or a target did not
# run.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD:-build-fuzz}
case $build in /*) ;; *) build=$root/$build ;; esac
work=${FUZZ_WORK:-${XDG_CACHE_HOME:-$HOME/.cache}/quillon-fuzz}
jobs=${JOBS:-$(nproc)}

fail() {
  echo "make fuzz: $*" >&2
  exit 2
}

case $seconds in '' | *[!0-9]*) fail "FUZZ_SECONDS must be a whole number of seconds (got '$seconds')" ;; esac
[ "$seconds" -ge 1 ] || fail "FUZZ_SECONDS must be at least 1"
mkdir -p "$work" || fail "$work: cannot create the work folder"
work=$(cd "$work" && pwd -P)
case $work/ in "$(cd "$root" && pwd -P)"/*) fail "$work: the work folder must lie outside the repository (set FUZZ_WORK)" ;; esac

# Configure once; the targets need clang and its sanitizer and libFuzzer
# runtimes (Debian: clang, libclang-rt-14-dev).
if [ ! -f "$build/CMakeCache.txt" ]; then
  command -v clang >/dev/null && command -v clang++ >/dev/null ||
    fail "clang is not installed (sudo apt-get install clang libclang-rt-14-dev)"
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUILLON_BUILD_FUZZ=ON -DQUILLON_SANITIZE=address -DQUILLON_BUILD_TESTS=OFF -DQUILLON_BUILD_BENCH=OFF \
    "${launcher[@]}" || fail "$build: configuring the fuzz build failed"
fi
# ccache hashes the command line, not the ignore list it names: a changed
# list must still compile the libraries again.
CCACHE_EXTRAFILES="$root/fuzz/coverage-ignore.txt" cmake --build "$build" --target quillon_fuzz -j "$jobs" ||
  fail "$build: building the fuzz targets failed (clang needs libclang-rt-14-dev for libFuzzer)"

# Every fuzz/<name>_fuzz.cpp is a target.
all=()
for source in "$root"/fuzz/*_fuzz.cpp; do
  base=$(basename "$source" .cpp)
  all+=("${base%_fuzz}")
done
if [ -n "${FUZZ_TARGETS:-}" ]; then
  read -r -a targets <<<"$FUZZ_TARGETS"
  for name in "${targets[@]}"; do
    [ -f "$root/fuzz/${name}_fuzz.cpp" ] || fail "$name: no such target (targets: ${all[*]})"
  done
else
  targets=("${all[@]}")
fi

# CPU time the programs this script waited for have used so far, in
# milliseconds, from what bash's times wrote (its second line is the
# children's user and system time); times runs in this shell, not in a
# command substitution, whose children are others.
children_ms() {
  awk 'NR == 2 {
    split($1, u, /[ms]/); split($2, s, /[ms]/)
    printf "%d\n", (u[1] * 60 + u[2] + s[1] * 60 + s[2]) * 1000
  }' "$work/.times"
}

notes=$root/tests/data/fuzz/findings.md
rows=()
status=0
echo "make fuzz: ${#targets[@]} targets, $seconds s each; work folder $work; load average $(cut -d' ' -f1-3 /proc/loadavg)"
for name in "${targets[@]}"; do
  program=$build/fuzz/${name}_fuzz
  kept=$root/tests/data/fuzz/$name
  corpus=$work/corpus/$name
  artifacts=$work/artifacts/$name
  log=$work/logs/$name.log
  # Scratch files of the targets (packages and archives read from disk).
  scratch=$work/tmp/$name
  rm -rf "$scratch"
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")" "$scratch"
  if [ ! -x "$program" ]; then
    rows+=("$name|-|-|-|-|program missing")
    status=1
    continue
  fi
  options=()
  if [ -f "$root/fuzz/${name}_fuzz.options" ]; then
    while read -r line; do
      line=${line%%#*}
      [ -n "${line// /}" ] && options+=($line)
    done <"$root/fuzz/${name}_fuzz.options"
  fi
  kept_args=()
  [ -d "$kept" ] && kept_args=("$kept")

  before=$(ls -1 "$artifacts")
  echo "== $name (${seconds} s${options:+, ${options[*]}})"
  times >"$work/.times"
  cpu_before=$(children_ms)
  wall_before=$(date +%s%N)
  TMPDIR=$scratch "$program" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$artifacts/" "${options[@]}" "$corpus" "${kept_args[@]}" >"$log" 2>&1
  code=$?
  # The share of one core the target had: on a shared machine its
  # executions per second scale with it.
  wall_ms=$((($(date +%s%N) - wall_before) / 1000000))
  times >"$work/.times"
  cpu=$(($(children_ms) - cpu_before))
  share=$([ "$wall_ms" -gt 0 ] && echo "$((100 * cpu / wall_ms))%")

  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1 | sed 's/cov: \([0-9]*\) ft: \([0-9]*\)/\1 edges, \2 features/')

  findings=()
  while read -r artifact; do
    [ -n "$artifact" ] || continue
    grep -qxF "$artifact" <<<"$before" && continue
    mkdir -p "$kept"
    cp "$artifacts/$artifact" "$kept/$artifact"
    reason=$(grep -m1 -E 'QUILLON_FUZZ_CHECK failed|runtime error:|^==[0-9]+==ERROR|ERROR: libFuzzer|^SUMMARY: ' "$log" |
      sed 's/^==[0-9]*==//')
    [ -f "$notes" ] || printf '%s\n' '# Fuzz findings' '' \
      'Inputs `make fuzz` found, one line each. Each is kept in tests/data/fuzz/<target>/,' \
      'where the replay test runs it; move it to tests/data/fuzz-open/<target>/ while' \
      'the fault is open.' '' >"$notes"
    echo "- \`$name/$artifact\` ($(date -u +%Y-%m-%d), ${seconds} s run): ${reason:-exit code $code, see the run log}" >>"$notes"
    findings+=("$artifact")
  done < <(ls -1 "$artifacts")

  if [ ${#findings[@]} -gt 0 ]; then
    result="${#findings[@]}: ${findings[*]} (kept in tests/data/fuzz/$name/)"
    status=1
  elif [ $code -ne 0 ]; then
    result="run failed (exit $code), see $log"
    status=1
  else
    result="none"
  fi
  rows+=("$name|${executions:--}|${rate:--}|${share:--}|${coverage:--}|$result")
done

echo
echo "make fuzz: $seconds s per target; load average at the end $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-12s %12s %8s %5s  %-28s %s\n' target executions exec/s cpu coverage findings
for row in "${rows[@]}"; do
  IFS='|' read -r name executions rate share coverage result <<<"$row"
  printf '%-12s %12s %8s %5s  %-28s %s\n' "$name" "$executions" "$rate" "$share" "$coverage" "$result"
done
exit $status
