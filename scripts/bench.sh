#!/usr/bin/env bash
# Builds what the benchmark needs and prints its table: each measurement of the program side by
# side with a floor that does only what cannot be avoided, taken in one run, interleaved, and
# reported as min/median/max with the ratio of the medians against its target.
#   bench.sh [ROUNDS] [QUERIES]   (defaults 21 and 200)
# The programs run under Wine in the loopback-only sandbox, with a prefix of the benchmark's own
# (IPL_WINEPREFIX, by default build/wineprefix-bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds=${1:-21}
queries=${2:-200}
export IPL_WINEPREFIX=${IPL_WINEPREFIX:-$root/build/wineprefix-bench}
build=build/x64-bench

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja --toolchain cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel -DIPL_TESTS=ON \
    >/dev/null
fi
cmake --build "$build" --target iplatency floor_window bench_driver read_bench >/dev/null
cmake --preset i686 >/dev/null
cmake --build --preset i686 >/dev/null
scripts/make-prefix.sh

echo "iplatency benchmark: $rounds runs each, interleaved; $(nproc) CPUs; $(/usr/lib/wine/wine64 --version 2>/dev/null)"
printf '%-40s %-28s %-28s %6s %8s %s\n' "measure" "program min/median/max" "floor min/median/max" "ratio" \
  "target" ""
status=0
scripts/sandbox.sh bash -c ". scripts/env.sh
  set -e
  \"\$WINE\" $build/bench/bench_driver.exe startup $rounds
  \"\$WINE\" $build/bench/bench_driver.exe query $rounds
  \"\$WINE\" $build/bench/read_bench.exe $rounds
  \"\$WINE\" $build/bench/bench_driver.exe footprint $queries" </dev/null | tr -d '\r' || status=$?

# The shipped program, looked at where it lies.
exe=build/i686/tool/iplatency.exe
size=$(stat -c %s "$exe")
verdict=met
[ "$size" -le 65536 ] || verdict=MISSED
icons=$(wrestool -l --type=14 "$exe" 2>/dev/null | wc -l)
echo "shipped 32-bit iplatency.exe: $size bytes ($(awk -v s="$size" 'BEGIN { printf "%.1f", s / 1024 }') KiB," \
  "target <= 64 KiB: $verdict); icon groups: $icons; imports: $(objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | xargs)"
exit $status
