#!/usr/bin/env bash
# Checks the repair against real Wine: stale entries planted with `wine reg
# add` into a fresh prefix are removed by `hivewarden-cli fix --backup`, every
# other key of the registry files stays byte for byte as it was, and importing
# the backup with `wine regedit /S` brings every removed key and value back
# with its type and data. Needs wine64 and python3 and a build in build/ (or
# $HW_BUILD); skips when Wine is not installed. Takes about a minute.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli="${HW_BUILD:-$root/build}/bin/hivewarden-cli"
source "$root/scripts/wine-common.sh"
start_prefix_or_skip "the repair check against a real Wine prefix" fix

cv='HKLM\Software\Microsoft\Windows\CurrentVersion'
add() { "$wine" reg add "$@" /f >/dev/null; }
# Values whose key keeps other values, values that are their key's last, and
# whole keys with subkeys and values of every kind.
add 'HKCU\Software\Stale\App' /v InstallDir /d 'C:\Program Files\Stale App'
add 'HKCU\Software\Stale\App' /v Editor /d 'C:\windows\notepad.exe'
# A program moved to another folder: the search of C:\ finds it there.
mkdir -p "$WINEPREFIX/drive_c/Moved Games/Tool"
touch "$WINEPREFIX/drive_c/Moved Games/Tool/movedtool.exe"
add 'HKCU\Software\Stale\Moved' /v Path /d 'C:\Program Files\Old Games\Tool\movedtool.exe'
add 'HKCU\Software\Stale\Only' /v Path /d 'C:\gone\only "quoted".exe'
add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'Stale (TrueType)' /d stale.ttf
add 'HKLM\Software\Microsoft\Windows\Help' /v stale.hlp /d 'C:\Program Files\Stale Help'
add "$cv\\SharedDLLs" /v 'C:\Program Files\Stale App\stale.dll' /t REG_DWORD /d 3
add "$cv\\App Paths\\stale.exe" /ve /d 'C:\Program Files\Stale App\stale.exe'
add "$cv\\App Paths\\nopath.exe" /v Flags /t REG_DWORD /d 1
add "$cv\\App Paths\\nopath.exe\\Sub" /v Multi /t REG_MULTI_SZ /d 'one\0two'
add "$cv\\App Paths\\nopath.exe\\Sub" /v Expand /t REG_EXPAND_SZ /d '%ProgramFiles%\Stale\x.exe'
add "$cv\\App Paths\\nopath.exe\\Sub" /v Bytes /t REG_BINARY /d 00ab10
add "$cv\\App Paths\\nopath.exe\\Sub\\Deeper" /v Qword /t REG_QWORD /d 0x100000001
add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\Stale Folder' \
  /v Order /t REG_BINARY /d 08000000
wineserver -w

# The keys the repair may change: the planted ones and their parents (a
# deleted subkey gives its parent a new write time), as the .reg files name
# them below their hive.
changed="$WINEPREFIX/changed.txt"
cat >"$changed" <<'EOF'
Software\Stale\App
Software\Stale\Only
Software\Stale\Moved
Software\Stale
Software\Microsoft\Windows NT\CurrentVersion\Fonts
Software\Microsoft\Windows\Help
Software\Microsoft\Windows
Software\Microsoft\Windows\CurrentVersion
Software\Microsoft\Windows\CurrentVersion\SharedDLLs
Software\Microsoft\Windows\CurrentVersion\App Paths
Software\Microsoft\Windows\CurrentVersion\App Paths\stale.exe
Software\Microsoft\Windows\CurrentVersion\App Paths\nopath.exe
Software\Microsoft\Windows\CurrentVersion\App Paths\nopath.exe\Sub
Software\Microsoft\Windows\CurrentVersion\App Paths\nopath.exe\Sub\Deeper
Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\Stale Folder
Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs
EOF
before="$WINEPREFIX/before"
mkdir "$before"
cp "$WINEPREFIX"/*.reg "$before/"

"$cli" fix --prefix "$WINEPREFIX" --search 'C:\' --backup "$WINEPREFIX/backup.reg" \
  >"$WINEPREFIX/fix.out"
cat "$WINEPREFIX/fix.out"
if ! grep -qF '"Path"="C:\\Moved Games\\Tool\\movedtool.exe"' "$WINEPREFIX/user.reg"; then
  echo "FAIL: the moved file's value was not rewritten to its new place" >&2
  exit 1
fi
echo "ok: the moved file's value names its new place"
status=0
"$cli" scan --prefix "$WINEPREFIX" >"$WINEPREFIX/rescan.jsonl" || status=$?
if [ "$status" -ne 0 ]; then
  echo "FAIL: entries are still found after the fix (exit $status):" >&2
  cat "$WINEPREFIX/rescan.jsonl" >&2
  exit 1
fi
echo "ok: the planted entries are gone"

# compare MODE: "untouched" -- every key outside the changed list is byte for
# byte as before; "restored" -- every changed key holds the values it held
# before (in any order; write times aside).
compare() {
  python3 - "$1" "$before" "$WINEPREFIX" "$changed" <<'EOF'
import re, sys
mode, before, after, changed_file = sys.argv[1:]
changed = {line.strip().lower() for line in open(changed_file, encoding="utf-8") if line.strip()}
def blocks(path):
    out, key = {}, None
    for line in open(path, encoding="utf-8", errors="surrogateescape").read().split("\n"):
        m = re.match(r"^\[(.*)\](?: \d+)?$", line)
        if m:
            key = m.group(1).replace("\\\\", "\\").lower()
            out[key] = [line]
        elif key is not None:
            out[key].append(line)
    return out
failed = False
for hive in ("system.reg", "user.reg", "userdef.reg"):
    old, new = blocks(f"{before}/{hive}"), blocks(f"{after}/{hive}")
    for key in sorted(set(old) | set(new)):
        if key in changed:
            if mode == "restored":
                values = lambda b: sorted(l for l in (b or []) if l and l[0] in '"@')
                if values(old.get(key)) != values(new.get(key)):
                    print(f"FAIL: {hive} [{key}] not restored:\n  before {values(old.get(key))}\n  now    {values(new.get(key))}", file=sys.stderr)
                    failed = True
            continue
        if mode == "untouched" and old.get(key) != new.get(key):
            print(f"FAIL: {hive} [{key}] changed outside the repaired keys", file=sys.stderr)
            failed = True
sys.exit(1 if failed else 0)
EOF
}
compare untouched
echo "ok: every other key of the registry files is byte for byte as before"

"$wine" regedit /S "$WINEPREFIX/backup.reg"
wineserver -w
compare restored
echo "ok: importing the backup brings every removed key and value back"
