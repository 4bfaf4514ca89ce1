#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang and libFuzzer (with
# AddressSanitizer and UndefinedBehaviorSanitizer) in their own build folder
# and runs each of them for the given number of seconds (default 60).
#
#   scripts/fuzz.sh [seconds]
#
# Each target starts from its kept corpus (tests/fuzz/corpus/<target>); new
# inputs it finds go to build-fuzz/corpus/<target>, a crash to
# build-fuzz/crashes/. Keep a crash's input in the kept corpus once it is
# mended: the ordinary build's test_fuzz_corpus replays every file there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
jobs=${JOBS:-$(nproc)}
targets=(replies userdata import sqlscript chaptertext diff)

"$root/scripts/install-deps.sh" --fuzz

export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCLIENT_FUZZ=ON >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]/#/fuzz_}"

export QT_QPA_PLATFORM=offscreen
# Qt's own libraries are not instrumented; their allocations leak by design at exit.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
mkdir -p "$build/crashes"
status=0
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  # The database's own script seeds the script loader from the source tree.
  if [ "$target" = sqlscript ]; then cp "$root/res/db/new.sql" "$build/corpus/$target/new.sql"; fi
  echo "== $target: ${seconds}s"
  if ! "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
       -artifact_prefix="$build/crashes/$target-" -print_final_stats=1 \
       "$build/corpus/$target" "$root/tests/fuzz/corpus/$target" 2>"$build/fuzz_$target.log"; then
    echo "   FAILED: see $build/fuzz_$target.log and $build/crashes/"
    tail -n 30 "$build/fuzz_$target.log"
    status=1
  else
    grep -E '^stat::number_of_executed_units|^Done' "$build/fuzz_$target.log" | sed 's/^/   /' || true
  fi
done
exit $status
