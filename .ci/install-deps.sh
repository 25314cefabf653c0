#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks for the build and every CI stage,
# with apt-get, and only what is missing.
set -euo pipefail

# libclang-rt-14-dev holds clang's fuzzer and sanitizer runtimes, which clang only recommends.
packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
  libc-bin util-linux)
missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
