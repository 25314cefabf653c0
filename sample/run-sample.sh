#!/bin/sh
# Writes the sample D88 file into a scratch directory, runs d88cut on it there
# and shows its messages converted from Shift_JIS to UTF-8, then the files it
# wrote.
#   run-sample.sh <make_sample> <d88cut> <scratch directory>
set -eu
make_sample=$1 d88cut=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch"
"$make_sample" sample.d88
status=0
"$d88cut" sample.d88 >stdout.txt 2>stderr.txt || status=$?
iconv -f SHIFT_JIS -t UTF-8 stdout.txt
iconv -f SHIFT_JIS -t UTF-8 stderr.txt >&2
echo "exit status $status; files written in $scratch:"
ls -l BIOS98 MUS*
exit "$status"
