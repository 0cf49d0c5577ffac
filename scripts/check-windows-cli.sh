#!/usr/bin/env bash
# Checks the Windows build against the Linux one on the same registry: in a
# prefix made by `wineboot -i` with stale entries planted, hivewarden-cli.exe
# run under Wine (on Wine's own registry API and file system) must report
# exactly what the Linux hivewarden-cli reports from the prefix's files, both
# from the snapshot it scans under Wine and from the live registry, key by key
# (HW_REGISTRY_SNAPSHOT=0), as it reads it on Windows.
# Needs wine64, build/ and build-win64/ (or HW_CLI and HW_CLI_EXE).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${HW_CLI:-"$root/build/bin/hivewarden-cli"}
exe=${HW_CLI_EXE:-"$root/build-win64/bin/hivewarden-cli.exe"}
source "$root/scripts/wine-common.sh"
start_fresh_prefix
plant_stale_entries "$wine"
wineserver -w

failed=0
for categories in '' extensions empty,fonts; do
  what=${categories:-the default categories}
  linux="$WINEPREFIX/linux.jsonl"
  # The Linux scan first, from the files wineserver wrote on exit.
  "$cli" scan --prefix "$WINEPREFIX" ${categories:+--categories "$categories"} >"$linux" || true
  if [ ! -s "$linux" ]; then
    echo "FAIL: the Linux scan found nothing ($what)" >&2
    failed=1
    continue
  fi
  for snapshot in 1 0; do
    windows="$WINEPREFIX/windows-$snapshot.jsonl"
    HW_REGISTRY_SNAPSHOT=$snapshot "$wine" "$exe" scan ${categories:+--categories "$categories"} \
      2>"$windows.err" | tr -d '\r' >"$windows" || true
    wineserver -w
    how=$([ "$snapshot" = 1 ] && echo "from a snapshot" || echo "key by key")
    if [ "$snapshot" = 1 ] && grep -q "key by key" "$windows.err"; then
      echo "FAIL: wineserver wrote no snapshot ($what): $(cat "$windows.err")" >&2
      failed=1
    elif ! diff -u "$linux" "$windows" >&2; then
      echo "FAIL: the Windows build reports otherwise ($what, $how): - Linux, + Windows" >&2
      failed=1
    else
      echo "ok: both builds report the same $(wc -l <"$linux") entries ($what, $how)"
    fi
  done
done
exit "$failed"
