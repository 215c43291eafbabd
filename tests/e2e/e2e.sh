#!/usr/bin/env bash
# The real program on a real (virtual) desktop: Xvfb, a private session bus,
# and xdotool to look at windows and press keys.
# Usage: e2e.sh CASE PROGRAM [DROP_TARGET]   (CASE: extract, unsafe, drag, items, close, loads)
# Re-runs itself inside xvfb-run and dbus-run-session; everything it makes
# lives in one scratch folder, home included.
set -euo pipefail

case_name="$1" program="$2" drop_target="${3:-}"

if [ -z "${CORVEX_E2E_INSIDE:-}" ]; then
  scratch="$(mktemp -d)"
  # Everything this run starts inherits the mark, even what leaves its parent
  # behind: at the end whatever still carries it is a leak, and is ended. (The
  # processes are listed before the search starts, which carries the mark too.)
  mark="CORVEX_E2E_SCRATCH=$scratch"
  marked() { local p=(/proc/[0-9]*/environ); grep -lzxF "$mark" "${p[@]}" 2>/dev/null | cut -d/ -f3 | paste -sd, || true; }
  finish() {  # Xvfb and the bus take a moment to go
    local left; for _ in $(seq 1 50); do left="$(marked)"; [ -n "$left" ] || break; sleep 0.1; done
    rm -rf "$scratch"
    [ -z "$left" ] || { echo "e2e $case_name: left running: $(ps -o pid=,args= -p "$left" | tr '\n' ';')" >&2; kill -KILL ${left//,/ }; exit 1; }
  }
  trap finish EXIT && trap 'exit 143' TERM INT HUP
  mkdir -p "$scratch/home" "$scratch/bin" "$scratch/services" && mkdir -m 700 "$scratch/runtime"
  # The bus can start only what the test puts in its own (empty) service
  # folder: no installed file manager, thumbnailer or accessibility bus.
  sed "s|@SCRATCH@|$scratch|g" "$(dirname "$0")/private-bus.conf.in" > "$scratch/bus.conf"
  # Opening a folder ends in xdg-open: record it instead of starting anything.
  printf '%s\n' '#!/bin/sh' 'printf "%s\n" "$@" >> "$CORVEX_E2E_SCRATCH/opened.log"' > "$scratch/bin/xdg-open"
  chmod +x "$scratch/bin/xdg-open"
  export CORVEX_E2E_INSIDE=1 CORVEX_E2E_SCRATCH="$scratch" HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime"
  export PATH="$scratch/bin:$PATH"
  # A desktop session's variables would make Qt open folders its own way, or write outside the scratch folder.
  unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP \
    DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME
  # xvfb-run takes the first free display number racily: runs from other
  # checkouts would meet at :99, so start apart. Without -noreset the server
  # resets when its last client leaves, refusing whoever connects meanwhile.
  xvfb-run --server-num=$((100 + $$ % 800)) --auto-servernum --server-args="-screen 0 1280x1024x24 -noreset" \
    dbus-run-session --config-file="$scratch/bus.conf" -- bash "$0" "$@"
  exit 0
fi

scratch="$CORVEX_E2E_SCRATCH"
seven="$(dirname "$program")/../share/corvex/bin/7zz"
fail() { echo "e2e $case_name: $*" >&2; exit 1; }

# Waits for a visible window named exactly "Corvex" (up to 40 s: a loaded
# machine starts the program slowly); prints its id.
find_window() {
  for _ in $(seq 1 400); do
    xdotool search --onlyvisible --name '^Corvex$' 2>/dev/null | head -n 1 | grep . && return 0
    sleep 0.1
  done
  return 1
}

listing() { (cd "$1" && find . -printf '%y %s %T@ %p\n' | sort); }

# What the window's close button does: WM_DELETE_WINDOW (there is no window manager).
close_window() {
  python3 - "$1" <<'PY'
import ctypes as c, sys
x = c.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = c.c_void_p
x.XInternAtom.argtypes, x.XInternAtom.restype = [c.c_void_p, c.c_char_p, c.c_int], c.c_ulong
x.XSendEvent.argtypes = [c.c_void_p, c.c_ulong, c.c_int, c.c_long, c.c_void_p]
x.XFlush.argtypes = [c.c_void_p]
class Message(c.Structure):  # XClientMessageEvent, padded to an XEvent
    _fields_ = [("type", c.c_int), ("serial", c.c_ulong), ("send_event", c.c_int), ("display", c.c_void_p),
                ("window", c.c_ulong), ("message_type", c.c_ulong), ("format", c.c_int), ("data", c.c_long * 17)]
d = x.XOpenDisplay(None)
m = Message(type=33, window=int(sys.argv[1]), message_type=x.XInternAtom(d, b"WM_PROTOCOLS", 0), format=32)
m.data[0] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(d, m.window, 0, 0, c.byref(m)), x.XFlush(d)
PY
}

# The program laid out as installed, with a tool that takes $1 s over any archive named slow*
# (one process, so that a cancel ends it) and notes when it starts.
slow_program() {
  local app="$scratch/app"
  mkdir -p "$app/bin" "$app/share/corvex/bin" && cp "$program" "$app/bin/corvex"
  cat > "$app/share/corvex/bin/7zz" <<EOF
#!/bin/sh
case "\$*" in *slow*) exec python3 -c 'import os, sys, time; open(sys.argv[1], "w"); time.sleep($1); os.execv(sys.argv[2], sys.argv[2:])' "$scratch/slow.started" "$seven" "\$@" ;; esac
exec "$seven" "\$@"
EOF
  chmod +x "$app/share/corvex/bin/7zz" && echo "$app/bin/corvex"
}

wait_for() { for _ in $(seq 1 200); do [ -e "$1" ] && return 0; sleep 0.1; done; return 1; }
ended() { for _ in $(seq 1 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done; return 1; }

# Types PATH into the dialog that opens over WINDOW: its name field has the focus.
choose_in_dialog() {
  local dialog=""
  for _ in $(seq 1 100); do
    dialog="$(xdotool search --onlyvisible --name . 2>/dev/null | grep -vx "$1" | head -n 1)" && [ -n "$dialog" ] && break
    sleep 0.1
  done
  [ -n "$dialog" ] || fail "no dialog opened"
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  xdotool type --delay 20 "$2" && xdotool key Return
}

case "$case_name" in
extract)
  mkdir -p "$scratch/files/docs" "$scratch/work"
  printf 'hello\n' > "$scratch/files/docs/a.txt"
  printf 'world\n' > "$scratch/files/b.txt"
  (cd "$scratch/files" && "$seven" a -tzip -spd -- "$scratch/work/Real Archive.zip" docs b.txt >/dev/null)
  # Extract to Folder, the option in another letter case.
  timeout 60 "$program" -CorvexExtractFolder "$scratch/work/Real Archive.zip" \
    || fail "Extract to Folder did not end by itself with status 0"
  diff -r "$scratch/files" "$scratch/work/Real Archive" || fail "Extract to Folder wrote other files"
  # Extract Here into the archive's folder.
  timeout 60 "$program" -corvexextracthere "$scratch/work/Real Archive.zip" \
    || fail "Extract Here did not end by itself with status 0"
  cmp -s "$scratch/work/b.txt" "$scratch/files/b.txt" || fail "Extract Here wrote no b.txt"
  # Qt's own option names are items too, and so is "--"; a line break is part of a name.
  for name in -platform -reverse -stylesheet -- $'line\nbreak'; do
    mkdir "$scratch/$name" && cp "$scratch/work/Real Archive.zip" "$scratch/$name/$name"
    (cd "$scratch/$name" && timeout 60 "$program" -corvexextracthere "$name") || fail "Extract Here of $name did not end with status 0"
    cmp -s "$scratch/$name/b.txt" "$scratch/files/b.txt" || fail "Extract Here of $name extracted nothing"
  done
  # No file manager answers on the bus: each reveal opened the parent folder.
  for _ in $(seq 1 50); do [ "$(cat "$scratch/opened.log" 2>/dev/null | wc -l)" -ge 2 ] || sleep 0.1; done
  grep -qx "file://$scratch/work" "$scratch/opened.log" || fail "no fallback opened $scratch/work: $(cat "$scratch/opened.log" 2>/dev/null)"
  [ -z "$(xdotool search --name '^Corvex$' 2>/dev/null || true)" ] || fail "a window was left open"
  ;;

unsafe)
  mkdir -p "$scratch/work/inside"
  python3 - "$scratch/work/evil.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("fine.txt", "fine\n")
    z.writestr("../escaped.txt", "escaped\n")
