#!/usr/bin/env bash
# Builds the project and runs its main job.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
./build/bench/kalvo5_bench --benchmark_min_time=0.05 "$@"
