#!/usr/bin/env bash
# A sound server of the tests' own: a daemon with a null sink (it plays into
# nothing) on a socket in the given folder, for the typing-sound runs that
# want a real server. CTest starts it before those runs and stops it after
# them (tests/CMakeLists.txt, fixture "sound_server").
#
#   scripts/sound-server.sh start DIR   starts it; the clients' address is
#                                       unix:DIR/native
#   scripts/sound-server.sh stop DIR    stops the one started there
#
# Everything the daemon keeps (its settings, cookie, runtime files, log)
# stays in DIR: it never meets a desktop's own server. It runs as a user's
# daemon also under root, where it only warns that it was meant for --system.
set -euo pipefail
action=${1:-}
dir=${2:-}
if [ -z "$dir" ] || { [ "$action" != start ] && [ "$action" != stop ]; }; then
  echo "usage: $0 start|stop DIR" >&2
  exit 2
fi

stop() {
  if [ -f "$dir/pid" ]; then
    local pid
    pid=$(cat "$dir/pid")
    if kill "$pid" 2>/dev/null; then
      for _ in $(seq 1 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
      done
      kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$dir/pid"
  fi
  rm -f "$dir/native"
}

if [ "$action" = stop ]; then
  stop
  exit 0
fi

# A daemon left over from a run that was killed goes first.
stop
mkdir -p "$dir/home" "$dir/runtime" "$dir/state"
chmod 700 "$dir/runtime"
command -v pulseaudio >/dev/null || { echo "no pulseaudio: scripts/install-deps.sh installs it" >&2; exit 1; }
# A session of its own and no terminal: CTest waits for nothing of it, and
# the daemon outlives this script. No shared memory: the sounds go through
# the socket, also in a container whose /dev/shm is small.
HOME=$dir/home XDG_CONFIG_HOME=$dir/home/config XDG_RUNTIME_DIR=$dir/runtime PULSE_RUNTIME_PATH=$dir/runtime \
PULSE_STATE_PATH=$dir/state DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus DISPLAY= \
  setsid pulseaudio --daemonize=no --system=no --use-pid-file=no --exit-idle-time=-1 --disallow-exit \
    --realtime=no --high-priority=no --disable-shm=yes -n \
    --load=module-null-sink \
    --load="module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
    --log-target=file:"$dir/log" </dev/null >/dev/null 2>&1 &
echo $! >"$dir/pid"
# The socket is there once the daemon takes clients.
for _ in $(seq 1 200); do
  [ -S "$dir/native" ] && exit 0
  if ! kill -0 "$(cat "$dir/pid")" 2>/dev/null; then
    echo "the sound server ended at start:" >&2
    cat "$dir/log" >&2 || true
    exit 1
  fi
  sleep 0.1
done
echo "the sound server did not open $dir/native in 20 seconds:" >&2
cat "$dir/log" >&2 || true
stop
exit 1
