#!/usr/bin/env bash
# The stricter half of CI: builds everything with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/, runs all tests there, then runs each libFuzzer target
# of the import and of the Kurs42 reader for FUZZ_SECONDS seconds (default 40), seeded from the
# project's own containers and test export.
#   bash tools/sanitize.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="-O1 -g" -DKUBB_SANITIZE=ON -DKUBB_FUZZ=ON -DKUBB_WERROR=ON -DKUBB_BENCH=OFF
cmake --build build-asan

# Children run under strace in the fault tests, where LeakSanitizer cannot work; any other
# sanitizer report ends the program with an error. No strict string checks: the X keyboard
# library hands strndup strings that end at their length, not at a zero byte.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j2 --timeout 900

seconds=${FUZZ_SECONDS:-40}
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
mkdir -p "$corpus/table" "$corpus/import" "$corpus/kurs42"
# Seeds: every table of the demo container (with its memo file), and for the import every file
# of the container behind the byte that chooses it (its place in the sorted file list).
mapfile -t files < <(cd data/demo && ls | grep -v '\.md$' | LC_ALL=C sort)
for i in "${!files[@]}"; do
  f=${files[$i]}
  { printf "\\x$(printf %02x "$i")"; cat "data/demo/$f"; } > "$corpus/import/seed$i"
  case "${f,,}" in
    *.dbf) memo="data/demo/${f%.*}.fpt"
           { cat "data/demo/$f"; [ -f "$memo" ] && { printf '\n--FPT--\n'; cat "$memo"; }; true; } \
             > "$corpus/table/$f" ;;
  esac
done
# The Kurs42 reader: each file of the test export behind the byte that chooses it (the order of
# FuzzKurs42.cpp), and the test zips behind 0x80.
k42=tests/exchange/data
names=(Blockung Schueler Faecher Kurse Schienen Blockplan Fachwahlen)
for i in "${!names[@]}"; do
  { printf "\\x$(printf %02x "$i")"; cat "$k42/kurs42/${names[$i]}.txt"; } > "$corpus/kurs42/seed$i"
done
{ printf '\x80'; cat "$k42/kurs42.zip"; } > "$corpus/kurs42/zip"
# and the export's folder zipped whole, as "zip -r x.zip FOLDER" packs it
if (cd "$k42" && zip -qr "$corpus/folder.zip" kurs42); then
  { printf '\x80'; cat "$corpus/folder.zip"; } > "$corpus/kurs42/folder"
fi
for target in FuzzVfpTable:table FuzzImport:import FuzzKurs42:kurs42; do
  name=${target%%:*}
  echo "== $name, ${seconds} s"
  build-asan/tests/fuzz/"$name" -max_total_time="$seconds" -max_len=131072 -timeout=10 \
    -print_final_stats=1 "$corpus/${target##*:}"
done
echo "Sanitizer-Lauf und Fuzzing ohne Befund."
