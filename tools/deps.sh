#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, where missing; packages
# named as arguments too (the sanitizer build's clang).
set -euo pipefail
packages=(g++ cmake ninja-build qt6-base-dev libqt6sql6-sqlite libsqlite3-dev zlib1g-dev libgtest-dev libgmock-dev
          libbenchmark-dev python3-dbf python3-dbfread xvfb xauth fonts-dejavu-core fonts-liberation2
          qt6-translations-l10n strace xdotool zip qt6-charts-dev "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installiere: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
