#!/usr/bin/env bash
# Installs the Debian packages that are missing. Without arguments: what the library and the
# command-line tool need to build. With --tests: also the test, fuzzing and benchmark peers.
set -euo pipefail
packages=(cmake g++ make pkg-config nlohmann-json3-dev libcli11-dev)
if [[ ${1:-} == --tests ]]; then
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev libboost-dev libopencv-dev libgeos-dev
             clang libclang-rt-14-dev librsvg2-bin libpng-dev)
  # The Python module and its tests, for Debian's /usr/bin/python3.
  packages+=(pybind11-dev python3-dev python3-numpy python3-pytest python3-hypothesis python3-opencv
             python3-shapely python3-dask python3-distributed)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
