#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=${JOBS:-$(nproc)}

"$root/scripts/install-deps.sh"

export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs"

export QTWEBENGINE_DISABLE_SANDBOX=1
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

status=0
# Tests that need a real X server share one xvfb-run; the rest run offscreen.
(cd "$build" && ctest --output-on-failure -j "$jobs" -LE xvfb) || status=1
if (cd "$build" && ctest -N -L xvfb | grep -q 'Total Tests: [1-9]'); then
  (cd "$build" && xvfb-run -a -s "-screen 0 1920x1080x24" ctest --output-on-failure -L xvfb) || status=1
fi
exit $status
