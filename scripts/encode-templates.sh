#!/usr/bin/env bash
# Joins template files (UTF-8 in the source tree) into the program's template data, in GBK.
# Usage: encode-templates.sh OUTPUT INPUT...
set -euo pipefail
out=$1
shift
cat "$@" | iconv -f UTF-8 -t GBK > "$out.tmp"
mv "$out.tmp" "$out"
