#!/usr/bin/env bash
# Builds the fuzz targets of the host-buildable pieces (text scanning, the template reader, the
# address check) with libFuzzer and the sanitizers, replays every saved crash, then runs each
# target for the given number of seconds on a scratch copy of its seed corpus:
#   fuzz.sh [SECONDS]   (default 60)
# Exits non-zero when a target crashes, fails a check, or fails to build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-60}
out=build/fuzz
# shellcheck disable=SC2054 # the commas belong to the sanitizer list
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I.)
mkdir -p "$out"

declare -A sources=(
  [text_scan]="services/text_scan.cpp"
  [address_check]="tool/address_check.cpp"
  [template_reader]="shell/template_reader.cpp shell/template.cpp"
)
names=(text_scan address_check template_reader)

for name in "${names[@]}"; do
  # shellcheck disable=SC2086
  clang++ "${flags[@]}" -Wall -Wextra -Werror -o "$out/${name}_fuzz" "fuzz/${name}_fuzz.cpp" ${sources[$name]}
done

status=0
for name in "${names[@]}"; do
  exe=$out/${name}_fuzz
  work=$out/work/$name
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp fuzz/corpus/"$name"/* "$work/corpus/" 2>/dev/null || true
  extra=()
  [ -f "fuzz/$name.dict" ] && extra+=("-dict=fuzz/$name.dict")

  # Crashes found before must stay fixed.
  regressions=()
  if [ -d "fuzz/regressions/$name" ]; then
    while IFS= read -r -d '' file; do regressions+=("$file"); done \
      < <(find "fuzz/regressions/$name" -type f ! -name 'README*' -print0 | sort -z)
  fi
  if [ ${#regressions[@]} -gt 0 ]; then
    if ! "$exe" -timeout=10 -rss_limit_mb=2048 "${regressions[@]}" >"$work/regressions.log" 2>&1; then
      echo "$name: a saved crash fails again (see $work/regressions.log)"
      status=1
      continue
    fi
  fi

  set +e
  "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "${extra[@]}" "$work/corpus" >"$work/fuzz.log" 2>&1
  code=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log" | tail -1)
  corpus=$(find "$work/corpus" -type f | wc -l)
  if [ $code -eq 0 ]; then
    echo "$name: ${runs:-?} runs in ${seconds} s, ${#regressions[@]} saved crashes replayed, corpus $corpus inputs, no crash"
  else
    status=1
    artifact=$(find "$work/artifacts" -type f | head -1)
    echo "$name: FAILED after ${runs:-?} runs (exit $code); input: ${artifact:-none}; log: $work/fuzz.log"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|template reader:|scan_text|address_is_safe|an appended)' "$work/fuzz.log" | head -5 | sed 's/^/  /'
  fi
done
exit $status
