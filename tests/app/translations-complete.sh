#!/bin/sh
# Every text the program marks for translation has one in every language:
# lupdate, run over the sources into a copy of each .ts file, finds no new
# text and none it cannot read. Usage: translations-complete.sh LUPDATE SOURCES.lst FILE.ts...
set -eu
lupdate=$1 sources=$2
shift 2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for ts in "$@"; do
  cp "$ts" "$tmp/copy.ts"
  "$lupdate" -no-obsolete -locations none "@$sources" -ts "$tmp/copy.ts" >"$tmp/log" 2>&1 || { cat "$tmp/log"; exit 1; }
  if grep ':[0-9]*: ' "$tmp/log" || grep -B3 'type="unfinished"' "$tmp/copy.ts" | grep '<source>'; then
    echo "FAIL: $ts (cmake --build build --target update_translations, then Qt Linguist)"
    exit 1
  fi
done
