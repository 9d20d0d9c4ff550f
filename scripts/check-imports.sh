#!/usr/bin/env bash
# Fails unless the program imports only Windows system DLLs; prints its size and imports.
set -euo pipefail
exe=$1
allowed='^(kernel32|user32|gdi32|ole32|msvcrt)\.dll$'
imports=$(objdump -p "$exe" | awk '/DLL Name:/ {print $3}')
echo "$exe: $(stat -c %s "$exe") bytes; imports: $(echo $imports)"
bad=0
for dll in $imports; do
  if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
    echo "not a Windows system DLL: $dll" >&2
    bad=1
  fi
done
exit $bad
