#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless.
#
#   scripts/test.sh                 the normal build and the whole suite, then
#                                   the sanitizer build and the whole suite again
#   scripts/test.sh --sanitize      only the sanitizer build (build-sanitize/),
#                                   with the whole suite
#   scripts/test.sh --no-sanitize   only the normal build and the whole suite
#   scripts/test.sh --no-fuzz       without the short fuzz pass (FUZZ_SECONDS
#                                   per target, 5 by default) after the suite
#   scripts/test.sh --repeat N      hunts flaky tests: runs the suite N times
#                                   on a busy machine (ctest -j REPEAT_JOBS,
#                                   twice the cores by default) and prints
#                                   every test that failed at least once, with
#                                   how often and the failing test functions;
#                                   no fuzz pass. Combine with --no-sanitize
#                                   or --sanitize to repeat one build only.
#   scripts/test.sh --repeat N --hog
#                                   the same while one busy loop per core
#                                   keeps the machine loaded (for an idle
#                                   machine; stopped when the runs end)
#
# REPEAT_SELECT adds ctest arguments to every repeated run, e.g.
# REPEAT_SELECT="-R test_importexport" or "-L sanitize". The logs of every
# round are kept in <build>/flaky/.
#
# SANITIZE_TESTS=core runs only the tests labelled "sanitize" in the sanitizer
# build (data, protocol, jobs, change feed, writing window, crash safety):
# for a machine too slow for both whole runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=${JOBS:-$(nproc)}

# --- options -----------------------------------------------------------------
run_normal=1
fuzz=1
sanitize=${SANITIZE_TESTS:-all}
repeat=0
hog=0
while [ $# -gt 0 ]; do
  case $1 in
    --sanitize) run_normal=0 ;;
    --no-sanitize) sanitize=none ;;
    --no-fuzz) fuzz=0 ;;
    --repeat)
      shift
      repeat=${1:-}
      if ! [[ $repeat =~ ^[1-9][0-9]*$ ]]; then
        echo "--repeat needs a number of runs" >&2
        exit 2
      fi
      fuzz=0 ;;
    --hog) hog=1 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done
if [ $hog = 1 ] && [ $repeat = 0 ]; then
  echo "--hog only goes with --repeat" >&2
  exit 2
fi

"$root/scripts/install-deps.sh"

# --- compiler cache ------------------------------------------------------------
# Every clone of the same commit shares the cache: paths below the tree are
# handed to the compiler relative to the build folder, the working directory
# is left out of the hash, and so are the prefix maps of absolute paths (they
# name the clone's folder, but their effect, file names relative to the tree,
# is the same in every clone). The relative maps stay in the hash.
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
export CCACHE_BASEDIR=$root
export CCACHE_NOHASHDIR=1
export CCACHE_IGNOREOPTIONS='-fmacro-prefix-map=/* -fdebug-prefix-map=/*'

export QTWEBENGINE_DISABLE_SANDBOX=1
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

# run_suite BUILD_DIR [ctest selection...]: the offscreen tests in parallel,
# then those that need a real X server in parallel too, each run on an X
# server of its own (tests/CMakeLists.txt starts one for every such run).
run_suite() {
  local dir=$1; shift
  local status=0
  (cd "$dir" && ctest --output-on-failure -j "$jobs" -LE xvfb "$@") || status=1
  if (cd "$dir" && ctest -N -L xvfb "$@" | grep -q 'Total Tests: [1-9]'); then
    (cd "$dir" && ctest --output-on-failure -j "$jobs" -L xvfb "$@") || status=1
  fi
  return $status
}

