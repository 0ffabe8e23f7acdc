#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) on the product C++ files a change
# touches: those differing from BASE (default: the previous commit, so on a
# clean checkout exactly the last commit's files). A changed header is checked
# through the .cpp of the same name beside it. Findings fail the run.
# Usage: [BASE=rev] [BUILD=build] tools/tidy-changed.sh   (CLANG_TIDY=path overrides)
# Needs BUILD/compile_commands.json (make configure writes it).
set -euo pipefail
cd "$(dirname "$0")/.."
readonly major=14
base=${BASE:-HEAD~1}
build=${BUILD:-build}
tool=${CLANG_TIDY:-}
if [[ -z "$tool" ]]; then
  for candidate in "clang-tidy-$major" clang-tidy; do
    if command -v "$candidate" >/dev/null; then tool=$candidate; break; fi
  done
fi
if [[ -z "$tool" ]] || ! command -v "$tool" >/dev/null; then
  echo "tidy: clang-tidy $major not found; install clang-tidy-$major (make deps)" >&2
  exit 2
fi
if [[ ! -f "$build/compile_commands.json" ]]; then
  echo "tidy: $build/compile_commands.json is missing; configure first (make configure)" >&2
  exit 2
fi
if ! git rev-parse --verify -q "$base^{commit}" >/dev/null; then
  echo "tidy: no base revision '$base' (a shallow clone? set BASE)" >&2
  exit 2
fi

# Product code only: the tests' gtest macros trip the bug-pattern checks
# without finding anything in the product.
declare -A units=()
while IFS= read -r file; do
  [[ -f "$file" ]] || continue
  case "$file" in
    *.cpp) units[$file]=1 ;;
    *.h) [[ -f "${file%.h}.cpp" ]] && units[${file%.h}.cpp]=1 ;;
  esac
done < <(git diff --name-only --diff-filter=ACMR "$base" -- 'src/*' 'host/*' 'tools/*')

# Only files the build compiles have the flags clang-tidy needs.
checked=()
for file in "${!units[@]}"; do
  grep -q "\"file\": \"$PWD/$file\"" "$build/compile_commands.json" && checked+=("$file")
done
if [[ ${#checked[@]} -eq 0 ]]; then
  echo "tidy: no product .cpp changed since $base"
  exit 0
fi
echo "tidy: ${#checked[@]} files changed since $base"
# The build uses GCC: clang does not know some of its warning options.
printf '%s\0' "${checked[@]}" | sort -z |
  xargs -0 -n 4 -P "${JOBS:-$(nproc)}" "$tool" -p "$build" --quiet --warnings-as-errors='*' \
    --extra-arg=-Wno-unknown-warning-option
echo "tidy: clean"
