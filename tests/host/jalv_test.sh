#!/usr/bin/env bash
# Kalvo5.lv2 in jalv (Debian's "jalv"), the LV2 reference host, on a JACK
# server of its own (jackd's dummy driver) that the test starts.
#
#   bash tests/host/jalv_test.sh console build/lv2
#   bash tests/host/jalv_test.sh editor  build/lv2
#
# jack_simple_client plays a sine of 0.2 peak at 240 Hz (a 200-sample table at
# 48 kHz) into both inputs of the stereo variant, set to "Type" EBU: its
# loudness is 10*log10(2 * 0.2^2 / 2) - 0.691 = -14.7 LUFS, less 0.1 dB of
# K-weighting at 240 Hz: -14.6 LUFS.
#   console: jalv without a window runs the plug-in for a few seconds; its
#            "monitors" command reads the output ports twice: they moved and
#            end at the loudness of the sine; jalv exits cleanly at the end of
#            its input.
#   editor : jalv.gtk3 shows the plug-in's own editor in an X server the test
#            starts (Xvfb): the editor window appears, stands still without
#            audio and moves with it (two captures a second apart); a click on
#            the "Type" selector opens its menu, and choosing "DIAL" there
#            reaches the processor (the DIAL readings start to move).
# Exit status 0 when every check passed, 77 when a program the test needs is
# missing (scripts/install-deps.sh installs them).
set -uo pipefail

mode=${1:-}
bundles=${2:-}
uri=https://www.vantorel.com/plugins/kalvo5/lv2/stereo
python=/usr/bin/python3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [[ "$mode" != console && "$mode" != editor ]] || [ ! -f "$bundles/Kalvo5.lv2/manifest.ttl" ]; then
  echo "usage: jalv_test.sh console|editor FOLDER_HOLDING_Kalvo5.lv2" >&2
  exit 2
fi
tools=(jackd jack_simple_client jack_connect jack_lsp jack_wait)
if [ "$mode" = console ]; then
  tools+=(jalv)
else
  tools+=(jalv.gtk3 Xvfb xwininfo xwd xdotool "$python")
fi
# shellcheck source=common.sh
source "$here/common.sh"
require_tools 77 "${tools[@]}"  # 77: skipped

work=$(mktemp -d "${TMPDIR:-/tmp}/kalvo5-jalv.XXXXXX") || exit 1
# The programs the test started, each ended last started first: a JACK server
# whose clients are gone takes its entry out of JACK's table of servers (which
# holds 8), one ended under its clients leaves it there.
pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; --i)); do
    kill "${pids[i]}" 2>/dev/null
    wait "${pids[i]}" 2>/dev/null
  done
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
# Nothing the test starts outlives it, even when the test itself is killed.
limit=(timeout -k 5 120)
trap cleanup EXIT
trap 'exit 130' INT TERM

