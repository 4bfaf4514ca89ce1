#!/usr/bin/env bash
# Runs one test executable on an X server of its own, from a program folder of
# its own, so that CTest can run such tests side by side: they then share no
# display (key grabs, the window manager and tray host a test starts, focus)
# and none of what the program keeps beside its executable (the settings
# file, logs, the single-instance name), in the home folder or in the
# configuration folder (session autostart entries).
#
#   scripts/test-display.sh "SERVER ARGS" RUN_DIR EXECUTABLE [ARGUMENTS...]
#
# SERVER ARGS go to Xvfb (e.g. "-screen 0 2400x1500x24 -dpi 144"). RUN_DIR is
# made anew: the executable linked into it (a hard link, so that the program
# finds its folder there; a copy where no link can be made), a copy of the
# data folder beside the executable, with the settings file as it is there,
# a home folder and a configuration folder. The X server picks a free display number itself and
# names it (-displayfd), so servers started at once never race for one.
# Exits with the test's status; RUN_DIR stays after a failure.
set -uo pipefail
if [ $# -lt 3 ]; then
  echo "usage: $0 \"SERVER ARGS\" RUN_DIR EXECUTABLE [ARGUMENTS...]" >&2
  exit 2
fi
server_args=$1
run_dir=$2
exe=$3
shift 3

rm -rf "$run_dir"
mkdir -p "$run_dir/home" "$run_dir/config" || exit 1
name=$(basename "$exe")
ln "$exe" "$run_dir/$name" 2>/dev/null || cp -p "$exe" "$run_dir/$name" || exit 1
bin=$(dirname "$exe")
if [ -d "$bin/data" ]; then
  cp -R "$bin/data" "$run_dir/data" || exit 1
fi

auth=$run_dir/Xauthority
display_file=$run_dir/display
cookie=$(mcookie)
: >"$auth"
# The server takes every cookie of its file, whatever display it names; the
# clients' entry is added once the display is known.
xauth -f "$auth" add :0 . "$cookie" >/dev/null 2>&1 || exit 1
# shellcheck disable=SC2086
Xvfb -displayfd 3 -nolisten tcp -auth "$auth" $server_args 3>"$display_file" >"$run_dir/xvfb.log" 2>&1 &
xvfb=$!
stop_server() {
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
}
trap stop_server EXIT

# The number is written once the server takes clients.
for _ in $(seq 1 600); do
  grep -q . "$display_file" 2>/dev/null && break
  if ! kill -0 "$xvfb" 2>/dev/null; then
    echo "the X server ended at start:" >&2
    cat "$run_dir/xvfb.log" >&2
    exit 1
  fi
  sleep 0.1
done
display=$(head -n 1 "$display_file")
if [ -z "$display" ]; then
  echo "the X server named no display in 60 seconds" >&2
  exit 1
fi
xauth -f "$auth" add ":$display" . "$cookie" >/dev/null 2>&1 || exit 1

DISPLAY=:$display XAUTHORITY=$auth HOME=$run_dir/home XDG_CONFIG_HOME=$run_dir/config "$run_dir/$name" "$@"
status=$?
stop_server
trap - EXIT
[ $status -eq 0 ] && rm -rf "$run_dir"
exit $status
