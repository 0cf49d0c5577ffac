#!/usr/bin/env bash
# How much slower the Windows build scans under Wine than the Linux build scans
# the same prefix's files. A prefix made by `wineboot -i` gets one key of
# $HW_BENCH_VALUES shared-library counters (default 2,000, every other one
# naming a missing file) and as many program settings naming files; both builds scan
# all categories, and the ratio of their wall times is printed (the aim: below
# 10). Wine's start-up is part of the Windows time, as a user meets it: once
# with wineserver already running (as it is while the user's Windows programs
# run), once starting it. The two builds must find the same entries.
# Needs wine64, build/ and build-win64/ (or HW_CLI and HW_CLI_EXE).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${HW_CLI:-"$root/build/bin/hivewarden-cli"}
exe=${HW_CLI_EXE:-"$root/build-win64/bin/hivewarden-cli.exe"}
values=${HW_BENCH_VALUES:-2000}
source "$root/scripts/wine-common.sh"
start_fresh_prefix

reg="$WINEPREFIX/drive_c/bench.reg"
mkdir "$WINEPREFIX/drive_c/Bench"
for ((i = 0; i < values; i += 2)); do : >"$WINEPREFIX/drive_c/Bench/lib$i.dll"; done
{
  printf 'REGEDIT4\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs]\r\n'
  for ((i = 0; i < values; i++)); do
    printf '"C:\\\\Bench\\\\lib%d.dll"=dword:00000001\r\n' "$i"
  done
  printf '\r\n[HKEY_CURRENT_USER\\Software\\BenchVendor\\Settings]\r\n'
  for ((i = 0; i < values; i++)); do
    printf '"File%d"="C:\\\\Program Files\\\\Bench\\\\file%d.dat"\r\n' "$i" "$i"
  done
} >"$reg"
"$wine" regedit /S 'C:\bench.reg'
wineserver -w

categories=paths,empty,fonts,startmenu,apppaths,helpfiles,shareddlls,extensions
out=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX" "$out"' EXIT
# Wall seconds of a scan writing to $1; a failed scan (status 2) ends the run.
seconds() {
  local file=$1 start=$EPOCHREALTIME status=0
  shift
  "$@" >"$file" || status=$?
  if [ "$status" -gt 1 ]; then
    echo "the scan failed: $*" >&2
    exit 2
  fi
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }'
}
linux=$(seconds "$out/linux" "$cli" scan --prefix "$WINEPREFIX" --categories "$categories")
cold=$(seconds "$out/cold" "$wine" "$exe" scan --categories "$categories")
warm=$(seconds "$out/warm" "$wine" "$exe" scan --categories "$categories")
wineserver -w
# Whether a key may be changed depends on Wine running, not on the build.
for run in linux cold warm; do sed 's/"keyWritable":[a-z]*,//; s/\r$//' "$out/$run" | sort >"$out/$run.sorted"; done
for run in cold warm; do
  cmp -s "$out/linux.sorted" "$out/$run.sorted" ||
    { echo "the Windows build found other entries than the Linux build:" >&2
      diff "$out/linux.sorted" "$out/$run.sorted" | head -20 >&2; exit 1; }
done
printf 'entries found: %s by both builds (a key of %s values)\n' "$(wc -l <"$out/linux")" "$values"
printf 'Linux build:   %s s\n' "$linux"
printf 'Windows build: %s s under Wine, %s s starting wineserver\n' "$warm" "$cold"
awk -v l="$linux" -v w="$warm" -v c="$cold" \
  'BEGIN { printf "ratio:         %.1f (%.1f starting wineserver)\n", w / l, c / l }'
