#!/usr/bin/env bash
# Checks the scan against real Wine: a prefix freshly made by `wineboot -i`
# must scan clean with the default exclusions, and stale entries added to it
# with `wine reg add` must all be reported. Needs wine64 (Debian: apt-get
# install wine64) and a build in build/ (or HW_CLI naming hivewarden-cli).
# Takes about a minute.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${HW_CLI:-"$root/build/bin/hivewarden-cli"}
source "$root/scripts/wine-common.sh"
start_fresh_prefix
wineserver -w

# The default categories, then all eight, empty keys and file types included,
# which only the command line scans.
all=paths,empty,fonts,startmenu,apppaths,helpfiles,shareddlls,extensions
for categories in '' "$all"; do
  status=0
  "$cli" scan --prefix "$WINEPREFIX" ${categories:+--categories "$categories"} \
    >"$WINEPREFIX/fresh.jsonl" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "FAIL: a fresh prefix has findings (${categories:-default categories}, exit $status):" >&2
    cat "$WINEPREFIX/fresh.jsonl" >&2
    exit 1
  fi
done
echo "ok: a fresh prefix scans clean in all eight categories"

plant_stale_entries "$wine"
# A vendor's key an uninstaller emptied; empty keys Wine and Windows programs
# expect stay unreported. (reg add would give the key an empty default value;
# a .reg file makes it without any.)
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\SomeVendor\\SomeApp]\r\n\r\n' \
  >"$WINEPREFIX/vendor.reg"
"$wine" regedit /S "Z:$(printf '%s' "$WINEPREFIX/vendor.reg" | tr / '\\')"
wineserver -w

found="$WINEPREFIX/planted.jsonl"
"$cli" scan --prefix "$WINEPREFIX" >"$found" || true
"$cli" scan --prefix "$WINEPREFIX" --categories empty,extensions >>"$found" || true
failed=0
# One finding, field by field as hivewarden-cli writes them (JSON text, so
# backslashes are doubled): category, key, value, bad path, flags, path count.
expect() {
  local head="{\"category\":$1,\"key\":\"$2\",\"value\":\"$3\","
  local tail="\"badPath\":\"$4\",\"flags\":[$5],\"pathCount\":$6,"
  if ! grep -F "$head" "$found" | grep -qF "$tail"; then
    echo "FAIL: not reported: $head ... $tail" >&2
    failed=1
  fi
}
m='[HKEY_LOCAL_MACHINE] Software\\Microsoft'
expect 0 '[HKEY_CURRENT_USER] Software\\Stale\\App' InstallDir \
  'C:\\Program Files\\Stale App' '"etInvalidData"' 1
expect 0 "$m\\\\DirectMusic" OtherPath 'C:\\gone\\x.dls' '"etInvalidData"' 1
expect 2 "$m\\\\Windows NT\\\\CurrentVersion\\\\Fonts" 'Stale (TrueType)' stale.ttf \
  '"etInvalidData"' 1
expect 3 '[HKEY_CURRENT_USER] Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs\\Stale Folder' \
  '' 'Programs\\Stale Folder' '"etObsoleteMenuKey"' 1
expect 4 "$m\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\stale.exe" '' \
  'C:\\Program Files\\Stale App\\stale.exe' '"etInvalidData","etAppDefault"' 1
expect 4 "$m\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\nopath.exe" '' nopath.exe \
  '"etAppPathMissing"' 1
expect 5 "$m\\\\Windows\\\\Help" stale.hlp 'C:\\Program Files\\Stale Help' '"etInvalidData"' 1
expect 6 "$m\\\\Windows\\\\CurrentVersion\\\\SharedDLLs" 'C:\\Program Files\\Stale App\\stale.dll' \
  'C:\\Program Files\\Stale App\\stale.dll' '"etInvalidName"' 1
expect 6 "$m\\\\Windows\\\\CurrentVersion\\\\SharedDLLs" 'C:\\windows\\system32\\kernel32.dll' \
  'C:\\windows\\system32\\kernel32.dll' '"etInvalidName","etZeroUsageCount"' 0
expect 7 '[HKEY_CLASSES_ROOT] .foo' '' ', etExtAbsentNameKey' '"etExtAbsentNameKey"' 1
expect 1 '[HKEY_CURRENT_USER] Software\\SomeVendor\\SomeApp' '' '' '' 0
expect 1 '[HKEY_CURRENT_USER] Software\\SomeVendor' '' '' '' 0
if [ "$(grep -c '"category":1,' "$found")" -ne 2 ]; then
  echo "FAIL: empty keys other than the vendor's were reported" >&2
  failed=1
fi
if grep -qe 'notepad.exe' -e 'ShellNew' "$found"; then
  echo "FAIL: an existing file or a sound file type was reported" >&2
  failed=1
fi
[ "$failed" -eq 0 ] && echo "ok: every planted stale entry is reported, nothing that exists"
exit "$failed"
