#!/usr/bin/env bash
# The web page: builds the site with Emscripten (the `web` presets, fflate
# from npm inside the build folder), checks its size, packages it as
# build/web/d88cut-VERSION-web.zip with its .sha256, and runs the browser
# tests in headless Chromium against the native d88cut (axe-core from npm in
# the build folder); their screenshots go to build/web/screenshots.
#   .ci/web.sh
set -euo pipefail
cd "$(dirname "$0")/.."

bash .ci/install-deps.sh cmake g++ libgtest-dev zlib1g-dev libssl-dev nlohmann-json3-dev \
  emscripten nodejs chromium chromium-driver python3-selenium fonts-ipafont-gothic
# npm comes with nodejs where that is NodeSource's; Debian's nodejs needs its own.
command -v npm >/dev/null || bash .ci/install-deps.sh npm
export NODE_PATH=/usr/share/nodejs

version=$(sed -n 's/^project(d88cut VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[[ -n $version ]] || { echo "no version in CMakeLists.txt" >&2; exit 1; }

echo "-- build the site (the README's commands)"
cmake --preset web
cmake --build --preset web
site=build/web/site

echo "-- its size: under 500 KB before compression"
ls -l "$site"
total=$(find "$site" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
echo "site: $total bytes"
((total < 500 * 1024)) || { echo "FAILED: the site is $total bytes" >&2; exit 1; }

echo "-- package: build/web/d88cut-$version-web.zip"
name=d88cut-$version-web
rm -rf "build/web/$name" "build/web/$name.zip"
cp -r "$site" "build/web/$name"
(cd build/web && cmake -E tar cf "$name.zip" --format=zip "$name" &&
  sha256sum "$name.zip" >"$name.zip.sha256" && sha256sum -c "$name.zip.sha256")
rm -rf "build/web/$name"

echo "-- the native d88cut and the test images"
native=build/webtest
cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release -DD88CUT_WARNINGS_AS_ERRORS=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >/dev/null
cmake --build "$native" -j2 --target d88cut make_web_images
images=$(mktemp -d)
trap 'rm -rf "$images"' EXIT
"$native/tests/web/make_web_images" "$images"

echo "-- axe-core from npm, in the build folder"
cmake -E make_directory "$native/npm"
cp tests/web/package.json tests/web/package-lock.json "$native/npm"
npm ci --prefix "$native/npm" --no-audit --no-fund --ignore-scripts

echo "-- the page in headless Chromium (screenshots in build/web/screenshots)"
# Debian's selenium belongs to Debian's python3, which may not be first on PATH.
/usr/bin/python3 tests/web/run_browser_tests.py "$site" "$images" "$native/tool/d88cut" \
  build/web/screenshots "build/web/$name.zip" "$native/npm/node_modules/axe-core/axe.min.js"
