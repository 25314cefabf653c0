#!/usr/bin/env bash
# Fuzz stage: builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, writes the seed inputs, and runs
# each target for FUZZ_SECONDS seconds (60 by default), two at a time, one per
# core, from the minimised corpus kept in fuzz/corpus/<target>, the seeds, the
# inputs kept in fuzz/regressions/ and the real D88 files of ../shared/corpus
# (read where they are). New inputs collect in build/fuzz/corpus/<target>, so
# a later run goes on from there (fuzz/merge-corpus.sh folds them into the
# kept corpus). Fails on any crash, failed check, leak or timeout; the input
# that caused it is then in build/fuzz/artifacts/<target>/.
#
#   .ci/fuzz.sh                      # 60 seconds per target
#   FUZZ_SECONDS=1800 .ci/fuzz.sh    # half an hour per target
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/fuzz
seconds=${FUZZ_SECONDS:-60}

# libclang-rt-14-dev: the fuzzer and sanitizer runtimes, which clang only recommends.
bash .ci/install-deps.sh cmake ninja-build clang libclang-rt-14-dev

echo "== configure and build the fuzz targets (clang) in $build"
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DD88CUT_WARNINGS_AS_ERRORS=ON -DD88CUT_SANITIZE=ON -DD88CUT_BUILD_FUZZERS=ON \
  -DBUILD_TESTING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
targets=(fuzz_reader fuzz_tool fuzz_formats fuzz_flux fuzz_info)
cmake --build "$build" --target "${targets[@]}" make_fuzz_seeds

"$build/fuzz/make_fuzz_seeds" "$build/seeds"
inputs=("$build/seeds")
corpus=$root/../shared/corpus
if [ -d "$corpus" ]; then
  inputs+=("$(cd "$corpus" && pwd)")
else
  echo "note: $corpus is missing; fuzzing from the generated seeds only"
fi

export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# Runs one target; its log and the input of a failure stay in build/fuzz.
fuzz() {
  local target=$1
  local out=$build/corpus/$target
  local artifacts=$build/artifacts/$target
  local log=$build/logs/$target.log
  rm -rf "$artifacts"
  mkdir -p "$out" "$artifacts" "$(dirname "$log")"
  local extra=()
  for kept in "$root/fuzz/corpus/$target" "$root/fuzz/regressions/$target"; do
    if [ -d "$kept" ]; then
      extra+=("$kept")
    fi
  done
  # The real files are up to 1.3 MB, so inputs may be that long. The tool's
  # messages are kept in memory, so nothing floods the log.
  "$build/fuzz/$target" -max_total_time="$seconds" -max_len=1310720 -timeout=2 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$out" "${inputs[@]}" "${extra[@]}" >"$log" 2>&1
}

# What a target found: its statistics, or the end of its log and each
# failing input replayed.
report() {
  local target=$1 status=$2
  local log=$build/logs/$target.log
  echo "== $target, $seconds s (log: $log)"
  if [ "$status" -eq 0 ]; then
    grep -E '^#[0-9]+[[:space:]]+DONE|^stat::' "$log" || true
    return
  fi
  tail -n 60 "$log"
  for input in "$build/artifacts/$target"/*; do
    [ -f "$input" ] || continue
    echo "== $target failed on $input; replayed:"
    "$build/fuzz/$target" "$input" 2>&1 | tail -n 40 || true
    echo "keep it as a regression: fuzz/regressions/$target/"
  done
}

status=0
for ((k = 0; k < ${#targets[@]}; k += 2)); do
  pair=("${targets[@]:k:2}")
  pids=()
  for target in "${pair[@]}"; do
    fuzz "$target" &
    pids+=($!)
  done
  for n in "${!pair[@]}"; do
    result=0
    wait "${pids[n]}" || result=$?
    report "${pair[n]}" "$result"
    [ "$result" -eq 0 ] || status=1
  done
done
exit "$status"
