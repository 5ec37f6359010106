#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and benchmark.
# Idempotent: packages already present are left alone. Run as root, or as a
# user with sudo.
set -euo pipefail

packages=(
  # build, format check, fuzzing (clang with its sanitizer and libFuzzer runtimes)
  cmake ninja-build g++ pkg-config clang-format clang libclang-rt-14-dev
  # reading the text of the generated manual back in its test
  poppler-utils
  # unit tests, benchmarks, test oracles
  libgtest-dev libgmock-dev libbenchmark-dev libebur128-dev espeak-ng sox alsa-utils
  # plug-in state, update check, meter command
  libtinyxml-dev libcurl4-openssl-dev libsndfile1-dev
  # editor drawing and window, its fonts; an X server and input faking for its tests
  libcairo2-dev libx11-dev libxext-dev libfreetype-dev fonts-roboto-unhinted fonts-dejavu-core fonts-dseg
  # the installed fonts it falls back to for characters its own lack, and one
  # with Chinese characters for the tests of that (Wine's programs see it too)
  libfontconfig-dev fonts-wqy-microhei
  xvfb xauth libxtst-dev
  # a third-party Linux VST 2 plug-in the meter command's host tests load
  dpf-plugins-vst
  # a real DAW the plug-in is tested in, run headless (tests/host)
  ardour python3
  # the LV2 bundle: its headers, a host library and tools for its tests
  # (lv2_validate needs sord_validate from sordi), and the peer meter the
  # LV2 benchmark runs beside it
  lv2-dev liblilv-dev lilv-utils lv2file sordi x42-plugins
  # the LV2 reference host on a JACK server of the test's own, and the X tools
  # that find, capture and click the editor it shows (tests/host/jalv_test.sh)
  jalv jackd2 x11-utils x11-apps xdotool
)

# The Windows build's compilers, Wine and Debian's source entries.
bash "$(dirname "${BASH_SOURCE[0]}")/windows/install-deps.sh"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi

echo "installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
