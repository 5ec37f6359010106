# What the host tests share: their scratch home, the tools they need, the
# count of failed checks and their report. Sourced by each test script, which
# ends with its failures as its status.

# Exits with STATUS, naming the first of the tools that is missing.
require_tools() { # STATUS TOOL...
  local status=$1 tool
  shift
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "missing $tool (bash scripts/install-deps.sh installs it)" >&2
      exit "$status"
    fi
  done
}

# HOME, the XDG folders and TMPDIR inside the test's scratch folder $work, so
# that neither the host's nor the plug-in's configuration reaches the real
# home; the plug-in's version check never leaves the machine.
scratch_home() {
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
  export XDG_CACHE_HOME="$work/home/.cache" TMPDIR="$work"
  mkdir -p "$HOME"
  export KALVO5_UPDATE_SERVER=http://127.0.0.1:9/
}

failures=0
pass() { echo "ok   - $*"; }
fail() {
  echo "FAIL - $*"
  failures=$((failures + 1))
}
# The end of a log, when a check failed.
log_tail() {
  echo "---- last lines of $(basename "$1")"
  tail -n 40 "$1"
  echo "----"
}
# A host's exit status, explained when it was stopped after $step_seconds or
# died from a signal.
status_text() {
  if [ "$1" -eq 124 ]; then
    echo "124 (still running after $step_seconds s)"
  elif [ "$1" -gt 128 ]; then
    echo "$1 (killed by signal $(($1 - 128)): $(kill -l "$(($1 - 128))" 2>/dev/null))"
  else
    echo "$1"
  fi
}
