#!/usr/bin/env bash
# Installs Debian packages a fresh machine lacks, with apt-get, and only those
# that are missing: the ones named as arguments, or with none the packages
# the build and the tests need.
#   .ci/install-deps.sh [PACKAGE...]
set -euo pipefail

if (($#)); then
  packages=("$@")
else
  packages=(cmake ninja-build g++ clang libgtest-dev libgmock-dev libbenchmark-dev libc-bin util-linux
            nlohmann-json3-dev zlib1g-dev libssl-dev python3 python3-jsonschema)
fi
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