scratch_home
export XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export LV2_PATH
LV2_PATH=$(cd "$bundles" && pwd)
# A JACK server of the test's own, which no other program uses.
export JACK_DEFAULT_SERVER="kalvo5-test-$$" JACK_NO_AUDIO_RESERVATION=1
client=kalvo5

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
  exit 0
}
wait_until() { # SECONDS COMMAND...: true once COMMAND succeeds
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
has_port() { jack_lsp 2>/dev/null | grep -qx "$1"; }
near() { # WHAT VALUE EXPECTED TOLERANCE UNIT
  if [ -n "$2" ] && awk -v v="$2" -v e="$3" -v t="$4" 'BEGIN { d = v - e; exit !(d <= t && d >= -t) }'; then
    pass "$1 = $2 $5 (expected $3 +- $4)"
  else
    fail "$1 = ${2:-nothing} $5, expected $3 +- $4"
  fi
}

"${limit[@]}" jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 1024 >"$work/jackd.log" 2>&1 &
pids+=($!)
if ! jack_wait -w -t 10 >/dev/null 2>&1; then
  fail "the JACK server did not start"
  log_tail "$work/jackd.log"
  finish
fi
"${limit[@]}" jack_simple_client sine >"$work/sine.log" 2>&1 &
pids+=($!)
connect_sine() {
  jack_connect sine:output1 "$client:in_1" && jack_connect sine:output2 "$client:in_2"
}

if [ "$mode" = console ]; then
  # jalv reads commands from its input and exits at its end.
  mkfifo "$work/commands"
  "${limit[@]}" jalv -n "$client" -x -c type=1 "$uri" <"$work/commands" >"$work/jalv.log" 2>&1 &
  jalv_pid=$!
  pids+=("$jalv_pid")
  exec 3>"$work/commands"
  if ! wait_until 10 has_port "$client:in_1" || ! wait_until 5 has_port sine:output1 || ! connect_sine; then
    fail "jalv did not start the plug-in, or its inputs could not be connected"
    log_tail "$work/jalv.log"
    finish
  fi
  sleep 1.5
  echo monitors >&3
  sleep 3
  echo monitors >&3
  sleep 0.3
  exec 3>&-
  wait_until 10 bash -c "! kill -0 $jalv_pid 2>/dev/null"
  wait "$jalv_pid"
  status=$?
  if [ "$status" -eq 0 ]; then
    pass "jalv ran the plug-in and exited cleanly at the end of its input"
  else
    fail "jalv exit status $status"
    log_tail "$work/jalv.log"
  fi
  reading() { # SYMBOL first|last
    awk -v s="$1" -v w="$2" '$1 == s && $2 == "=" { v[++n] = $3 } END { if (n) print (w == "first" ? v[1] : v[n]) }' \
      "$work/jalv.log"
  }
  first_ml=$(reading out_ebu_ml first)
  if [ -n "$first_ml" ] && awk -v v="$first_ml" 'BEGIN { exit !(v > -70) }'; then
    pass "OUT:EBU ML read $first_ml LUFS a second and a half in"
  else
    fail "OUT:EBU ML read ${first_ml:-nothing} a second and a half in: the outputs did not move"
    log_tail "$work/jalv.log"
  fi
  near "last OUT:EBU ML" "$(reading out_ebu_ml last)" -14.6 0.3 LUFS
  near "last OUT:EBU IL" "$(reading out_ebu_il last)" -14.6 0.5 LUFS
  # The sine's peak is -14.0 dBFS; the jump where it starts mid-cycle, when
  # it is connected, overshoots between the samples by up to 1.5 dB.
  near "last OUT:EBU TP Max" "$(reading out_ebu_tp_max last)" -13.3 0.8 dBTP
  [ "$(reading out_ebu_il first)" != "$(reading out_ebu_il last)" ] ||
    fail "OUT:EBU IL did not change between the two reads"
  finish
fi

# The editor: an X server of the test's own.
display=
first=$((90 + $$ % 400))
for ((n = first; n < first + 40; ++n)); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  "${limit[@]}" Xvfb ":$n" -nolisten tcp -noreset -screen 0 1280x800x24 >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  if wait_until 10 test -e "/tmp/.X11-unix/X$n" && kill -0 "$xvfb" 2>/dev/null; then
    pids+=("$xvfb")
    display=":$n"
    break
  fi
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
done
if [ -z "$display" ]; then
  fail "no X server could be started"
  finish
fi
export DISPLAY=$display NO_AT_BRIDGE=1 GDK_BACKEND=x11

# --print-controls: jalv prints the output ports' changes.
"${limit[@]}" jalv.gtk3 --jack-name "$client" -x -c type=1 --print-controls "$uri" >"$work/jalv.log" 2>&1 &
jalv_pid=$!
pids+=("$jalv_pid")

# The editor's window: 616 x 352 at scale 1; its position on the screen.
editor_window() {
  xwininfo -root -tree 2>/dev/null | awk '$0 ~ / 616x352\+/ { print $1; exit }'
}
has_editor() { [ -n "$(editor_window)" ]; }
if ! wait_until 20 has_editor; then
  fail "no editor window appeared"
  kill -0 "$jalv_pid" 2>/dev/null || echo "jalv.gtk3 exited: status $(wait "$jalv_pid"; echo $?)"
  log_tail "$work/jalv.log"
  finish
fi
window=$(editor_window)
pass "jalv.gtk3 shows the editor (window $window)"

capture() { xwd -silent -id "$window" -out "$work/$1.xwd"; }
# A digest of the editor's pixels in a rectangle, in editor units.
region() { # NAME LEFT TOP RIGHT BOTTOM
  "$python" - "$work/$1.xwd" "$2" "$3" "$4" "$5" <<'EOF'
import hashlib, struct, sys
raw = open(sys.argv[1], "rb").read()
h = struct.unpack(">25I", raw[:100])
header, width, height, bpp, line, colours = h[0], h[4], h[5], h[11], h[12], h[19]
left, top, right, bottom = (int(v) for v in sys.argv[2:6])
pixels = raw[header + 12 * colours:]
step = bpp // 8
digest = hashlib.sha1()
for y in range(top, min(bottom, height)):
    digest.update(pixels[y * line + left * step:y * line + min(right, width) * step])
print(digest.hexdigest())
EOF
}
whole() { region "$1" 0 0 616 352; }

sleep 2
capture quiet1
sleep 1
capture quiet2
if [ "$(whole quiet1)" = "$(whole quiet2)" ]; then
  pass "the editor stands still without audio"
else
  fail "the editor changed without audio"
fi
if ! wait_until 5 has_port sine:output1 || ! connect_sine; then
  fail "the plug-in's inputs could not be connected"
  finish
fi
sleep 1.5
capture playing1
sleep 1
capture playing2
if [ "$(whole playing1)" != "$(whole playing2)" ] && [ "$(whole quiet2)" != "$(whole playing1)" ]; then
  pass "the editor's meters move while audio plays"
else
  fail "the editor did not change while audio plays"
fi

# The "Type" selector, and its menu below it: one 20-unit row a type. The
# editor's place on the screen once jalv has laid out its window.
read -r origin_x origin_y < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }')
click() { # X Y in editor units; the editor sees the pointer arrive, then the button
  xdotool mousemove "$((origin_x + $1))" "$((origin_y + $2))"
  sleep 0.2
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
}
menu_area() { region "$1" 13 87 93 147; }
capture closed
click 29 78
sleep 0.5
capture opened
if [ "$(menu_area closed)" != "$(menu_area opened)" ]; then
  pass "a click on the Type selector opens its menu"
else
  fail "a click on the Type selector showed no menu"
fi
# jalv prints every output port on each update: the DIAL readings hold their
# initial values until the processor measures DIAL.
dial_values() { grep '^out_dial_' "$work/jalv.log" | sort -u | wc -l; }
before_dial=$(dial_values)
click 30 137
sleep 1.5
capture dial
after_dial=$(dial_values)
if [ "$before_dial" -gt 0 ] && [ "$after_dial" -gt "$before_dial" ]; then
  pass "choosing DIAL reached the processor: its DIAL readings moved"
else
  fail "choosing DIAL: the DIAL readings took $before_dial values before and $after_dial after"
fi
if [ "$(menu_area opened)" != "$(menu_area dial)" ]; then
  pass "the menu closed on the choice"
else
  fail "the menu stayed open after the choice"
fi
if kill -0 "$jalv_pid" 2>/dev/null; then
  pass "jalv.gtk3 is still running"
else
  fail "jalv.gtk3 exited: status $(wait "$jalv_pid"; echo $?)"
  log_tail "$work/jalv.log"
fi
[ -z "${KEEP:-}" ] || echo "captures in $work"
finish
