#!/usr/bin/env bash
# Checks that every C++ file git tracks is laid out as .clang-format says,
# with clang-format of one pinned major version: another version lays out
# some constructs differently, so the check would flip between machines.
# Usage: tools/check-format.sh [--fix]      (CLANG_FORMAT=path overrides the binary)
# Exit 0: all formatted; 1: files listed need formatting; 2: wrong or missing tool.
set -euo pipefail
cd "$(dirname "$0")/.."
readonly major=14
tool=${CLANG_FORMAT:-}
if [[ -z "$tool" ]]; then
  for candidate in "clang-format-$major" clang-format; do
    if command -v "$candidate" >/dev/null; then tool=$candidate; break; fi
  done
fi
if [[ -z "$tool" ]] || ! command -v "$tool" >/dev/null; then
  echo "check-format: clang-format $major not found; install clang-format-$major (make deps)" >&2
  exit 2
fi
version=$("$tool" --version 2>/dev/null | head -n 1 || true)
found=$(sed -n 's/.*clang-format version \([0-9]*\)\..*/\1/p' <<<"$version")
if [[ "$found" != "$major" ]]; then
  echo "check-format: $tool is version ${found:-unknown} ('$version');" \
       "the tree's layout is pinned to clang-format $major. Install clang-format-$major" \
       "or point CLANG_FORMAT at it." >&2
  exit 2
fi

mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.cc' '*.hpp' '*.c')
if [[ "${1:-}" == "--fix" ]]; then
  printf '%s\0' "${files[@]}" | xargs -0 -n 50 -P "$(nproc)" "$tool" -i
  exit 0
fi
# --dry-run -Werror fails a file that would change; only the names are kept.
bad=$(printf '%s\0' "${files[@]}" |
  xargs -0 -n 50 -P "$(nproc)" "$tool" --dry-run -Werror 2>&1 |
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u || true)
if [[ -n "$bad" ]]; then
  echo "check-format: these files are not formatted (fix with: make format):"
  sed 's/^/  /' <<<"$bad"
  exit 1
fi
echo "check-format: ${#files[@]} files formatted (clang-format $found)"
