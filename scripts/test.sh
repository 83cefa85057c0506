#!/usr/bin/env bash
# Installs what is missing, builds Tavlo and runs every test: the unit and widget tests, the
# end-to-end tests on a private X desktop (each starts and stops its own Xvfb and window
# manager), the Debian package check, a quick run of the benchmark, and the unit tests once more
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --tests
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure
tests/package/check-package.sh build
# The benchmark once, on small sizes, so that it cannot rot; its figures are not a verdict.
TAVLO_BENCH_BUILD_DIR="$PWD/build" bench/run.sh --quick

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTAVLO_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -L unit
