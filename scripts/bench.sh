#!/usr/bin/env bash
# Builds and runs every benchmark; each prints its figures and its ratio to a
# baseline measured in the same run. Benchmarks never fail the build.
#
#   scripts/bench.sh                   every benchmark of this tree
#   scripts/bench.sh --baseline REV    the same; the benchmarks that can set
#                                      this build against another (below) are
#                                      also built from commit REV, with this
#                                      tree's bench/ folder so that both
#                                      measure alike, into build-baseline/,
#                                      and run in turn with that build
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
baseline_dir=${BASELINE_DIR:-$root/build-baseline}
# The benchmarks that take --versus: another build of themselves.
versus=(bench_chapter_save)

baseline=
while [ $# -gt 0 ]; do
  case $1 in
    --baseline)
      shift
      baseline=${1:-}
      [ -n "$baseline" ] || { echo "--baseline needs a commit" >&2; exit 2; } ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"

if [ -n "$baseline" ]; then
  rev=$(git -C "$root" rev-parse --verify "$baseline^{commit}")
  tree=$baseline_dir/tree
  rm -rf "$tree"
  mkdir -p "$tree"
  git -C "$root" archive "$rev" | tar -x -C "$tree"
  rm -rf "$tree/bench"
  cp -R "$root/bench" "$tree/bench"
  echo "== the baseline: $rev, built into $baseline_dir/build"
  CCACHE_BASEDIR=$tree cmake -S "$tree" -B "$baseline_dir/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  CCACHE_BASEDIR=$tree cmake --build "$baseline_dir/build" -j "$(nproc)" --target "${versus[@]}"
fi

export QT_QPA_PLATFORM=offscreen
for bench in "$build"/bin/bench_*; do
  [ -x "$bench" ] || continue
  name=$(basename "$bench")
  echo "== $name"
  other=$baseline_dir/build/bin/$name
  if [ -n "$baseline" ] && [[ " ${versus[*]} " == *" $name "* ]] && [ -x "$other" ]; then
    "$bench" --versus "$other" || echo "(exited with $?)"
  else
    "$bench" || echo "(exited with $?)"
  fi
done
