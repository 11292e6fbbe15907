#!/usr/bin/env bash
# Installs into a temporary prefix and starts the installed programs as a user whose program
# folder is read-only: the pointer file must then live in the user's configuration folder.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR        (exit 77: skipped)
set -euo pipefail
build=$1
source=$2
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool fehlt"; exit 77; }
done
run_as=()
if [ "$(id -u)" -eq 0 ]; then
  # root may write anywhere: the program runs as nobody instead.
  command -v setpriv >/dev/null || { echo "SKIP: setpriv fehlt"; exit 77; }
  run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

tmp=$(mktemp -d)
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  pkill -f "$tmp/prefix/bin/blockbildung" 2>/dev/null || true
  chmod -R u+w "$tmp" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FEHLER: $*" >&2; exit 1; }

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/blockbildung bin/kubb share/applications/blockbildung.desktop \
         share/icons/hicolor/scalable/apps/blockbildung.svg \
         share/icons/hicolor/64x64/apps/blockbildung.png share/blockbildung/hilfe/index.html; do
  [ -e "$prefix/$f" ] || fail "$f wurde nicht installiert"
done
desktop=$prefix/share/applications/blockbildung.desktop
for line in 'Name\[de\]=Kurs- und Blockbildung' 'Comment\[de\]=' 'Exec=blockbildung' \
            'Icon=blockbildung'; do
  grep -q "^$line" "$desktop" || fail "Desktop-Eintrag ohne $line"
done
chmod -R a-w "$prefix"

# The user's own folders; everything else stays root's and read-only.
chmod 755 "$tmp"
mkdir -p "$tmp/home" "$tmp/config" "$tmp/daten" "$tmp/run"
chmod 700 "$tmp/run"
[ ${#run_as[@]} -gt 0 ] && chown 65534:65534 "$tmp/home" "$tmp/config" "$tmp/daten" "$tmp/run"
pointer_dir="$tmp/config/Kollegstufe/Kurs- und Blockbildung"
as_user() {
  env HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run" \
    DISPLAY="$display" QT_QPA_PLATFORM=xcb "${run_as[@]}" "$@"
}

Xvfb -displayfd 3 -ac -nolisten tcp -screen 0 1280x800x24 3>"$tmp/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$tmp/display" ] && break; sleep 0.1; done
display=":$(cat "$tmp/display")"

# Starts the installed program and waits for a window whose title matches (a regular expression);
# a sanitizer build on a busy machine may take its time to show it.
expect_window() {
  as_user "$prefix/bin/blockbildung" >"$tmp/gui.log" 2>&1 &
  local gui=$!
  if ! DISPLAY=$display timeout 90 xdotool search --sync --name "$1" >/dev/null; then
    cat "$tmp/gui.log" >&2
    fail "kein Fenster \"$1\""
  fi
  kill "$gui"
  wait "$gui" 2>/dev/null || true
}

# First start: no pointer file anywhere, and the program says where it looked for one.
expect_window "^TCLASSK fehlt!$"
[ -e "$prefix/bin/TCLASSK" ] && fail "die Zeigerdatei steht im Programmordner"

# The installed kubb writes the pointer file there; the program then opens that database.
# The demo container is copied: the source tree may be closed to the user.
cp -r "$source/data/demo" "$tmp/orvid"
chmod -R a+rX "$tmp/orvid"
as_user "$prefix/bin/kubb" import --container "$tmp/orvid/QZ.DBC" \
  --school-year 2009/2010 --cohort 2009 --output "$tmp/daten/BB.MDB" \
  --pointer-dir "$pointer_dir" >/dev/null
[ -f "$pointer_dir/TCLASSK" ] || fail "keine Zeigerdatei in $pointer_dir"
expect_window "^Kurs- und Blockbildung \\(Schuljahr: 2009/2010\\)$"
echo "Installation in $prefix: Zeigerdatei im Konfigurationsordner gefunden und gelesen."
