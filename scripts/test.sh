#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Tavlo and runs every test: the unit and widget tests, the
# end-to-end tests on a private X desktop (each starts and stops its own Xvfb and window
# manager), the Debian package check, a quick run of the benchmark, and the unit tests once more
# under AddressSanitizer and UndefinedBehaviorSanitizer. It first checks that every C++ file is
# formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
jobs=$(nproc)

# Every C++ file as .clang-format lays it out; clang-format -i on a file fixes it.
find src tests bench -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --dry-run --Werror

# Warnings are errors in these builds, so that none creeps in unnoticed; and as everything the
# tests need is installed above, a test that would be left out for want of it fails the configure.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTAVLO_WERROR=ON -DTAVLO_REQUIRE_ALL_TESTS=ON \
    >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure
tests/package/check-package.sh build
# The benchmark once, on small sizes, so that it cannot rot; its figures are not a verdict.
TAVLO_BENCH_BUILD_DIR="$PWD/build" bench/run.sh --quick

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTAVLO_SANITIZE=ON -DTAVLO_WERROR=ON \
    -DTAVLO_REQUIRE_ALL_TESTS=ON >/dev/null
# Only what the unit tests need: the sanitizers look at the logic, which those tests drive.
cmake --build build-sanitize -j"$jobs" --target tavlo_unit_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -L unit
