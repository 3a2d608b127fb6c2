#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it, naming the files.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null || ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "clang-format or the git checkout is missing: not checked"
    exit 77
fi
bad=$(git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run 2>&1 | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning.*/\1/p' | sort -u)
if [ -n "$bad" ]; then
    echo "not formatted with clang-format (run clang-format -i on them):"
    echo "$bad" | sed 's/^/  /'
    exit 1
fi
echo "every C++ file is formatted"
