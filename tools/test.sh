#!/usr/bin/env bash
# Builds everything and runs all tests: bash tools/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
# In CI a warning stops the build.
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKUBB_WERROR=$werror
cmake --build build
ctest --test-dir build --output-on-failure -j2
