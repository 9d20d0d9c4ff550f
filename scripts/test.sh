#!/usr/bin/env bash
# Installs what is missing, builds both targets, and runs every test. Exits non-zero on any
# failure. The tests that start programs run in a loopback-only network namespace.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/setup.sh

echo "== 32-bit program (shipped)"
cmake --preset i686 >/dev/null
cmake --build --preset i686
scripts/check-imports.sh build/i686/tool/iplatency.exe

echo "== 64-bit build and tests"
cmake --preset x64 >/dev/null
cmake --build --preset x64

status=0
scripts/sandbox.sh bash -c 'cd build/x64 && ctest --output-on-failure --timeout 600' || status=$?

# Pictures the driver tests saved, for people to look at.
for bmp in build/x64/screenshots/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls build/x64/screenshots/*.png 2>/dev/null | sed 's/^/screenshot: /' || true
scripts/fuzz.sh 60 || status=$?
exit $status
