#!/usr/bin/env bash
# Kalvo5.so inside a real DAW: Ardour 7 (Debian's "ardour"), run without a
# display through its Lua interpreter ardour7-lua on the Dummy audio backend.
#
#   bash tests/host/ardour_test.sh build/Kalvo5.so
#
# One stereo track plays 2 s of a 1 kHz sine at -6 dBFS and then 2 s at
# -26 dBFS through the plug-in, set to "Type" EBU and "WriteAutomationData" On:
#   roll   : the transport plays the range in real time; Ardour must survive and
#            record "OUT:EBU IL" as automation, ending at the integrated loudness
#            (about -6.7 LUFS, see below);
#   bounce : an offline render of the track through the plug-in; the audio comes
#            out unchanged and the last "OUT:EBU ML" Ardour got is the momentary
#            loudness of the end (-26 LUFS);
#   names  : Ardour lists parameter 22 as "OUT:EBU IL";
#   recall : a state loaded through Ardour's preset (effSetChunk), saved with the session
#            and reopened: Ardour's copy of every parameter checked is the plug-in's own.
# The roll ends with a locate back to the start, as auto-return does: the plug-in is
# deactivated and sends its final readings, which must be the readings it ended with.
# Everything is written below a temporary folder (also HOME and the XDG folders,
# so neither Ardour's nor the plug-in's configuration reaches the real home),
# which is removed at the end. Exit status 0 when every check passed.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
lua=/usr/bin/ardour7-lua
scanner=/usr/lib/ardour7/ardour-vst-scanner
python=/usr/bin/python3
rate=48000
step_seconds=40 # each Ardour run; a hung Ardour must not outlive the test

plugin=${1:-}
if [ -z "$plugin" ] || [ ! -f "$plugin" ]; then
  echo "usage: ardour_test.sh PATH/TO/Kalvo5.so" >&2
  exit 2
fi
# shellcheck source=common.sh
source "$here/common.sh"
require_tools 1 "$lua" "$scanner" "$python"

