#!/usr/bin/env bash
# The real program keeps every item as given: Qt's own option names are items too.
# Usage: program-arguments.sh PROGRAM
set -euo pipefail
program="$1"
seven="$(dirname "$program")/../share/corvex/bin/7zz"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/src" && printf 'member\n' > "$scratch/src/member.txt"
(cd "$scratch/src" && "$seven" a -tzip -- ../a.zip member.txt >/dev/null)
for name in -platform -reverse -stylesheet; do
  mkdir "$scratch/$name" && cp "$scratch/a.zip" "$scratch/$name/$name"
  # Without a bus the reveal falls back to opening the folder, which offscreen ignores.
  (cd "$scratch/$name" && env -u DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM=offscreen timeout 60 "$program" -corvexextracthere "$name") \
    || { echo "Extract Here of an archive named $name did not end with status 0" >&2; exit 1; }
  cmp -s "$scratch/$name/member.txt" "$scratch/src/member.txt" || { echo "$name: nothing extracted" >&2; exit 1; }
done
