#!/usr/bin/env bash
# Packaging stage: builds the programs with nothing but the compiler and the
# programs' own libraries (GoogleTest and Google Benchmark hidden), installs
# them into a staging folder and checks the layout, then builds the three
# packages and tries each one as a user would:
#   build/pkg-deb     d88cut-VERSION-linux-x86_64.deb: installed with dpkg, run from PATH,
#                     its manual pages read, removed again;
#   build/pkg-static  d88cut-VERSION-linux-x86_64.tar.gz: unpacked, its programs checked
#                     to be static, run;
#   build/windows     d88cut-VERSION-windows-x86_64.zip: unpacked, its texts checked (CR LF,
#                     a byte order mark on UTF-8), d88cut.exe run under Wine.
# Each run of d88cut is on the sample image, in a scratch folder, and its files
# must equal those of the tree's build byte for byte.
#   .ci/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash .ci/install-deps.sh cmake g++ python3 zlib1g-dev libssl-dev nlohmann-json3-dev \
  dpkg-dev file mandoc man-db lintian unzip g++-mingw-w64-x86-64 libz-mingw-w64-dev wine wine64

version=$(sed -n 's/^project(d88cut VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[[ -n $version ]] || { echo "no version in CMakeLists.txt" >&2; exit 1; }
linuxName=d88cut-$version-linux-$(uname -m)
windowsName=d88cut-$version-windows-x86_64

scratch=$(mktemp -d)
debInstalled=false
cleanUp()
{
  if $debInstalled; then
    dpkg -r d88cut >/dev/null || true
  fi
  if [[ -n ${WINEPREFIX:-} ]]; then
    wineserver -k 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanUp EXIT

fail()
{
  echo "FAILED: $*" >&2
  exit 1
}

# Files that d88cut writes for the sample: disk A's and disk B's.
outputs=(BIOS98 MUS00 MUS01 MUS02 MUS03 MUS04 MUS05 MUS06 MUS07 MUS08 MUS09 MUS10 MUS11 MUS12
         MUS13 MUS14 MUS15)

# runSample NAME COMMAND...: runs COMMAND sample.d88 in a new scratch folder
# NAME, and checks that it succeeds and writes exactly the reference files.
runSample()
{
  local name=$1 folder=$scratch/$1
  shift
  mkdir "$folder"
  cp "$scratch/sample.d88" "$folder/"
  (cd "$folder" && "$@" sample.d88 >stdout.txt 2>stderr.txt) ||
    fail "$name: exit status $? (stderr: $(cat "$folder/stderr.txt"))"
  for file in "${outputs[@]}"; do
    cmp "$scratch/reference/$file" "$folder/$file" || fail "$name: $file differs"
  done
  local written
  written=$(cd "$folder" && ls | grep -v -x -e sample.d88 -e stdout.txt -e stderr.txt | sort)
  [[ $written == "$(printf '%s\n' "${outputs[@]}" | sort)" ]] ||
    fail "$name: wrote other files: $written"
  echo "$name: ${#outputs[@]} files, equal to the tree build's"
}

echo "-- configure with only the compiler (GoogleTest and Google Benchmark hidden)"
# The .deb's programs carry Debian's hardening flags, as a Debian build's would.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
debCxxFlags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
debLinkFlags=$(dpkg-buildflags --get LDFLAGS)
debBuild=build/pkg-deb
rm -rf "$debBuild"
cmake -S . -B "$debBuild" -DCMAKE_BUILD_TYPE=Release -DD88CUT_WARNINGS_AS_ERRORS=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
  -DCMAKE_CXX_FLAGS="$debCxxFlags" -DCMAKE_EXE_LINKER_FLAGS="$debLinkFlags" | tee "$scratch/configure.txt"
grep -q -x -- '-- Tests left out: GoogleTest not found' "$scratch/configure.txt" ||
  fail "configure did not say the tests are left out"
grep -q -x -- '-- Benchmark left out: Google Benchmark not found' "$scratch/configure.txt" ||
  fail "configure did not say the benchmark is left out"
cmake --build "$debBuild" -j2
[[ ! -e $debBuild/CTestTestfile.cmake && ! -e $debBuild/bench ]] || fail "tests or benchmark configured"

echo "-- install into a staging folder"
stage=$scratch/stage
cmake --install "$debBuild" --prefix "$stage" >/dev/null
expected="bin/d88cut
bin/d88info
share/d88cut/d88info.schema.json
share/doc/d88cut/LICENSE
share/doc/d88cut/README.md
share/man/ja/man1/d88cut.1
share/man/ja/man1/d88info.1
share/man/man1/d88cut.1
share/man/man1/d88info.1"
actual=$(cd "$stage" && find . -type f | sed 's|^\./||' | sort)
[[ $actual == "$expected" ]] || fail "installed layout:"$'\n'"$actual"
echo "layout as expected:"
echo "$expected" | sed 's/^/  /'

echo "-- the sample and the tree build's files"
"$debBuild/sample/make_sample" "$scratch/sample.d88"
mkdir "$scratch/reference"
(cd "$scratch/reference" && "$root/$debBuild/tool/d88cut" ../sample.d88 >/dev/null)
ls "$scratch/reference" | wc -l | grep -q -x "${#outputs[@]}" || fail "reference run"

echo "-- manual pages: mandoc -Tlint, the version in the footer"
pages=(man/d88cut.1 man/d88info.1 man/ja/d88cut.1 man/ja/d88info.1)
mandoc -Tlint -W warning "${pages[@]}"
for page in "${pages[@]}"; do
  grep -q -x ".Os d88cut $version" "$page" || fail "$page: .Os does not name d88cut $version"
done

echo "-- packages"
(cd "$debBuild" && cpack -G DEB >/dev/null)
staticBuild=build/pkg-static
rm -rf "$staticBuild"
cmake -S . -B "$staticBuild" -DCMAKE_BUILD_TYPE=Release -DD88CUT_WARNINGS_AS_ERRORS=ON \
  -DD88CUT_STATIC=ON -DBUILD_TESTING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
# glibc warns that a static program using dlopen or the resolver needs the
# shared libraries at run time; neither is on the programs' path.
cmake --build "$staticBuild" -j2 --target d88cut d88info
(cd "$staticBuild" && cpack -G TGZ >/dev/null)
cmake --preset windows >/dev/null
cmake --build build/windows -j2
(cd build/windows && cpack -G ZIP >/dev/null)
for package in "$debBuild/$linuxName.deb" "$staticBuild/$linuxName.tar.gz" \
  "build/windows/$windowsName.zip"; do
  (cd "$(dirname "$package")" && sha256sum -c "$(basename "$package").sha256")
  ls -l "$package"
done

echo "-- the .deb: lintian"
# Left on record, each for its reason:
#   extra-license-file            README.md and LICENSE go to the documentation folder on
#                                 every system; the copyright file holds the same licence.
#   binary-has-unneeded-section   the compiler's .comment note, left by CPack's strip.
lintian --fail-on error,warning,info --info \
  --suppress-tags extra-license-file,binary-has-unneeded-section "$debBuild/$linuxName.deb"

echo "-- the .deb: install, run from PATH, read the manual, remove"
if dpkg-query -W -f='${Status}' d88cut 2>/dev/null | grep -q 'install ok installed'; then
  fail "a d88cut package is installed already; remove it first (dpkg -r d88cut)"
fi
debInstalled=true
dpkg -i "$debBuild/$linuxName.deb" >/dev/null
[[ $(command -v d88cut) == /usr/bin/d88cut ]] || fail "d88cut is not /usr/bin/d88cut on PATH"
runSample deb d88cut
d88info --version | grep -q -x "d88info $version" || fail "d88info --version"
for page in d88cut d88info; do
  file=$(man -w "$page")
  [[ $file == /usr/share/man/man1/$page.1.gz ]] || fail "man -w $page: $file"
  for file in "$file" "/usr/share/man/ja/man1/$page.1.gz"; do
    warnings=$(LANG=C.UTF-8 MANWIDTH=80 man -l "$file" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man -l $file: $warnings"
    mandoc -Tlint -W warning "$file"
  done
done
echo "man d88cut and man d88info, English and Japanese, render without a warning"
dpkg -r d88cut >/dev/null
debInstalled=false
if dpkg-query -W -f='${Status}' d88cut 2>/dev/null | grep -q 'ok installed'; then
  fail "d88cut still installed"
fi
for file in /usr/bin/d88cut /usr/bin/d88info /usr/share/man/man1/d88cut.1.gz \
  /usr/share/man/ja/man1/d88cut.1.gz /usr/share/doc/d88cut; do
  [[ ! -e $file ]] || fail "$file left after dpkg -r"
done
echo "removed, no file left"

echo "-- the tarball: static programs"
tar -xzf "$staticBuild/$linuxName.tar.gz" -C "$scratch"
unpacked=$scratch/$linuxName
for program in d88cut d88info; do
  description=$(file -b "$unpacked/bin/$program")
  [[ $description == *"statically linked"* ]] || fail "$program: $description"
  ! ldd "$unpacked/bin/$program" >/dev/null 2>&1 || fail "ldd finds libraries in $program"
done
echo "d88cut and d88info: statically linked, no shared library (ldd)"
[[ $(cd "$unpacked" && find . -type f | sed 's|^\./||' | sort) == "$expected" ]] ||
  fail "tarball layout"
runSample tarball "$unpacked/bin/d88cut"
"$unpacked/bin/d88info" "$scratch/sample.d88" | grep -q 'Verdict: *disk B' || fail "d88info"

echo "-- the zip: Windows programs under Wine"
unzip -q "build/windows/$windowsName.zip" -d "$scratch"
unpacked=$scratch/$windowsName
zipped=$(cd "$unpacked" && find . -type f | sed 's|^\./||' | sort)
[[ $zipped == "$(printf '%s\n' LICENSE.txt README.txt d88cut.exe d88cut.txt d88cut.ja.txt \
  d88info.exe d88info.schema.json d88info.txt d88info.ja.txt | sort)" ]] || fail "zip contents:"$'\n'"$zipped"
# Texts as Windows programs read them: CR LF, and UTF-8 marked by its byte order mark.
for text in "$unpacked"/*.txt; do
  ! LC_ALL=C grep -q -v $'\r$' "$text" || fail "$text: a line without CR LF"
  if LC_ALL=C grep -q -P '[^\x00-\x7F]' "$text"; then
    [[ $(head -c 3 "$text" | od -A n -t x1 | tr -d ' ') == efbbbf ]] ||
      fail "$text: UTF-8 without a byte order mark"
  fi
done
[[ $(tail -c +4 "$unpacked/README.txt" | tr -d '\r') == "$(cat README.md)" ]] ||
  fail "README.txt is not README.md"
for program in d88cut d88info; do
  # Only the system's DLLs: the C++ runtime is linked in.
  x86_64-w64-mingw32-objdump -p "$unpacked/$program.exe" | sed -n 's/^\s*DLL Name: //p' |
    grep -v -i -x -E 'kernel32\.dll|msvcrt\.dll|user32\.dll|advapi32\.dll|bcrypt\.dll|shell32\.dll|api-ms-win-.*\.dll' &&
    fail "$program.exe needs a DLL that Windows lacks"
  for text in "$unpacked/$program.txt" "$unpacked/$program.ja.txt"; do
    ! grep -q $'\b' "$text" || fail "$text has overstrikes"
    iconv -f UTF-8 -t UTF-8 "$text" >/dev/null || fail "$text is not UTF-8"
    grep -q "^NAME"$'\r'"$" "$text" || fail "$text: no NAME section"
  done
done
unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEPREFIX=$scratch/wineprefix TMPDIR=$scratch
mkdir "$WINEPREFIX"
wineserver -p
wineboot --init >/dev/null 2>&1
runSample zip wine "$unpacked/d88cut.exe"
echo "all three packages work"