work=$(mktemp -d "${TMPDIR:-/tmp}/kalvo5-ardour.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

scratch_home
# LXVST_PATH replaces Ardour's Linux VST search path: only our copy is found.
export LXVST_PATH="$work/vst"
mkdir -p "$LXVST_PATH"
cp "$plugin" "$LXVST_PATH/Kalvo5.so"

run_ardour() { # LOG SCRIPT ARGS...
  local log=$1
  shift
  timeout -k 5 "$step_seconds" "$lua" "$here/$1" "${@:2}" >"$log" 2>&1
}
# The normalized value of the last automation event Ardour recorded for INDEX,
# or nothing when it recorded none.
recorded() { # RESULT INDEX
  awk -F'\t' -v i="$2" '$1 == "automation" && $2 == i && $3 > 0 { print $4 }' "$1"
}
# Normalized value -> the parameter's unit over its range (plugin/ParameterTable.cpp).
check_level() { # WHAT NORMALIZED MIN MAX EXPECTED TOLERANCE
  local level
  level=$(awk -v v="$2" -v lo="$3" -v hi="$4" 'BEGIN { printf "%.2f", lo + v * (hi - lo) }')
  if awk -v l="$level" -v e="$5" -v t="$6" 'BEGIN { d = l - e; exit !(d <= t && d >= -t) }'; then
    pass "$1 = $level LUFS (expected $5 +- $6)"
  else
    fail "$1 = $level LUFS (normalized $2), expected $5 +- $6"
  fi
}

# Ardour's session loader only reads the scan cache, and trusts a cache entry
# only when it is newer (in whole seconds) than the .so: date the copy back.
touch -d '-2 seconds' "$LXVST_PATH/Kalvo5.so"
if ! LD_LIBRARY_PATH=/usr/lib/ardour7 "$scanner" -f "$LXVST_PATH/Kalvo5.so" >"$work/scan.log" 2>&1; then
  fail "Ardour's VST scanner rejected the plug-in"
  log_tail "$work/scan.log"
  exit 1
fi

"$python" "$here/session_files.py" signal "$work/input.wav" "$rate" -6:2 -26:2 || exit 1

# Session with the plug-in on track T: "Type" (2) = EBU, "WriteAutomationData" (4) = On.
session="$work/kalvo5"
run_ardour "$work/setup.log" session_setup.lua "$session" kalvo5 Kalvo5 "$rate" "$work/names.tsv" 2=0.5 4=1
status=$?
if [ "$status" -ne 0 ] || ! grep -q '^SETUP-OK' "$work/setup.log"; then
  fail "session with the plug-in not made (Ardour exit status $(status_text "$status"))"
  log_tail "$work/setup.log"
  exit 1
fi
"$python" "$here/session_files.py" place "$session" kalvo5 "$work/input.wav" || exit 1

shown=$(awk -F'\t' '$1 == "name" && $2 == 22 { print $3 }' "$work/names.tsv")
if [ "$shown" = "OUT:EBU IL" ]; then
  pass "Ardour names parameter 22 \"$shown\""
else
  fail "Ardour names parameter 22 \"$shown\", expected \"OUT:EBU IL\""
fi

# The two runs start from the same saved session: each checks one thing.
run_ardour "$work/roll.log" session_run.lua "$session" kalvo5 roll "$work/roll.tsv" 22
status=$?
before=$failures
if [ "$status" -eq 0 ] && grep -q '^done' "$work/roll.tsv"; then
  pass "Ardour rolled 4 s through the plug-in and closed"
  value=$(recorded "$work/roll.tsv" 22)
  # The -26 dBFS part falls under the relative gate; the -6 dBFS part reads
  # -6.0 LUFS, and BS.1770 spreads its 2 s over the 23 or 24 blocks of 400 ms
  # (100 ms apart) that overlap it, as the block grid falls (the plug-in hears
  # silence before the roll): -6.6 to -6.8 LUFS. Ungated it would be -9.0.
  if [ -n "$value" ]; then
    check_level "last recorded OUT:EBU IL" "$value" -70 24 -6.7 0.5
    before_last=$(awk -F'\t' '$1 == "automation" && $2 == 22 && $3 > 1 { print $5 }' "$work/roll.tsv")
    [ -n "$before_last" ] && check_level "OUT:EBU IL before the final readings" "$before_last" -70 24 \
      "$(awk -v v="$value" 'BEGIN { printf "%.2f", -70 + v * 94 }')" 0.15
  else
    fail "Ardour recorded no automation of OUT:EBU IL while rolling"
  fi
else
  fail "roll: Ardour exit status $(status_text "$status")"
fi
[ "$failures" -eq "$before" ] || log_tail "$work/roll.log"

run_ardour "$work/bounce.log" session_run.lua "$session" kalvo5 bounce "$work/bounce.tsv" 23
status=$?
before=$failures
if [ "$status" -eq 0 ] && grep -q '^done' "$work/bounce.tsv"; then
  mapfile -t rendered < <(awk -F'\t' '$1 == "rendered" { print $2 }' "$work/bounce.tsv")
  if [ "${#rendered[@]}" -gt 0 ] && "$python" "$here/session_files.py" same "$work/input.wav" "${rendered[@]}"; then
    pass "the bounce passed the audio through unchanged"
  else
    fail "the bounce changed the audio"
  fi
  value=$(recorded "$work/bounce.tsv" 23)
  if [ -n "$value" ]; then
    check_level "last OUT:EBU ML of the bounce" "$value" -144 24 -26 0.5
  else
    fail "Ardour got no OUT:EBU ML during the bounce"
  fi
else
  fail "bounce: Ardour exit status $(status_text "$status")"
fi
[ "$failures" -eq "$before" ] || log_tail "$work/bounce.log"

# Ardour's copy of "Type", "RMS RefLevel" and two untouched parameters against
# the plug-in's values, after the preset load and after reopening the session.
check_recall() { # WHEN RESULT
  local line
  if ! grep -q '^done' "$2"; then
    fail "$1: Ardour did not finish (see below)"
    return
  fi
  while IFS=$'\t' read -r kind index ardour own; do
    [ "$kind" = param ] || continue
    if [ "$ardour" = "$own" ]; then
      pass "$1: Ardour holds parameter $index as the plug-in does ($own)"
    else
      fail "$1: Ardour holds parameter $index at $ardour, the plug-in at $own"
    fi
  done <"$2"
  line=$(awk -F'\t' '$1 == "param" && $2 == 2 { print $4 }' "$2")
  [ "$line" = "0.000000" ] || fail "$1: Type is $line, not RMS (0) from the loaded state"
}
run_ardour "$work/recall.log" session_recall.lua "$session" kalvo5 load "$work/recall.tsv"
check_recall "preset load" "$work/recall.tsv"
run_ardour "$work/reopen.log" session_recall.lua "$session" kalvo5 reopen "$work/reopen.tsv"
check_recall "reopened session" "$work/reopen.tsv"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