PY
  before="$(listing "$scratch")"
  "$program" -corvexextractfolder "$scratch/work/evil.zip" &
  pid=$!
  alert="$(find_window)" || { kill "$pid"; fail "no alert appeared"; }
  kill -0 "$pid" 2>/dev/null || fail "the program ended before the alert was dismissed"
  size="$(xdotool getwindowgeometry "$alert" | sed -n 's/.*Geometry: //p')"
  [ "$size" != "980x640" ] || fail "the main window opened instead of an alert"
  xdotool windowfocus --sync "$alert" 2>/dev/null || true
  xdotool key --clearmodifiers Return
  for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null && sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "the alert did not go away on Return"; }
  status=0
  wait "$pid" || status=$?
  [ "$status" -eq 1 ] || fail "a refusal ended with status $status, not 1"
  after="$(listing "$scratch")"
  [ "$before" = "$after" ] || fail "files changed: $(diff <(echo "$before") <(echo "$after") || true)"
  [ ! -e "$scratch/opened.log" ] || fail "something was revealed"
  echo "e2e unsafe: alert of $size dismissed with Return"
  ;;

drag)
  # A file and a folder dragged with the mouse onto a window that takes
  # text/uri-list: the files it is given are the members, as the tool gives them.
  mkdir -p "$scratch/files/docs/sub" "$scratch/work" "$scratch/dropped" "$scratch/by-tool"
  printf 'hello\n' > "$scratch/files/docs/sub/a.txt"
  printf 'world\n' > "$scratch/files/b.txt"
  (cd "$scratch/files" && "$seven" a -tzip -spd -- "$scratch/work/pick.zip" docs b.txt >/dev/null)
  "$program" "$scratch/work/pick.zip" &
  "$drop_target" > "$scratch/dropped.txt" &
  trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
  window="$(find_window)" || fail "no window named Corvex"
  geometry="$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')"
  [ "$geometry" = "980x640" ] || fail "window is $geometry, not 980x640"
  xdotool windowmove --sync "$window" 0 0
  # Rows are 24 px high from y = 112: b.txt, then docs. Until the listing is
  # in there is nothing to drag and no copy is made: then again.
  for _ in 1 2 3 4 5; do
    xdotool mousemove 250 124 click 1 mousemove 250 148 keydown ctrl click 1 keyup ctrl mousemove 250 124 mousedown 1
    for x in 270 300 400; do xdotool mousemove "$x" 130; sleep 0.1; done
    # The drag begins once the copies are there, the button still down.
    for _ in $(seq 1 50); do ls "$HOME"/.cache/corvex/drags/*/b.txt >/dev/null 2>&1 && break 2; sleep 0.1; done
    xdotool mouseup 1; sleep 1
  done
  sleep 0.5
  for x in 700 1000 1100 1120; do xdotool mousemove "$x" 200; sleep 0.3; done
  xdotool mouseup 1
  for _ in $(seq 1 100); do [ -s "$scratch/dropped.txt" ] || sleep 0.1; done
  [ -s "$scratch/dropped.txt" ] || fail "nothing was dropped"
  # The scratch paths need no escapes in a URI.
  tr -d '\r' < "$scratch/dropped.txt" | sed -n 's|^file://||p' | while read -r file; do cp -r "$file" "$scratch/dropped/"; done
  "$seven" x -o"$scratch/by-tool" -spd -- "$scratch/work/pick.zip" b.txt docs >/dev/null
  diff -r "$scratch/by-tool" "$scratch/dropped" || fail "the drop differs from the tool's extraction"
  ;;

items)
  # With -platform offscreen taken by Qt no window would show here.
  "$program" -platform offscreen &
  pid=$!
  window="$(find_window)" || { kill "$pid"; fail "no window for the items -platform offscreen"; }
  close_window "$window"
  ended "$pid" || { kill "$pid"; fail "the window did not close"; }
  ;;

close)
  # Closing the window while the tool works ends the tool and the program.
  slow="$(slow_program 60)"
  mkdir "$scratch/src" && echo a > "$scratch/src/a.txt"
  (cd "$scratch/src" && "$seven" a -tzip -- "$scratch/slow.zip" . >/dev/null)
  "$slow" "$scratch/slow.zip" &
  pid=$!
  window="$(find_window)" || { kill "$pid"; fail "no window"; }
  wait_for "$scratch/slow.started" || { kill "$pid"; fail "the listing never started"; }
  close_window "$window"
  ended "$pid" || { kill "$pid"; fail "the program went on after its window closed"; }
  ;;

loads)
  # Two loads, the first slower: the window ends with the one chosen last.
  slow="$(slow_program 8)"
  for name in slow fast; do
    mkdir -p "$scratch/$name" && printf '%s\n' "$name" > "$scratch/$name/$name.txt"
    (cd "$scratch/$name" && "$seven" a -tzip -- "$scratch/$name.zip" "$name.txt" >/dev/null)
  done
  "$slow" "$scratch/slow.zip" &
  window="$(find_window)" || fail "no window"
  trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
  wait_for "$scratch/slow.started" || fail "the first listing never started"
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key ctrl+o && choose_in_dialog "$window" "$scratch/fast.zip"
  sleep 9   # the slow listing would have ended by now
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  mkdir "$scratch/into" && xdotool key ctrl+e && choose_in_dialog "$window" "$scratch/into"
  wait_for "$scratch/into/fast.txt" || fail "the window did not end with the archive chosen last: $(ls "$scratch/into")"
  [ ! -e "$scratch/into/slow.txt" ] || fail "the first load overtook the second"
  ;;

*) fail "unknown case" ;;
esac
echo "e2e $case_name: passed"
