#!/usr/bin/env bash
# Builds the program and opens it on the demo school: bash tools/demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target blockbildung kubb
demo="$PWD/build/demo/"
mkdir -p "$demo"
# The demo school is imported once; the planner's work in it is kept between runs.
# Delete build/demo/ to start again from the freshly imported school.
if [ ! -f "$demo/BB.MDB" ]; then
  ./build/src/kubb import --container data/demo/QZ.DBC --school-year 2009/2010 \
    --cohort 2009 --cohort 2008 --output "$demo/BB.MDB" --pointer-dir "$demo"
fi
exec ./build/src/gui/blockbildung "$demo"
