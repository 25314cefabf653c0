#!/usr/bin/env bash
# Folds what fuzzing found into the corpus kept in fuzz/corpus/<target>:
# libFuzzer's -merge=1 keeps the fewest inputs that reach all the coverage of
# the kept corpus and of build/fuzz/corpus/<target>, taking inputs of at most
# 8 KB, so the kept corpus stays a few MB. The seeds and the real files are
# read by every run anyway and are not kept. Run after .ci/fuzz.sh, which
# builds the targets.
#
#   fuzz/merge-corpus.sh [TARGET...]    # every target when none is named
set -euo pipefail
cd "$(dirname "$0")/.."
build=$PWD/build/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_reader fuzz_tool fuzz_formats fuzz_flux fuzz_info)
fi
export ASAN_OPTIONS=detect_leaks=0
for target in "${targets[@]}"; do
  kept=fuzz/corpus/$target
  merged=$(mktemp -d)
  mkdir -p "$kept" "$build/corpus/$target"
  "$build/fuzz/$target" -merge=1 -max_len=8192 -timeout=10 "$merged" "$kept" \
    "$build/corpus/$target" >"$build/logs/$target-merge.log" 2>&1
  rm -rf "$kept"
  mv "$merged" "$kept"
  chmod 755 "$kept"
  echo "$target: $(find "$kept" -type f | wc -l) inputs, $(du -sh "$kept" | cut -f1)"
done
