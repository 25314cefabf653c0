#!/bin/sh
# Times the whole tool as a process, on the sample in a scratch directory,
# against the same executable run with no arguments, which starts, prints its
# usage line and exits: the difference is the tool's own work. /bin/true shows
# what any process start costs on the machine.
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
# -N: no shell between hyperfine and the process; -i: the usage run exits 1.
hyperfine -N -i --warmup 20 "$@" \
  --command-name "process start and exit (/bin/true)" "/bin/true" \
  --command-name "d88cut, no arguments (usage)" "'$d88cut'" \
  --command-name "d88cut sample.d88 (disks A and B)" "'$d88cut' sample.d88"
