#!/bin/sh
# Times the whole tool as a process on the sample, in a scratch directory,
# against cat reading the same file: first runs (the 17 files it writes
# removed before each), then reruns (the files already there with the same
# bytes, which the tool leaves alone); then first runs on the hostile long
# tracks (disk B behind 66,000 sector headers) against the sample.
#   process-time.sh <make_sample> <d88cut> <scratch directory> [hyperfine options]
set -eu
# The executables are run from the scratch directory.
absolute() { case $1 in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
make_sample=$(absolute "$1") d88cut=$(absolute "$2") scratch=$3
shift 3
rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch"
"$make_sample" sample.d88
"$make_sample" long-track long-track.d88
"$make_sample" long-track-ids long-track-ids.d88
written=BIOS98
i=0
while [ $i -lt 16 ]; do
  written="$written MUS$(printf %02d $i)"
  i=$((i + 1))
done
# -N: no shell between hyperfine and the process, nor for --prepare (no globs).
hyperfine -N --warmup 5 "$@" --prepare "rm -f $written" \
  --command-name "d88cut sample.d88, first run" "'$d88cut' sample.d88" \
  --command-name "cat sample.d88" "cat sample.d88"
hyperfine -N --warmup 5 "$@" \
  --command-name "d88cut sample.d88, rerun" "'$d88cut' sample.d88" \
  --command-name "cat sample.d88" "cat sample.d88"
hyperfine -N --warmup 5 "$@" --prepare "rm -f $written" \
  --command-name "d88cut sample.d88" "'$d88cut' sample.d88" \
  --command-name "d88cut long-track.d88" "'$d88cut' long-track.d88" \
  --command-name "d88cut long-track-ids.d88" "'$d88cut' long-track-ids.d88"
