#!/usr/bin/env bash
# The Folders view at the window's minimum size, deep in a long location,
# under Xvfb; saved to docs/folders.png (or the path given).
# Usage: scripts/screenshot-folders.sh [OUTPUT.png]   (BUILD=folder to pick the build)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-build}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
output="${1:-$root/docs/folders.png}"
case "$output" in /*) ;; *) output="$PWD/$output" ;; esac
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing; run scripts/bootstrap.sh" >&2; exit 1; }
done

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
deep="Quarterly Reports 2026/Finance Department/Annual Statements and Audits/Fiscal Year 2024/Consolidated"
mkdir -p "$scratch/sample/$deep/Q4 Reconciliations"
for name in "Balance Sheet.pdf" "Cash Flow 2024-12.xlsx" "Notes to the Accounts.docx" "Auditor Letter.pdf"; do
  head -c $((RANDOM * 4)) /dev/urandom > "$scratch/sample/$deep/$name"
done
printf 'reconciled\n' > "$scratch/sample/$deep/Q4 Reconciliations/bank.csv"
archive="$scratch/Quarterly Reports 2026 (final, audited).zip"
(cd "$scratch/sample" && "$build/share/corvex/bin/7zz" a -tzip -spd -- "$archive" "Quarterly Reports 2026" >/dev/null)

# A home of its own, where the view chosen is Folders.
mkdir -p "$scratch/home/.config/Corvex" "$scratch/runtime"
chmod 700 "$scratch/runtime"
printf '[window]\nview=folders\n' > "$scratch/home/.config/Corvex/Corvex.conf"

cat > "$scratch/capture.sh" <<'CAPTURE'
program="$1" archive="$2" picture="$3"
"$program" "$archive" &
pid=$!
window=""
for _ in $(seq 1 100); do
  window="$(xdotool search --onlyvisible --name '^Corvex$' 2>/dev/null | head -n 1 || true)"
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { kill "$pid"; echo "screenshot: the window did not appear" >&2; exit 1; }
xdotool windowsize "$window" 760 460
sleep 2
# Into the first folder, five times: the table, then Return.
xdotool mousemove --window "$window" 320 140 click 1
for _ in 1 2 3 4 5; do xdotool key --window "$window" Return; sleep 0.3; done
sleep 1
import -window "$window" "$picture"
status=$?
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit $status
CAPTURE

HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_RUNTIME_DIR="$scratch/runtime" \
  xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" \
  bash "$scratch/capture.sh" "$build/bin/corvex" "$archive" "$scratch/window.png"
mkdir -p "$(dirname "$output")"
cp "$scratch/window.png" "$output"
echo "screenshot: wrote $output"
