#!/usr/bin/env bash
# Builds ZEFRO with AddressSanitizer and UndefinedBehaviorSanitizer in ./build-asan (or
# $ZEFRO_ASAN_BUILD_DIR) and runs every test under them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build_dir=${ZEFRO_ASAN_BUILD_DIR:-build-asan}

# Leaks are checked; the known ones of the libraries underneath (see the file) are suppressed.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Debug -DZEFRO_SANITIZE=ON >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" "$@"
