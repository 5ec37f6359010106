#!/usr/bin/env bash
# The Windows build's proofs, under Wine on this machine (after build.sh and
# a Linux build with its tests in build/), for both architectures: x64
# (build-win64, 64-bit Wine) and x86-32 (build-win32, 32-bit Wine):
#
#   bash scripts/windows/wine-tests.sh
#
# 1. every *_tests program of the build (the unit tests and the Win32 editor
#    host, which compares with a capture the Linux editor tests make here),
#    in a fresh Wine prefix on an Xvfb server of their own;
# 2. kalvo5-meter.exe with Kalvo5.dll against kalvo5-meter with Kalvo5.so:
#    the same JSON report (every value and display text) and the same CSV
#    timeline (every output value every 50 ms) for the reference signal and
#    for stereo 48 kHz, 5.1 48 kHz, stereo 44.1 kHz and mono 96 kHz files;
#    and each meter given the other architecture's DLL says what it is and
#    what to load;
# 3. state chunks between Kalvo5.so and Kalvo5.dll: each loads the other's
#    and writes the same bytes again;
# 4. the PE headers, exports and imports of the DLLs;
# 5. editor_dpi_tests, where built, in the prefix set to 144 DPI.
#
# A program that cannot start under Wine may still exit 0: every check reads
# what the program printed (a test program's gtest summary, the meter's
# report). The programs are run directly, with the paths they need given at
# run time, and nothing is written into the tree: a copy of the tree,
# build folders included, tests itself.
#
# Prints one PASS or FAIL line per check, then "N passed, N failed"; the exit
# status is 1 when anything failed.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root" || exit 1
host=$(realpath -m "${KALVO5_HOST_BUILD:-build}")
# Architecture: build folder, Wine loader, objdump, PE format.
archs=(x64 x86-32)
declare -A folder=([x64]=$root/build-win64 [x86-32]=$root/build-win32)
declare -A wine=([x64]=/usr/lib/wine/wine64 [x86-32]=/usr/lib/wine/wine)
declare -A objdump=([x64]=x86_64-w64-mingw32-objdump [x86-32]=i686-w64-mingw32-objdump)
declare -A format=([x64]=pei-x86-64 [x86-32]=pei-i386)
# Test programs that need a prefix set up for them (step 5), not run in step 1.
dpi_programs=(editor_dpi_tests)
passed=0
failed=0

