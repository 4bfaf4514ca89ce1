#!/usr/bin/env bash
# Installs what is missing, builds, and starts the client. Unless
# TESSANE_API_BASE names a platform, the stand-in platform is started on
# 127.0.0.1 (demo account 13800000000 / demo1234) and the client pointed at it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

if [ -z "${TESSANE_API_BASE:-}" ]; then
  port_file=$(mktemp)
  "$build/bin/standin" >"$port_file" &
  standin_pid=$!
  trap 'kill "$standin_pid" 2>/dev/null; rm -f "$port_file"' EXIT
  for _ in $(seq 50); do
    [ -s "$port_file" ] && break
    sleep 0.1
  done
  port=$(head -n 1 "$port_file")
  if [ -z "$port" ]; then
    echo "the stand-in platform did not start" >&2
    exit 1
  fi
  export TESSANE_API_BASE="http://127.0.0.1:$port"
  echo "stand-in platform at $TESSANE_API_BASE (demo account 13800000000 / demo1234)"
fi

# The web engine refuses to run as root inside its sandbox.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi

"$build/bin/vellora-client" "$@"
