#!/usr/bin/env bash
# How much slower the Windows build scans under Wine than the Linux build scans
# the same prefix's files. A prefix made by `wineboot -i` gets one key of
# $HW_BENCH_VALUES shared-library counters (default 2,000, every other one
# naming a missing file) and as many program settings naming files; both builds scan
# all categories, and the ratio of their wall times is printed (the aim: below
# 10). Wine's start-up is part of the Windows time, as a user meets it.
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
seconds() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null || true
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f", b - a }'
}
linux=$(seconds "$cli" scan --prefix "$WINEPREFIX" --categories "$categories")
windows=$(seconds "$wine" "$exe" scan --categories "$categories")
wineserver -w
found=$("$cli" scan --prefix "$WINEPREFIX" --categories "$categories" | wc -l || true)
printf 'entries found: %s (key of %s values)\n' "$found" "$values"
printf 'Linux build:   %s s\nWindows build: %s s under Wine\n' "$linux" "$windows"
awk -v l="$linux" -v w="$windows" 'BEGIN { printf "ratio:         %.1f\n", w / l }'
