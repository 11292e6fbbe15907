#!/usr/bin/env bash
# Builds the program and opens it on the demo school: bash tools/demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target blockbildung kubb
demo="$PWD/build/demo/"
mkdir -p "$demo"
if [ ! -f "$demo/BB.MDB" ]; then
  ./build/src/kubb create --output "$demo/BB.MDB"
fi
printf '%s\r\n' "${demo}BB.MDB" > "$demo/TCLASSK"
exec ./build/src/gui/blockbildung "$demo"
