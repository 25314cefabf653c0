#!/usr/bin/env bash
# The Windows build: cross-builds d88cut.exe and d88info.exe with MinGW-w64
# and runs the end-to-end tests against them under Wine. The tests are the
# Linux build's e2e_tests and info_tests, told through the environment how to
# start the programs.
#   .ci/windows.sh [LINUX_BUILD_DIR]   (default build/default; configured if new)
set -euo pipefail
cd "$(dirname "$0")/.."
linuxBuild=${1:-build/default}

bash .ci/install-deps.sh g++-mingw-w64-x86-64 libz-mingw-w64-dev nlohmann-json3-dev wine wine64

echo "-- cross-build d88cut.exe and d88info.exe"
cmake --preset windows
cmake --build --preset windows -j2
exe=$PWD/build/windows/tool/d88cut.exe
infoExe=$PWD/build/windows/info/d88info.exe

echo "-- build the end-to-end tests (Linux)"
if [[ ! -f $linuxBuild/CMakeCache.txt ]]; then
  cmake -S . -B "$linuxBuild" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DD88CUT_WARNINGS_AS_ERRORS=ON
fi
cmake --build "$linuxBuild" --target e2e_tests info_tests -j2

echo "-- a fresh Wine prefix"
# Console programs need no display; -all keeps Wine's own messages (and the
# Debian wrapper's hint about wine32) out of the streams the tests compare.
unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all
# Wine takes file names and arguments from the Unix side in the locale's
# encoding: UTF-8, so that any name the tests use arrives as typed. (Its
# Windows code page stays 1252, which lacks most of those characters.)
export LANG=C.UTF-8 LC_ALL=C.UTF-8
scratch=$(mktemp -d)
export WINEPREFIX=$scratch/wineprefix
# Wine keeps its server's socket folder under TMPDIR: there it goes with the rest.
export TMPDIR=$scratch
stopWine()
{
  wineserver -k 2>/dev/null || true
  rm -rf "$scratch"
}
trap stopWine EXIT
mkdir "$WINEPREFIX"
# One server for the whole run: no start-up wait per test, and it is never
# a child of a test's shell with its file size limit.
wineserver -p
wineboot --init >/dev/null 2>&1

# Wine now and then loses a short-lived program's redirected stream or exit
# status (twice in six runs of this stage on a quiet machine, each time in a
# different test). A test that fails is run once more on its own, and fails
# the stage only if it fails again: a fault of the program fails both times.
runTests()
{
  local log
  log=$(mktemp)
  if "$@" --gtest_brief=1 2>&1 | tee "$log"; then
    return 0
  fi
  local failed
  failed=$(sed -n -E 's/^\[  FAILED  \] ([^ ,]+)(,| \().*/\1/p' "$log" | sort -u | paste -sd: -)
  if [[ -z $failed ]]; then
    return 1
  fi
  echo "-- under Wine again, on their own: $failed"
  "$@" --gtest_brief=1 --gtest_filter="$failed"
}

echo "-- end-to-end tests against the Windows executable under Wine"
# Wine hands the program its own path in Windows form as argv[0].
D88CUT_EXE=$exe D88CUT_LAUNCHER=wine D88CUT_NEWLINE=crlf \
  D88CUT_PROGRAM_NAME=$(winepath -w "$exe") \
  runTests "$linuxBuild/tests/e2e/e2e_tests"

echo "-- d88info's tests against the Windows executables under Wine"
D88INFO_EXE=$infoExe D88CUT_EXE=$exe D88CUT_LAUNCHER=wine D88CUT_NEWLINE=crlf \
  runTests "$linuxBuild/tests/info/info_tests"
