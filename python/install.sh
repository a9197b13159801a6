#!/usr/bin/env bash
# Builds the Python module lyncntr and installs it into the site-packages of $PYTHON (default
# /usr/bin/python3: Debian's interpreter, for which python3-numpy is installed; a python3 found
# earlier on the PATH may lack NumPy). Nothing is downloaded; missing Debian packages are
# installed first. LYNCNTR_PYTHON_SITE=DIR installs into DIR instead (then put DIR on PYTHONPATH),
# e.g. the site-packages of a venv made with --system-site-packages.
set -euo pipefail
cd "$(dirname "$0")/.."
PYTHON=${PYTHON:-/usr/bin/python3}
scripts/install-deps.sh
args=(-DCMAKE_BUILD_TYPE=Release -DLYNCNTR_BUILD_PYTHON=ON -DLYNCNTR_BUILD_TESTS=OFF -DLYNCNTR_BUILD_TOOLS=OFF
      -DPython_EXECUTABLE="$PYTHON" -DLYNCNTR_PYTHON_SITE="${LYNCNTR_PYTHON_SITE:-}")
cmake -S . -B build/python "${args[@]}"
cmake --build build/python -j"$(nproc)" --target _lyncntr
cmake --install build/python --component python
if [[ -z ${LYNCNTR_PYTHON_SITE:-} ]]; then (cd / && "$PYTHON" -c "import lyncntr; print('installed', lyncntr.__file__)"); fi