# check NAME COMMAND...: one line for the check; a command may leave a short
# note (a count) in $note for the line.
note=
check() {
  local name=$1
  shift
  note=
  if "$@"; then
    echo "PASS $name${note:+ ($note)}"
    passed=$((passed + 1))
  else
    echo "FAIL $name${note:+ ($note)}"
    failed=$((failed + 1))
    return 1
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
mkdir -p "$scratch/logs" "$scratch/run"

# A Unix path as Windows programs under Wine name it (Z: is the root).
windows_path() {
  local path=${1//\//\\}
  echo "Z:$path"
}

# A prefix of its own (made after wine32 was installed, so it runs 32-bit
# programs too), no prompts for Wine's .NET and HTML engines, quiet.
export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# An X server of its own for the editor.
exec 3>"$scratch/display"
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1600x1000x24 >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [[ -s $scratch/display ]] && break; sleep 0.1; done
DISPLAY=:$(head -1 "$scratch/display")
export DISPLAY
${wine[x64]} wineboot -i >/dev/null 2>&1
echo "Wine: $(${wine[x64]} --version)"

# A gtest program's summary: all passed, and more than none.
gtest_passed() {
  local log=$1
  local count
  count=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
  note="${count:-no} tests passed"
  if grep -q '^\[  FAILED  \]' "$log"; then
    local names
    names=$(grep '^\[  FAILED  \] [A-Za-z]' "$log" | tr -d '\r' | sed 's/^\[  FAILED  \] //; s/ (.*//' | sort -u)
    note="$(wc -l <<<"$names") failed: $(head -5 <<<"$names" | tr '\n' ' ')"
    return 1
  fi
  [[ -n $count && $count -gt 0 ]]
}

# run_tests ARCH PROGRAM: a test program with the arguments of its .args
# file, in a folder of the scratch space, checked by what it printed.
run_tests() {
  local arch=$1 program=$2
  local name
  name=$(basename "$program" .exe)
  local arguments=()
  [[ -f ${program%.exe}.args ]] && mapfile -t arguments < <(grep -v '^$' "${program%.exe}.args")
  local log=$scratch/logs/$arch-$name.log
  mkdir -p "$scratch/run/$arch-$name"
  local start=$SECONDS
  (cd "$scratch/run/$arch-$name" &&
    KALVO5_MODULE=$(windows_path "${folder[$arch]}/Kalvo5.dll") \
      KALVO5_TEST_DATA=$(windows_path "$root/tests/plugin/data") \
      KALVO5_EDITOR_REFERENCE=$(windows_path "$scratch/kalvo5-editor-reference.ppm") \
      timeout 300 "${wine[$arch]}" "$program" "${arguments[@]}") >"$log" 2>&1
  local status=$?
  local took="$((SECONDS - start)) s"
  gtest_passed "$log" || {
    note="$note, $took"
    echo "  last lines of $name ($arch):" >&2
    tail -15 "$log" | sed 's/^/    /' >&2
    return 1
  }
  note="$note, $took"
  [[ $status == 0 ]] || {
    note="$note, exit status $status"
    return 1
  }
}

# 1. The Linux editor's picture for the editor host test (of this tree's
# Kalvo5.so, kept in the scratch folder), then every test program.
linux_reference() {
  local log=$scratch/logs/linux-reference.log
  (cd "$scratch/run" && DISPLAY='' KALVO5_MODULE=$host/Kalvo5.so \
    KALVO5_EDITOR_REFERENCE=$scratch/kalvo5-editor-reference.ppm \
    "$host/tests/editor_tests" --gtest_filter='Kalvo5ReferenceCapture.*') >"$log" 2>&1 &&
    gtest_passed "$log" && [[ -s $scratch/kalvo5-editor-reference.ppm ]]
}
check "Linux editor picture for the editor host tests" linux_reference

is_dpi_program() {
  local name=$1 dpi
  for dpi in "${dpi_programs[@]}"; do [[ $name == "$dpi" ]] && return 0; done
  return 1
}
for arch in "${archs[@]}"; do
  programs=("${folder[$arch]}"/tests/*_tests.exe)
  if [[ ! -f ${programs[0]} ]]; then
    check "$arch test programs built in ${folder[$arch]#"$root"/}/tests" false
    continue
  fi
  for program in "${programs[@]}"; do
    name=$(basename "$program" .exe)
    is_dpi_program "$name" && continue
    check "$arch $name" run_tests "$arch" "$program"
  done
done

# 2. Readings of the meters, paths aside.
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
# The Linux meter's report and timeline of each input, made once; the meter
# loads the Kalvo5.so of the build it belongs to (this tree's).
linux_readings() {
  local out=$scratch/linux-$1
  shift
  "$host/tools/kalvo5-meter" --type all --json --csv "$out.csv" "$@" >"$out.full.json" || return 1
  grep -q "\"path\": \"$host/Kalvo5.so\"" "$out.full.json" || {
    note="loaded $(grep -o '"path": "[^"]*"' "$out.full.json" | head -1)"
    return 1
  }
  grep -v '"path"' "$out.full.json" >"$out.json" && [[ -s $out.csv ]]
}
# compare_readings ARCH INPUT [FILE]: the final readings (JSON) and the whole
# 50 ms timeline of every output value (CSV) of the Windows meter of ARCH,
# which loads the Kalvo5.dll of its own build folder.
compare_readings() {
  local arch=$1 input=$2
  shift 2
  local linux=$scratch/linux-$input windows=$scratch/$arch-$input
  (cd "$scratch/run" && "${wine[$arch]}" "${folder[$arch]}/tools/kalvo5-meter.exe" --type all --json \
    --csv "$windows.csv" "$@") >"$windows.full.json" || return 1
  grep -v '"path"' "$windows.full.json" >"$windows.json"
  grep -q '"results"' "$windows.json" || {
    note="no report"
    return 1
  }
  cmp -s "$linux.json" "$windows.json" || {
    note="JSON differs: $(diff "$linux.json" "$windows.json" | grep -c '^>') lines"
    return 1
  }
  cmp -s "$linux.csv" "$windows.csv" || {
    note="CSV differs: $(diff "$linux.csv" "$windows.csv" | grep -c '^>') of $(wc -l <"$linux.csv") rows"
    return 1
  }
}
inputs=(reference stereo-48k.wav surround-5.1-48k.wav stereo-44k1.wav mono-96k.wav)
for input in "${inputs[@]}"; do
  files=()
  [[ $input == reference ]] || files=("$scratch/$input")
  check "Linux readings of $input" linux_readings "$input" "${files[@]}"
done
for arch in "${archs[@]}"; do
  for input in "${inputs[@]}"; do
    files=()
    [[ $input == reference ]] || files=("$scratch/$input")
    check "$arch readings of $input equal Linux's" compare_readings "$arch" "$input" "${files[@]}"
  done
done

# A DLL of the other architecture is refused with what to load instead.
wrong_architecture() {
  local arch=$1 dll=$2 expected=$3
  local said
  said=$(cd "$scratch/run" && "${wine[$arch]}" "${folder[$arch]}/tools/kalvo5-meter.exe" --plugin "$dll" 2>&1)
  grep -qF "$expected" <<<"$said"
}
check "x64 meter names the x86-32 DLL as 32-bit" wrong_architecture x64 "${folder[x86-32]}/Kalvo5.dll" \
  "32-bit (x86) DLL and this meter is 64-bit"
check "x86-32 meter names the x64 DLL as 64-bit" wrong_architecture x86-32 "${folder[x64]}/Kalvo5.dll" \
  "64-bit (x64) DLL and this meter is 32-bit"

# 3. State chunks both ways between the Linux module and each DLL.
settings=(--set "Type=DIAL" --set "RMS Window=300" --set "EBU Channel Config=5.1" --set "Dial RefLevel=-27")
state_linux() { "$host/tests/kalvo5-state" "$host/Kalvo5.so" "$@"; }
state_windows() {
  local arch=$1
  shift
  (cd "$scratch/run" && "${wine[$arch]}" "${folder[$arch]}/tests/kalvo5-state.exe" "${folder[$arch]}/Kalvo5.dll" "$@")
}
state_round_trip() {
  local arch=$1
  local linux=$scratch/linux.chunk windows=$scratch/$arch.chunk
  rm -f "$linux" "$windows" "$windows-from-linux" "$linux-from-$arch"
  state_linux "$linux" "${settings[@]}" &&
    state_windows "$arch" "$windows" "${settings[@]}" &&
    state_windows "$arch" "$windows-from-linux" --chunk "$linux" &&
    state_linux "$linux-from-$arch" --chunk "$windows" || return 1
  note="$(stat -c %s "$windows" 2>/dev/null || echo no) bytes"
  [[ -s $linux ]] && cmp -s "$linux" "$windows" && cmp -s "$linux" "$windows-from-linux" &&
    cmp -s "$windows" "$linux-from-$arch"
}
for arch in "${archs[@]}"; do
  check "$arch state chunks between Kalvo5.so and Kalvo5.dll" state_round_trip "$arch"
done

# 4. What the DLLs are.
dll_facts() {
  local arch=$1
  local dll=${folder[$arch]}/Kalvo5.dll
  local facts
  facts=$(${objdump[$arch]} -p "$dll") || return 1
  grep -q "file format ${format[$arch]}" <<<"$facts" || return 1
  # Exactly the two entry points.
  [[ $(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$facts" | grep -cE '^\s+\[ *[0-9]+\]') == 2 ]] || return 1
  grep -q '\] VSTPluginMain$' <<<"$facts" && grep -q '\] main$' <<<"$facts" || return 1
  # Only system DLLs.
  local imports
  imports=$(grep 'DLL Name:' <<<"$facts" | awk '{print tolower($3)}')
  echo "  $arch Kalvo5.dll ($(stat -c %s "$dll") bytes) imports:" $imports
  ! grep -qvE '^(kernel32|user32|gdi32|shell32|ole32|comdlg32|advapi32|iphlpapi|winhttp|msvcrt|msimg32)\.dll$' <<<"$imports"
}
check "x64 DLL: PE32+, two exports, system imports" dll_facts x64
check "x86-32 DLL: PE32, two exports, system imports" dll_facts x86-32

# 5. The programs that need the prefix at 144 DPI, last. Programs read the
# setting when they start, so the prefix's processes end first; the setting
# is read back before anything counts on it.
dpi_prefix() {
  ${wine[x64]} reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 || return 1
  /usr/lib/wine/wineserver -k
  /usr/lib/wine/wineserver -w
  ${wine[x64]} reg query 'HKCU\Control Panel\Desktop' /v LogPixels 2>/dev/null | grep -qi 'REG_DWORD *0x90'
}
dpi_ready=
for arch in "${archs[@]}"; do
  for name in "${dpi_programs[@]}"; do
    program=${folder[$arch]}/tests/$name.exe
    [[ -f $program ]] || continue
    if [[ -z $dpi_ready ]]; then
      check "Wine prefix set to 144 DPI" dpi_prefix && dpi_ready=yes || dpi_ready=no
    fi
    if [[ $dpi_ready == yes ]]; then
      check "$arch $name at 144 DPI" run_tests "$arch" "$program"
    fi
  done
done

echo "$passed passed, $failed failed"
[[ $failed == 0 ]]
