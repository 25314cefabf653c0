#!/usr/bin/env bash
# Analysers and format over the project's own C++ files (the ones tracked by git):
#   clang-format  every file formatted as .clang-format says;
#   clang-tidy    the checks of .clang-tidy on every source (tests/ and bench/ adjust them for
#                 GoogleTest and Google Benchmark in their own .clang-tidy);
#   cppcheck      every source, suppressions in .ci/cppcheck-suppressions.txt.
# Any finding fails the script. It configures its own build directory for the compile
# database, so it runs on a fresh clone:
#   .ci/lint.sh [BUILD_DIR]   (default build/lint)
set -euo pipefail
cd "$(dirname "$0")/.."
buildDir=${1:-build/lint}
sourceDirs=(d88 title tool info support sample tests fuzz bench)

bash .ci/install-deps.sh
bash .ci/install-deps.sh clang-format clang-tidy cppcheck
clang-format --version
clang-tidy --version | grep -i version
cppcheck --version

status=0

echo "-- clang-format"
mapfile -t formatted < <(git ls-files -- '*.cpp' '*.cc' '*.h' '*.hpp')
if ! clang-format --dry-run --Werror "${formatted[@]}"; then
  echo "unformatted code: run clang-format -i on the files above" >&2
  status=1
fi

echo "-- compile database in $buildDir"
# clang++, so that clang-tidy parses exactly what the compiler it belongs to would.
cmake -S . -B "$buildDir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DBUILD_TESTING=ON >/dev/null
# Sources the build writes, which the database names.
cmake --build "$buildDir" --target cp932_table >/dev/null
database=$buildDir/compile_commands.json

existingDirs=()
for dir in "${sourceDirs[@]}"; do
  [[ -d $dir ]] && existingDirs+=("$dir")
done
mapfile -t sources < <(git ls-files -- "${existingDirs[@]/%//*.cpp}" "${existingDirs[@]/%//*.cc}")
for source in "${sources[@]}"; do
  # clang-tidy still checks such a file, with the flags of its neighbours.
  grep -q "\"file\": \"$PWD/$source\"" "$database" ||
    echo "note: $source is not built by this configuration"
done

echo "-- clang-tidy (${#sources[@]} files)"
set +e
printf '%s\0' "${sources[@]}" |
  xargs -0 -n1 -P2 clang-tidy -p "$buildDir" --quiet 2>&1 |
  grep -v -E '^[0-9]+ warnings? generated\.$'
tidyStatus=${PIPESTATUS[1]}
set -e
if ((tidyStatus != 0)); then
  echo "clang-tidy found problems" >&2
  status=1
fi

echo "-- cppcheck"
filters=()
for source in "${sources[@]}"; do
  filters+=("--file-filter=$source")
done
if ! cppcheck --project="$database" "${filters[@]}" --std=c++17 --library=googletest \
  --enable=warning,style,performance,portability,information --inline-suppr \
  --suppressions-list=.ci/cppcheck-suppressions.txt --error-exitcode=1 --quiet \
  --template='{file}:{line}: {severity}: {message} [{id}]'; then
  echo "cppcheck found problems" >&2
  status=1
fi

exit "$status"
