#!/usr/bin/env bash
# Kalvo5.lv2 inside a real DAW: Ardour 7 (Debian's "ardour"), run without a
# display through its Lua interpreter ardour7-lua on the Dummy audio backend.
#
#   bash tests/host/ardour_lv2_test.sh build/lv2
#
# One stereo track plays the signal of ardour_test.sh (2 s of a 1 kHz sine at
# -6 dBFS, then 2 s at -26 dBFS) through the stereo variant:
#   presets: Ardour lists the 21 factory presets, and loading "LUFS EBU R128"
#            sets "Type" EBU;
#   reopen : "EBU RefLevel" set to -31, the session saved and reopened: Ardour
#            holds Type EBU and -31, and so does the reopened plug-in's own
#            settings document (saved by Ardour as a user preset);
#   roll   : the range played in real time; the output port "OUT:EBU IL" moves
#            and ends at the integrated loudness (-6.7 LUFS, as ardour_test.sh
#            expects), "OUT:EBU ML" at the momentary loudness of the end
#            (-26 LUFS), and after the stop the integrated loudness stays.
# Ardour must survive each run. Everything is written below a temporary folder
# (also HOME and the XDG folders), which is removed at the end. Exit status 0
# when every check passed.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
lua=/usr/bin/ardour7-lua
python=/usr/bin/python3
uri=https://www.vantorel.com/plugins/kalvo5/lv2/stereo
rate=48000
step_seconds=40 # each Ardour run; a hung Ardour must not outlive the test

bundles=${1:-}
if [ -z "$bundles" ] || [ ! -f "$bundles/Kalvo5.lv2/manifest.ttl" ]; then
  echo "usage: ardour_lv2_test.sh FOLDER_HOLDING_Kalvo5.lv2" >&2
  exit 2
fi
# shellcheck source=common.sh
source "$here/common.sh"
require_tools 1 "$lua" "$python"

work=$(mktemp -d "${TMPDIR:-/tmp}/kalvo5-ardour-lv2.XXXXXX") || exit 1
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

scratch_home
# LV2_PATH replaces the system's LV2 folders: only the build's bundle is found.
export LV2_PATH
LV2_PATH=$(cd "$bundles" && pwd)

run_ardour() { # LOG ARGS...
  local log=$1
  shift
  timeout -k 5 "$step_seconds" "$lua" "$here/lv2_session.lua" "$@" >"$log" 2>&1
}
field() { # RESULT KIND KEY COLUMN: column COLUMN of the line "KIND<TAB>KEY..."
  awk -F'\t' -v k="$2" -v key="$3" -v c="$4" '$1 == k && $2 == key { print $c }' "$1"
}
near() { # WHAT VALUE EXPECTED TOLERANCE UNIT
  if [ -n "$2" ] && awk -v v="$2" -v e="$3" -v t="$4" 'BEGIN { d = v - e; exit !(d <= t && d >= -t) }'; then
    pass "$1 = $2 $5 (expected $3 +- $4)"
  else
    fail "$1 = ${2:-nothing} $5, expected $3 +- $4"
  fi
}

"$python" "$here/session_files.py" signal "$work/input.wav" "$rate" -6:2 -26:2 || exit 1

session="$work/kalvo5"
run_ardour "$work/setup.log" setup "$session" kalvo5 "$uri" "$rate" "$work/setup.tsv"
status=$?
if [ "$status" -ne 0 ] || ! grep -q '^done' "$work/setup.tsv"; then
  fail "session with the plug-in not made (Ardour exit status $(status_text "$status"))"
  log_tail "$work/setup.log"
  exit 1
fi
"$python" "$here/session_files.py" place "$session" kalvo5 "$work/input.wav" || exit 1

# The factory presets, each once, and no others: Ardour's list holds the
# user's presets too, and there are none yet.
presets=$(awk -F'\t' '$1 == "preset"' "$work/setup.tsv" | wc -l)
unique=$(awk -F'\t' '$1 == "preset" { print $2 }' "$work/setup.tsv" | sort -u | wc -l)
if [ "$presets" -eq 21 ] && [ "$unique" -eq 21 ] && [ "$(field "$work/setup.tsv" preset Init 3)" != "" ]; then
  pass "Ardour lists the 21 factory presets"
else
  fail "Ardour lists $presets presets ($unique names), expected the 21 factory presets with Init"
  awk -F'\t' '$1 == "preset" { print "  " $2 }' "$work/setup.tsv"
fi
near "Type after Ardour loaded LUFS EBU R128" "$(field "$work/setup.tsv" param preset 4)" 1 0 ""

run_ardour "$work/run.log" run "$session" kalvo5 "$work/run.tsv" reopened
status=$?
before=$failures
if [ "$status" -eq 0 ] && grep -q '^done' "$work/run.tsv"; then
  pass "Ardour reopened the session, rolled 4 s through the plug-in and closed"
else
  fail "run: Ardour exit status $(status_text "$status")"
fi

# Reopened: Ardour's copy, then the plug-in's own document.
near "Type in the reopened session" "$(awk -F'\t' '$1 == "param" && $3 == 2 { print $4 }' "$work/run.tsv")" 1 0 ""
near "EBU RefLevel in the reopened session" \
  "$(awk -F'\t' '$1 == "param" && $3 == 20 { print $4 }' "$work/run.tsv")" -31 0.001 dB
saved=$(awk -F'\t' '$1 == "saved" { sub("^file://", "", $2); print $2 }' "$work/run.tsv")
if [ -n "$saved" ] && [ -f "$saved" ]; then
  own=$("$python" "$here/lv2_state.py" "$saved" "Type" "EBU RefLevel")
  near "the reopened plug-in's own Type" "$(awk -F'\t' '$1 == "Type" { print $2 }' <<<"$own")" 1 0 ""
  near "the reopened plug-in's own EBU RefLevel" \
    "$(awk -F'\t' '$1 == "EBU RefLevel" { print $2 }' <<<"$own")" -31 0.001 dB
else
  fail "no preset file from the reopened plug-in (${saved:-none})"
fi

# The readings while rolling: the outputs moved, and where they ended.
mapfile -t il < <(awk -F'\t' '$1 == "reading" && $2 == 22 { for (i = 3; i <= NF; ++i) print $i }' "$work/run.tsv")
mapfile -t ml < <(awk -F'\t' '$1 == "reading" && $2 == 23 { for (i = 3; i <= NF; ++i) print $i }' "$work/run.tsv")
distinct=$(printf '%s\n' "${il[@]}" | sort -u | wc -l)
if [ "${#il[@]}" -gt 0 ] && [ "$distinct" -ge 10 ]; then
  pass "OUT:EBU IL took $distinct values in ${#il[@]} reads while rolling"
else
  fail "OUT:EBU IL took $distinct values in ${#il[@]} reads while rolling"
fi
# The -26 dBFS part falls under the relative gate; the -6 dBFS part reads
# -6.0 LUFS over the 400 ms blocks that overlap it: -6.6 to -6.8 LUFS.
last_il=${il[${#il[@]}-1]:-}
near "last OUT:EBU IL while rolling" "$last_il" -6.7 0.5 LUFS
near "last OUT:EBU ML while rolling" "${ml[${#ml[@]}-1]:-}" -26 0.5 LUFS
near "OUT:EBU IL after the stop" "$(field "$work/run.tsv" stopped 22 3)" "${last_il:-0}" 0.15 LUFS
[ "$failures" -eq "$before" ] || log_tail "$work/run.log"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
