#!/usr/bin/env bash
# The Windows build's proofs, under Wine on this machine (after build.sh and
# a Linux build with its tests in build/):
#
#   bash scripts/windows/wine-tests.sh
#
# 1. the x64 unit tests and the Win32 editor host test (ctest in build-win64),
#    in a fresh Wine prefix on an Xvfb server of their own;
# 2. kalvo5-meter.exe with Kalvo5.dll against kalvo5-meter with Kalvo5.so:
#    the same JSON report (every value and display text) and the same CSV
#    timeline (every output value every 50 ms) for the reference
#    signal and for stereo 48 kHz, 5.1 48 kHz, stereo 44.1 kHz and mono
#    96 kHz files;
# 3. state chunks between Kalvo5.so and Kalvo5.dll: each loads the other's
#    and writes the same bytes again;
# 4. the PE headers, exports and imports of both DLLs.
# Beside 2, the x64 meter given the x86-32 DLL says what it is and what to load.
# Prints "N passed, N failed" last; the exit status is 1 when anything failed.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"
host=${KALVO5_HOST_BUILD:-build}
win64=build-win64
win32=build-win32
wine=/usr/lib/wine/wine64
passed=0
failed=0

check() {
  local name=$1
  shift
  if "$@"; then
    echo "PASS $name"
    passed=$((passed + 1))
  else
    echo "FAIL $name"
    failed=$((failed + 1))
  fi
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/kalvo5-wine.XXXXXX")
xvfb_pid=
cleanup() {
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  WINEPREFIX=$scratch/prefix /usr/lib/wine/wineserver -k 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

# A prefix of its own, no prompts for Wine's .NET and HTML engines, quiet.
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# An X server of its own for the editor.
exec 3>"$scratch/display"
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [[ -s $scratch/display ]] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$scratch/display")
$wine wineboot -i >/dev/null 2>&1
echo "Wine: $($wine --version)"

# 1. The unit tests and the editor host (which compares with the capture the
# Linux editor tests leave in $host/tests).
if [[ ! -f $host/tests/kalvo5-editor-reference.ppm ]]; then
  (DISPLAY= "$host/tests/editor_tests" --gtest_filter='Kalvo5ReferenceCapture.*' >/dev/null)
fi
check "unit and editor tests under Wine" ctest --test-dir "$win64" --output-on-failure -j2

# 2. Readings of the two meters, paths aside.
python3 - "$scratch" <<'EOF'
import math, struct, sys, wave
folder = sys.argv[1]
def write(name, rate, channels, seconds, sample):
    with wave.open(f"{folder}/{name}", "wb") as out:
        out.setnchannels(channels)
        out.setsampwidth(2)
        out.setframerate(rate)
        frames = bytearray()
        for n in range(int(rate * seconds)):
            for c in range(channels):
                value = max(-1.0, min(1.0, sample(n / rate, c)))
                frames += struct.pack("<h", int(round(value * 32767)))
        out.writeframes(bytes(frames))
state = [12345]
def noise():
    state[0] = (state[0] * 1103515245 + 12345) % 2**31
    return state[0] / 2**31 * 2 - 1
write("stereo-48k.wav", 48000, 2, 6, lambda t, c: 0.2 * math.sin(2 * math.pi * (997 + 200 * c) * t) * (1 + 0.5 * math.sin(t)))
write("surround-5.1-48k.wav", 48000, 6, 5, lambda t, c: 0.15 * math.sin(2 * math.pi * (300 + 150 * c) * t) + 0.02 * noise())
write("stereo-44k1.wav", 44100, 2, 6, lambda t, c: 0.3 * noise() * (0.2 if int(t) % 2 else 1.0))
write("mono-96k.wav", 96000, 1, 3, lambda t, c: 0.5 * math.sin(2 * math.pi * 5000 * t))
EOF
# The final readings (JSON) and the whole 50 ms timeline of every output
# value (CSV).
compare_readings() {
  local linux=$scratch/linux windows=$scratch/windows
  "$host/tools/kalvo5-meter" --type all --json --csv "$linux.csv" "$@" | grep -v '"path"' >"$linux.json" || return 1
  $wine "$win64/tools/kalvo5-meter.exe" --type all --json --csv "$windows.csv" "$@" | grep -v '"path"' \
    >"$windows.json" || return 1
  cmp -s "$linux.json" "$windows.json" && cmp -s "$linux.csv" "$windows.csv" && [[ -s $linux.csv ]]
}
check "readings of the reference signal" compare_readings
for file in stereo-48k.wav surround-5.1-48k.wav stereo-44k1.wav mono-96k.wav; do
  check "readings of $file" compare_readings "$scratch/$file"
done

# A DLL of the other architecture is refused with what to load instead (the
# exit status of a program under Wine says little: its words are checked).
wrong_architecture() {
  local said
  said=$($wine "$win64/tools/kalvo5-meter.exe" --plugin "$win32/Kalvo5.dll" 2>&1)
  grep -q "32-bit (x86) DLL and this meter is 64-bit" <<<"$said"
}
check "the x64 meter names a 32-bit DLL as such" wrong_architecture

# 3. State chunks both ways.
settings=(--set "Type=DIAL" --set "RMS Window=300" --set "EBU Channel Config=5.1" --set "Dial RefLevel=-27")
state_linux() { "$host/tests/kalvo5-state" "$host/Kalvo5.so" "$@"; }
state_windows() { $wine "$win64/tests/kalvo5-state.exe" "$win64/Kalvo5.dll" "$@"; }
state_round_trip() {
  state_linux "$scratch/linux.chunk" "${settings[@]}" &&
    state_windows "$scratch/windows.chunk" "${settings[@]}" &&
    state_windows "$scratch/windows-from-linux.chunk" --chunk "$scratch/linux.chunk" &&
    state_linux "$scratch/linux-from-windows.chunk" --chunk "$scratch/windows.chunk" &&
    cmp -s "$scratch/linux.chunk" "$scratch/windows.chunk" &&
    cmp -s "$scratch/linux.chunk" "$scratch/windows-from-linux.chunk" &&
    cmp -s "$scratch/windows.chunk" "$scratch/linux-from-windows.chunk"
}
check "state chunks between Kalvo5.so and Kalvo5.dll" state_round_trip

# 4. What the DLLs are.
dll_facts() {
  local objdump=$1 dll=$2 format=$3
  local facts
  facts=$($objdump -p "$dll") || return 1
  grep -q "file format $format" <<<"$facts" || return 1
  # Exactly the two entry points.
  [[ $(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$facts" | grep -cE '^\s+\[ *[0-9]+\]') == 2 ]] || return 1
  grep -q '\] VSTPluginMain$' <<<"$facts" && grep -q '\] main$' <<<"$facts" || return 1
  # Only system DLLs.
  local imports
  imports=$(grep 'DLL Name:' <<<"$facts" | awk '{print tolower($3)}')
  echo "  $dll ($(stat -c %s "$dll") bytes) imports:" $imports
  ! grep -qvE '^(kernel32|user32|gdi32|shell32|ole32|comdlg32|advapi32|iphlpapi|winhttp|msvcrt|msimg32)\.dll$' <<<"$imports"
}
check "x64 DLL: PE32+, two exports, system imports" dll_facts x86_64-w64-mingw32-objdump "$win64/Kalvo5.dll" pei-x86-64
check "x86-32 DLL: PE32, two exports, system imports" dll_facts i686-w64-mingw32-objdump "$win32/Kalvo5.dll" pei-i386

echo "$passed passed, $failed failed"
[[ $failed == 0 ]]
