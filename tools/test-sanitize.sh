#!/usr/bin/env bash
# Builds the unit tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# their own build folder and runs them. Only the unit targets: they exercise
# the product code in-process, so a memory or UB fault stops the test with a
# trace, and they build in a fraction of the time of the whole tree.
# Usage: tools/test-sanitize.sh [BUILD_DIR]   (default build-sanitize; JOBS from env)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-sanitize}
jobs=${JOBS:-$(nproc)}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# -O1 -g1 instead of -O2 -g: half the compile time, and line tables are
# all a trace needs for file:line.
flags="-O1 -g1 -DNDEBUG"
cmake -S . -B "$build" -G Ninja -DVANT_SANITIZE=address -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags" \
  "${launcher[@]}" >/dev/null
mapfile -t targets < <(ninja -C "$build" -t targets all | sed -n "s/^\(unit_[A-Za-z0-9_]*\): .*/\1/p")
if [[ ${#targets[@]} -eq 0 ]]; then
  echo "test-sanitize: no unit_* targets found in $build" >&2
  exit 1
fi
cmake --build "$build" -j "$jobs" --target "${targets[@]}"
# A fault is a failure, never a warning; leaks count too.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tools/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build" && ctest -R '^unit_' --output-on-failure -j "$jobs" --timeout 1200
