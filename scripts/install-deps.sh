#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need, only when missing.
set -euo pipefail
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libboost-dev libopencv-dev libgeos-dev nlohmann-json3-dev libcli11-dev
          clang libclang-rt-14-dev)
# The Python module and its tests, for Debian's /usr/bin/python3.
packages+=(pybind11-dev python3-dev python3-numpy python3-pytest python3-hypothesis python3-opencv
           python3-shapely python3-dask python3-distributed)
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
