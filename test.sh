#!/usr/bin/env bash
# Installs what is missing (what the tests need too), holds the sources to the project's layout
# (clang-format), builds with every warning an error, runs all tests, then builds and runs them
# again with AddressSanitizer and UndefinedBehaviorSanitizer, and last runs the fuzz targets for
# a bounded time (tests/fuzz/run.sh: one target per core, about 30 s in all by default;
# PELLORIN_FUZZ_SECONDS per target). Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
PELLORIN_SETUP=test source scripts/setup.sh

echo "== layout"
if ! git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror; then
  echo "The files above differ from the layout of .clang-format: 'clang-format -i <file>' mends them." >&2
  exit 1
fi

jobs=$(nproc 2>/dev/null || echo 2)

echo "== build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLORIN_WERROR=ON -Wno-dev >/dev/null
cmake --build build -j"$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== build with sanitizers"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPELLORIN_SANITIZE=ON -DPELLORIN_WERROR=ON -Wno-dev >/dev/null
cmake --build build-asan -j"$jobs"
echo "== tests with sanitizers"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir build-asan --output-on-failure -j"$jobs"
tests/fuzz/run.sh
echo "== all tests passed"
