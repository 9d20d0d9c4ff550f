#!/usr/bin/env bash
# Runs one Windows program under the project's Wine prefix (the test emulator of CTest).
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/env.sh"
exec "$WINE" "$@"
