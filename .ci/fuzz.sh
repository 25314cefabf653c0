#!/usr/bin/env bash
# Fuzz stage: builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, writes the seed inputs, and runs
# each target for FUZZ_SECONDS seconds (60 by default) from the seeds, the
# inputs kept in fuzz/regressions/ and the real D88 files of ../shared/corpus
# (read where they are). New inputs collect in build/fuzz/corpus/<target>, so
# a later run goes on from there. Fails on any crash, failed check, leak or
# timeout; the input that caused it is then in build/fuzz/artifacts/<target>/.
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
cmake --build "$build" --target fuzz_reader fuzz_tool fuzz_formats fuzz_info make_fuzz_seeds

"$build/fuzz/make_fuzz_seeds" "$build/seeds"
inputs=("$build/seeds")
corpus=$root/../shared/corpus
if [ -d "$corpus" ]; then
  inputs+=("$(cd "$corpus" && pwd)")
else
  echo "note: $corpus is missing; fuzzing from the generated seeds only"
fi

# The targets write every input to a file, and fuzz_tool its output files,
# under TMPDIR: a memory file system spares the disk.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

status=0
for target in fuzz_reader fuzz_tool fuzz_formats fuzz_info; do
  out=$build/corpus/$target
  artifacts=$build/artifacts/$target
  log=$build/logs/$target.log
  rm -rf "$artifacts"
  mkdir -p "$out" "$artifacts" "$(dirname "$log")"
  regressions=$root/fuzz/regressions/$target
  extra=()
  if [ -d "$regressions" ]; then
    extra+=("$regressions")
  fi
  # The real files are up to 1.3 MB, so inputs may be that long. Paths are
  # absolute: fuzz_tool works in a folder of its own while an input runs.
  flags=(-max_total_time="$seconds" -max_len=1310720 -timeout=2 -print_final_stats=1
         -artifact_prefix="$artifacts/")
  if [ "$target" = fuzz_tool ]; then
    # The tool's messages would flood the log; libFuzzer's and the
    # sanitizers' reports still show.
    flags+=(-close_fd_mask=3)
  fi
  echo "== $target for $seconds s (log: $log)"
  if "$build/fuzz/$target" "${flags[@]}" "$out" "${inputs[@]}" "${extra[@]}" >"$log" 2>&1; then
    grep -E '^#[0-9]+[[:space:]]+DONE|^stat::' "$log" || true
  else
    status=1
    tail -n 60 "$log"
    for input in "$artifacts"/*; do
      [ -f "$input" ] || continue
      echo "== $target failed on $input; replayed with the tool's messages shown:"
      "$build/fuzz/$target" "$input" 2>&1 | tail -n 40 || true
      echo "keep it as a regression: fuzz/regressions/$target/"
    done
  fi
done
exit "$status"
