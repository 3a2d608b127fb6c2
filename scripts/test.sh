#!/usr/bin/env bash
# Installs what is missing, builds and runs every test headless:
#   build-test  the whole project and its tests, Debug, under AddressSanitizer and
#               UndefinedBehaviorSanitizer (any undefined behaviour or leak fails the test that meets it)
#   build-fuzz  the libFuzzer targets (clang), each run briefly on its checked-in corpus
# One CTest run over both trees comes last, so its summary line, the last line printed, counts every
# test; the script fails when any of them fails. The time of each stage is printed as it ends (CTest's
# own "Total Test time" line is the last stage's).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

stage_start=$SECONDS
stage() {
    echo "== stage '$1' took $((SECONDS - stage_start)) s"
    stage_start=$SECONDS
}

bash scripts/install-deps.sh
stage install

# clang compiles the Qt-heavy sources noticeably faster than gcc under the sanitizers, and line tables are
# all the sanitizers' reports need.
export CC=clang CXX=clang++
# A tree configured earlier with another compiler or without the sanitizers cannot be switched over.
if [ -f build-test/CMakeCache.txt ] && ! grep -q '^DORIVAN_SANITIZE:BOOL=ON' build-test/CMakeCache.txt ||
    { [ -f build-test/CMakeCache.txt ] && ! grep -q '^CMAKE_CXX_COMPILER:FILEPATH=.*clang++' build-test/CMakeCache.txt; }; then
    rm -rf build-test
fi
# The benchmarks are built, not run: a change of the code they drive cannot leave them behind unseen.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-gline-tables-only \
    -DDORIVAN_SANITIZE=ON -DDORIVAN_BUILD_BENCHMARKS=ON
cmake --build build-test
stage build

cmake -S fuzz -B build-fuzz -G Ninja
cmake --build build-fuzz
stage build-fuzz

# Leaks are reported except inside the system libraries named in the suppressions (their caches live
# until exit); any undefined behaviour stops the test that meets it.
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen

mkdir -p build-all
cat >build-all/CTestTestfile.cmake <<EOF
# Written by scripts/test.sh: the tests of both trees in one run.
subdirs("$root/build-fuzz" "$root/build-test")
EOF
cd build-all
# Most tests wait on the disk or on child processes, so one more test than cores keeps both busy.
exec ctest --output-on-failure --timeout 600 -j $((jobs + 1))
