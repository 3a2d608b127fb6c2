#!/usr/bin/env bash
# Installs what is missing, builds Dorivan and starts it. Extra arguments go to the program
# (for example --data-dir DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DDORIVAN_BUILD_TESTS=OFF -DDORIVAN_BUILD_BENCHMARKS=OFF
cmake --build build --target dorivan
exec ./build/dorivan "$@"
