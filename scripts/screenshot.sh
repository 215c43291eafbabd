#!/usr/bin/env bash
# Starts the real program under Xvfb with a sample archive loaded and saves a
# picture of its window to docs/screenshot.png (or the path given).
# Usage: scripts/screenshot.sh [OUTPUT.png]   (BUILD=folder to pick the build,
# ARCHIVE=file to show that archive instead of the sample, SCENE=compress for the
# Compress dialog of the sample's folder at its smallest size)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
output="${1:-$root/docs/screenshot.png}"
case "$output" in /*) ;; *) output="$PWD/$output" ;; esac

for tool in xvfb-run xdotool xprop import; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing; run scripts/bootstrap.sh" >&2; exit 1; }
done

make -C "$root" --no-print-directory build BUILD="$build" JOBS="${JOBS:-2}" >/dev/null

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# A small project to show: a few folders and files of several types.
sample="$scratch/sample"
mkdir -p "$sample/Corvex Notes/docs" "$sample/Corvex Notes/images" "$sample/Corvex Notes/src/engine"
printf '# Corvex Notes\n\nA sample project.\n' > "$sample/Corvex Notes/README.md"
printf 'Release notes\n%.0s' {1..40} > "$sample/Corvex Notes/docs/release-notes.txt"
printf 'Getting started\n%.0s' {1..200} > "$sample/Corvex Notes/docs/getting-started.md"
head -c 48000 /dev/urandom > "$sample/Corvex Notes/images/cover.png"
head -c 12000 /dev/urandom > "$sample/Corvex Notes/images/icon.svg"
printf 'int main() { return 0; }\n%.0s' {1..30} > "$sample/Corvex Notes/src/main.cpp"
printf '// engine\n%.0s' {1..300} > "$sample/Corvex Notes/src/engine/ArchiveEngine.cpp"
printf '#pragma once\n%.0s' {1..20} > "$sample/Corvex Notes/src/engine/ArchiveEngine.h"
printf 'cmake_minimum_required(VERSION 3.25)\n' > "$sample/Corvex Notes/CMakeLists.txt"
printf 'build/\n' > "$sample/Corvex Notes/.gitignore"
archive="$scratch/Corvex Notes.zip"
(cd "$sample" && "$build/share/corvex/bin/7zz" a -tzip -spd -- "$archive" "Corvex Notes" >/dev/null)
[ "${SCENE:-}" = compress ] && mv "$sample/Corvex Notes" "$scratch/"
if [ -n "${ARCHIVE:-}" ]; then
  archive="$scratch/$(basename "$ARCHIVE")"
  cp "$ARCHIVE" "$archive"
fi

# A home of its own, so the run leaves nothing behind.
mkdir -p "$scratch/home" "$scratch/runtime"
chmod 700 "$scratch/runtime"

# Runs inside the X server: start, wait for the window, let the listing
# land, capture the window alone. (xvfb-run is a sh script, which would drop
# an exported bash function, so this goes through a file.)
cat > "$scratch/capture.sh" <<'CAPTURE'
program="$1" archive="$2" picture="$3" scene="$4"
if [ "$scene" = compress ]; then
  "$program" -compress "${archive%.zip}" &
else
  "$program" "$archive" &
fi
pid=$!
window=""
for _ in $(seq 1 100); do
  window="$(xdotool search --onlyvisible --name '^Corvex$' 2>/dev/null | head -n 1 || true)"
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  kill "$pid" 2>/dev/null
  echo "screenshot: the window did not appear" >&2
  exit 1
fi
sleep 2
# The smallest size the dialog's layout allows.
if [ "$scene" = compress ]; then
  smallest="$(xprop -id "$window" WM_NORMAL_HINTS | sed -n 's/.*minimum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p')"
  xdotool windowsize "$window" $smallest && sleep 1
fi
import -window "$window" "$picture"
status=$?
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit $status
CAPTURE

mkdir -p "$(dirname "$output")"
HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" \
  xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" \
  bash "$scratch/capture.sh" "$build/bin/corvex" "$archive" "$scratch/window.png" "${SCENE:-window}"
cp "$scratch/window.png" "$output"
echo "screenshot: wrote $output"
