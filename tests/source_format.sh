#!/usr/bin/env bash
# Fails on every C and C++ file of the tree that clang-format, following
# .clang-format, would change, and names each; `clang-format -i FILE`
# mends it.
#   source_format.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 1
command -v clang-format >/dev/null ||
  { echo "source_format.sh: clang-format is not installed (scripts/install-deps installs it)" >&2; exit 1; }
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.c' '*.h' '*.cpp' '*.hpp')
else
  mapfile -t files < <(find include src tools tests bench fuzz -name '*.[ch]' -o -name '*.[ch]pp')
fi
[ ${#files[@]} -gt 0 ] || { echo "source_format.sh: no C or C++ files under $1" >&2; exit 1; }
unformatted=$(clang-format --dry-run --Werror "${files[@]}" 2>&1 |
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if [ -n "$unformatted" ]; then
  sed 's/$/: not formatted as .clang-format says (clang-format -i mends it)/' <<<"$unformatted"
  exit 1
fi
echo "${#files[@]} files formatted as .clang-format says"
