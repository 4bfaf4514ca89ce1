#!/usr/bin/env bash
# Builds and runs every benchmark; each prints its figures and its ratio to a
# baseline measured in the same run. Benchmarks never fail the build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
for bench in "$build"/bin/bench_*; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench" || echo "(exited with $?)"
done
