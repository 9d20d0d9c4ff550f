#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program under Wine. On the user's display
# when there is one; otherwise on a virtual display, where it types a loopback address, runs a
# query, saves pictures of the window under build/ and prints their paths and the result.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh
cmake --preset x64 >/dev/null
cmake --build --preset x64 --target iplatency gui_demo
. scripts/env.sh

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$WINE" build/x64/tool/iplatency.exe
fi

# No display: a virtual one, in a network namespace where only loopback answers.
output=$(scripts/sandbox.sh "$WINE" build/x64/tests/gui/gui_demo.exe | tr -d '\r')
status=$?
echo "$output" | grep -v '^screenshot:'
for bmp in build/x64/screenshots/run-start.bmp build/x64/screenshots/run-result.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  echo "screenshot: $root/${bmp%.bmp}.png"
done
exit $status