# repeat_suite BUILD_DIR [ctest selection...]: the suite REPEAT times, every
# run in parallel at REPEAT_JOBS, so that tests compete for the processors as
# on a loaded CI machine; then every test that failed at least once. A test
# that waits for its outcome passes however slow the machine is.
repeat_suite() {
  local dir=$1; shift
  local rjobs=${REPEAT_JOBS:-$((2 * $(nproc)))}
  local logs=$dir/flaky
  local status=0 round kind out
  # shellcheck disable=SC2206
  local select=(${REPEAT_SELECT:-})
  rm -rf "$logs"
  mkdir -p "$logs"
  for round in $(seq 1 "$repeat"); do
    for kind in offscreen xvfb; do
      out=$logs/round$round-$kind.log
      if [ $kind = offscreen ]; then
        (cd "$dir" && ctest --output-on-failure -j "$rjobs" -LE xvfb "$@" "${select[@]}") >"$out" 2>&1 || status=1
      elif (cd "$dir" && ctest -N -L xvfb "$@" "${select[@]}" | grep -q 'Total Tests: [1-9]'); then
        (cd "$dir" && ctest --output-on-failure -j "$rjobs" -L xvfb "$@" "${select[@]}") >"$out" 2>&1 || status=1
      fi
      [ -f "$out" ] && grep -E '^[0-9]+% tests passed' "$out" | sed "s/^/round $round, $kind: /"
    done
  done
  echo "--- tests that failed at least once in $repeat runs ($dir, ctest -j $rjobs)"
  # ctest lists them after "The following tests FAILED:" as "  12 - name (Failed)".
  cat "$logs"/round*.log | sed -n '/^The following tests FAILED:/,/^Errors while running/p' |
    sed -nE 's/^[[:space:]]*[0-9]+ - ([^ ]+) .*/\1/p' | sort | uniq -c | sort -rn |
    awk -v n="$repeat" '{ printf "  %-40s failed %d of %d\n", $2, $1, n } END { if (NR == 0) print "  none" }'
  echo "--- failing test functions (Qt Test FAIL! lines, with how often)"
  cat "$logs"/round*.log | sed -nE 's/^.*(FAIL!  : [^ (]+(\([^)]*\))?).*/\1/p' | sort | uniq -c | sort -rn |
    sed 's/^/  /'
  return $status
}

hog_pids=()
stop_hog() {
  local pid
  for pid in "${hog_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  hog_pids=()
}
start_hog() {
  local i
  for i in $(seq 1 "$(nproc)"); do
    (while :; do :; done) &
    hog_pids+=($!)
  done
  trap stop_hog EXIT
}

status=0

# --- normal build and the whole suite --------------------------------------------
if [ $run_normal = 1 ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$jobs"
  if [ $repeat -gt 0 ]; then
    [ $hog = 1 ] && start_hog
    repeat_suite "$build" || status=1
    stop_hog
  else
    run_suite "$build" || status=1
  fi
fi

# --- short fuzz pass -------------------------------------------------------------
# The libFuzzer targets (clang, in build-fuzz/) for a few seconds each; the
# kept corpus is already replayed by the suite's test_fuzz_corpus.
if [ $run_normal = 1 ] && [ $fuzz = 1 ]; then
  "$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-5}" || status=1
fi

# --- sanitizer build ---------------------------------------------------------------
# AddressSanitizer and UndefinedBehaviorSanitizer over the whole suite. Both
# runs together take about half an hour from an empty compiler cache on two
# cores, well inside CI's time; SANITIZE_TESTS=core narrows this one to the
# tests labelled "sanitize" (tests/CMakeLists.txt gives the label by area).
if [ $sanitize != none ]; then
  sbuild=${SANITIZE_BUILD_DIR:-$root/build-sanitize}
  # Leak checking is off. With it on, every leak reported by the whole suite
  # was allocated inside Qt (the QML engine's heap, Qt Core, the offscreen
  # platform plugin), fontconfig or D-Bus; LeakSanitizer's suppressions match
  # whole call stacks, which here always pass through Qt, so they cannot be
  # narrowed to those libraries without hiding this tree's leaks as well.
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:strict_init_order=1:detect_stack_use_after_return=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  # The options hold for the build too: it runs instrumented tools of ours
  # (the cover generator) whose Qt allocations would otherwise fail it.
  cmake -S "$root" -B "$sbuild" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCLIENT_SANITIZE=ON >/dev/null
  cmake --build "$sbuild" -j "$jobs"
  selection=()
  [ $sanitize = all ] || selection=(-L sanitize)
  if [ $repeat -gt 0 ]; then
    [ $hog = 1 ] && start_hog
    repeat_suite "$sbuild" "${selection[@]}" || status=1
    stop_hog
  else
    run_suite "$sbuild" "${selection[@]}" || status=1
  fi
fi
exit $status
