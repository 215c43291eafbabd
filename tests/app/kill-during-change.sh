#!/usr/bin/env bash
# Corvex, or the tool under it, killed with SIGKILL while `corvex -addto`
# rewrites a large 7z: the archive must stay the original byte for byte or be
# the complete new one, and the next change must leave no temporary behind.
#   kill-during-change.sh <corvex> <7zz>
set -uo pipefail
corvex=$1 tool=$2
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL $row: $*" >&2; status=1; }

# Nothing the program opens on success (a file manager) is on its PATH.
mkdir "$work/empty" "$work/in" "$work/a"
launch=(env PATH="$work/empty" QT_QPA_PLATFORM=offscreen DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent "$corvex" -addto)
head -c 60M /dev/urandom > "$work/in/stored.bin"
head -c 40M /dev/urandom > "$work/big.bin"
echo small > "$work/small.txt"
"$tool" a -t7z -mx0 -bso0 -bsp0 -- "$work/original.7z" "$work/in/stored.bin" || exit 1
added=$(stat -c %s "$work/big.bin")
base=$(stat -c %s "$work/original.7z")
archive=$work/a/archive.7z

temporary() { find "$work/a" -maxdepth 1 -name '.corvex-*' -printf '%s\n' | sort -n | tail -1; }
# Waits (at most 60 s) until a temporary of at least $1 bytes is there.
wait_for() {
  local deadline=$((SECONDS + 60)) size
  while ((SECONDS < deadline)); do
    size=$(temporary)
    [ -n "$size" ] && ((size >= $1)) && return 0
    kill -0 "$corvex_pid" 2>/dev/null || return 1
    sleep 0.02
  done
  return 1
}
tools_of() { pgrep -P "$1"; }

status=0
# who: corvex or tool; at: the temporary's size that marks the moment.
while read -r row who at; do
  cp "$work/original.7z" "$archive"
  "${launch[@]}" "$archive" "$work/big.bin" >/dev/null 2>&1 &
  corvex_pid=$!
  pids+=("$corvex_pid")
  if ! wait_for "$((at))"; then fail "the moment never came"; fi
  children=$(tools_of "$corvex_pid")
  pids+=($children)
  if [ "$who" = corvex ]; then
    kill -9 "$corvex_pid"
  else
    killed=0
    [ -n "$children" ] && kill -9 $children 2>/dev/null && killed=1
    # Corvex cleans up after its tool; then it only reports.
    for ((i = 0; i < 1500 && ${#children}; i++)); do [ -z "$(temporary)" ] && break; sleep 0.02; done
    [ -z "$(temporary)" ] || fail "the temporary stayed after the tool's death"
    kill -9 "$corvex_pid" 2>/dev/null
  fi
  # An orphaned tool writes only its own temporary; it goes too.
  kill -9 $children 2>/dev/null
  wait "$corvex_pid" 2>/dev/null
  if cmp -s "$archive" "$work/original.7z"; then
    echo "$row: the original"
  elif "$tool" t -bso0 -bsp0 -- "$archive" && "$tool" l -slt -- "$archive" | grep -qx 'Path = big.bin'; then
    echo "$row: the new archive"
    [ "$who" = tool ] && ((killed)) && fail "a failed change replaced the archive"
  else
    fail "the archive is neither the original nor the new one"
  fi
  timeout 120 "${launch[@]}" "$archive" "$work/small.txt" >/dev/null 2>&1 || fail "the next change failed"
  [ -z "$(temporary)" ] || fail "a temporary remains after the next change: $(ls -A "$work/a")"
  "$tool" l -slt -- "$archive" | grep -qx 'Path = small.txt' || fail "the next change did not add"
done <<ROWS
corvex-soon   corvex 0
corvex-middle corvex $base+$added/2
corvex-end    corvex $base+$added*95/100
tool-soon     tool   0
tool-middle   tool   $base+$added/2
tool-end      tool   $base+$added*95/100
ROWS
exit $status
