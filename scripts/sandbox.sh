#!/usr/bin/env bash
# Runs a command in a private network namespace with only loopback up, on a virtual X display,
# with the project's Wine server started inside (so its network driver sees only loopback):
#   sandbox.sh COMMAND [ARG...]
# Nothing run here can send a packet to any address but loopback.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${IPL_IN_SANDBOX:-}" != 1 ]; then
  exec unshare -n env IPL_IN_SANDBOX=1 "$0" "$@"
fi
. "$root/scripts/env.sh"
ip link set lo up

# A server for this prefix started outside the namespace would run the network driver there.
"$WINESERVER" -k 2>/dev/null || true

display=${IPL_DISPLAY:-:$((90 + RANDOM % 100))}
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

stop() {
  "$WINESERVER" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
}
trap stop EXIT

"$WINESERVER" -p </dev/null >/dev/null 2>&1
"$WINE" cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
set +e
"$@"
status=$?
set -e
exit $status
