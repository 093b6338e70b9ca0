#!/usr/bin/env bash
# command-reference.sh PROGRAM
# Writes a help2man include file with a COMMANDS section: every command and
# sub-command of PROGRAM (a program with CLI11-style help: a description,
# "Usage:", then "Positionals:", "Options:" and "Subcommands:" lists) with
# its description, usage and options, in the order the help lists them.
set -euo pipefail
program=$1
name=$(basename "$program")

# The names listed under "Subcommands:" in a help text.
subcommands() {
  awk '/^[^ ].*:$/ { in_list = ($0 == "Subcommands:"); next }
       in_list && /^  [^ ]/ { print $1 }'
}

# Turns one command's help text into roff.
to_roff() {
  awk -v path="$1" '
    # Roff escapes; long JSON samples may also break after a comma.
    function esc(s) { gsub(/\\/, "\\e", s); gsub(/-/, "\\-", s); gsub(/,/, ",\\:", s); return s }
    function line(s) { if (s ~ /^[.\x27]/) s = "\\&" s; print s }
    BEGIN { print ".SS \"" esc(path) "\"" }
    /^Usage: / { sub(/^Usage: /, ""); print ".PP"; line("\\fBUsage:\\fR " esc($0)); next }
    /^$/ { next }
    # A list heading is printed with its first entry, so a list holding only
    # --help leaves no empty heading behind.
    /^[^ ].*:$/ { heading = $0; skip = 0; next }
    /^  [^ ]/ {
      entry = substr($0, 3)
      desc = ""
      if (match(entry, /  +/)) { desc = substr(entry, RSTART + RLENGTH); entry = substr(entry, 1, RSTART - 1) }
      # Options every command has are described once, at the top.
      skip = (entry == "-h,--help" || entry == "--help-all")
      if (skip) next
      if (heading != "") { print ".PP"; line("\\fI" esc(heading) "\\fR"); heading = "" }
      print ".TP"; line("\\fB" esc(entry) "\\fR")
      if (desc != "") line(esc(desc))
      next
    }
    /^   +[^ ]/ { if (skip) next; sub(/^ +/, ""); line(esc($0)); next }
    { print ".PP"; line(esc($0)) }'
}

# HELP without the closing lines it shares with the program's own --help
# (notes every command repeats; the page shows them once, at the top).
without_common_footer() {
  local -a mine top
  mapfile -t mine <<< "$1"
  mapfile -t top <<< "$top_help"
  local n=0
  while [ $n -lt ${#mine[@]} ] && [ $n -lt ${#top[@]} ] &&
        [ "${mine[${#mine[@]} - 1 - n]}" = "${top[${#top[@]} - 1 - n]}" ]; do
    n=$((n + 1))
  done
  [ $n -ge 2 ] || n=0
  printf '%s\n' "${mine[@]:0:${#mine[@]} - n}"
}

# Every command below PREFIX (a list of words), depth first.
walk() {
  local help sub
  help=$("$program" "$@" --help)
  if [ $# -gt 0 ]; then without_common_footer "$help" | to_roff "$name $*"; fi
  for sub in $(printf '%s\n' "$help" | subcommands); do
    walk "$@" "$sub"
  done
}

top_help=$("$program" --help)

echo "[COMMANDS]"
# Left-aligned: the long JSON samples would stretch justified lines.
echo ".ad l"
walk
