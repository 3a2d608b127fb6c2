#!/usr/bin/env bash
# Installs what is missing, builds three configurations and runs every test headless:
#   build-test  the normal Debug build and its tests
#   build-asan  the same under AddressSanitizer and UndefinedBehaviorSanitizer
#   build-fuzz  the libFuzzer targets (clang), each run briefly on its checked-in corpus
# One CTest run over all three trees comes last, so its summary line, the last line printed, counts
# every test of every configuration; the script fails when any of them fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug
cmake --build build-test

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDORIVAN_SANITIZE=ON -DDORIVAN_BUILD_BENCHMARKS=OFF
cmake --build build-asan

CC=clang CXX=clang++ cmake -S fuzz -B build-fuzz -G Ninja
cmake --build build-fuzz

# Leaks are reported except inside the system libraries named in the suppressions (their caches live
# until exit); any undefined behaviour stops the test that meets it.
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen

mkdir -p build-all
cat >build-all/CTestTestfile.cmake <<EOF
# Written by scripts/test.sh: the tests of every configuration in one run.
subdirs("$root/build-asan" "$root/build-fuzz" "$root/build-test")
EOF
cd build-all
ctest --output-on-failure --timeout 600
