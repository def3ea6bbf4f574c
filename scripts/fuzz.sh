#!/usr/bin/env bash
# Builds the fuzz programs with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in
# ./build-fuzz (or $ZEFRO_FUZZ_BUILD_DIR) and runs each from its seed corpus in
# tests/fuzz/corpus/<target>, for a fixed number of inputs from a fixed random seed, so that a run
# is repeatable (ZEFRO_FUZZ_SEED, ZEFRO_FUZZ_RUNS to explore further; $ZEFRO_FUZZ_SECONDS, 55 by
# default, caps each run). New inputs found on the way go to the build folder, never into the
# committed corpus; a crash leaves its input in
# <build>/artifacts/ and makes the script fail. To keep a crash as a regression, copy that input to
# tests/fuzz/regressions/<target>/ (the test fuzz_regressions replays it) and fix the fault.
#
#   scripts/fuzz.sh                      every target
#   scripts/fuzz.sh workbook bitmap      some of them
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build_dir=${ZEFRO_FUZZ_BUILD_DIR:-build-fuzz}
seconds=${ZEFRO_FUZZ_SECONDS:-55}
seed=${ZEFRO_FUZZ_SEED:-1}
declare -A runs=([workbook]=20000 [configuration]=40000 [bitmap]=15000 [worldfile]=20000)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(workbook configuration bitmap worldfile)

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEFRO_FUZZ=ON \
  -DCMAKE_CXX_COMPILER=clang++-14 -DZEFRO_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

# Full stacks for every allocation, so that the suppressions can name the library that leaked.
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:fast_unwind_on_malloc=0:malloc_context_size=30
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_SYMBOLIZER_PATH=/usr/bin/llvm-symbolizer-14
export QT_QPA_PLATFORM=offscreen
# A crash inside an image library must show its report: nothing of standard error is kept quiet.
export ZEFRO_DEBUG=1

failed=()
for target in "${targets[@]}"; do
  work="$build_dir/fuzz-corpus/$target"
  rm -rf "$work"
  mkdir -p "$work" "$build_dir/artifacts"
  count=${ZEFRO_FUZZ_RUNS:-${runs[$target]}}
  echo "== fuzz_$target: $count inputs from seed $seed (at most ${seconds}s)"
  if ! "$build_dir/tests/fuzz/fuzz_$target" "$work" "tests/fuzz/corpus/$target" \
      -seed="$seed" -runs="$count" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 -print_final_stats=1 \
      -artifact_prefix="$build_dir/artifacts/$target-" 2>"$build_dir/fuzz-$target.log"; then
    tail -n 60 "$build_dir/fuzz-$target.log"
    failed+=("$target")
  else
    grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$build_dir/fuzz-$target.log" || true
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found faults in: ${failed[*]} (inputs in $build_dir/artifacts/)" >&2
  exit 1
fi
