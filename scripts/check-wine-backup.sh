#!/usr/bin/env bash
# Checks that a backup restores every value form exactly, against real Wine:
# keys holding values of every type, size and name Wine stores are planted in
# a fresh prefix's system.reg in Wine's own format, `hivewarden-cli fix`
# deletes them with a backup, and `wine regedit /S` of the backup must bring
# every key and value back line for line as Wine writes it. Keys whose values
# the editor cannot restore exactly (an odd-length or unterminated string, a
# name with a NUL, a symbolic link) must be left untouched, each with a
# message. Needs wine64, python3 and a build in build/ (or $HW_BUILD); skips
# when Wine is not installed. Takes well under a minute.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli="${HW_BUILD:-$root/build}/bin/hivewarden-cli"
source "$root/scripts/wine-common.sh"
start_prefix_or_skip "the backup check against a real Wine prefix" backup

# Planted in Wine's own file format, which holds what the registry calls may
# store: each key below has a Flags value and no path, so the scan reports it
# as a stale application path and the fix deletes the whole key.
cat >"$WINEPREFIX/plant.txt" <<'EOF'

[AP\\forms.exe] 1700000000
"Flags"=dword:00000001

[AP\\forms.exe\\Values] 1700000000
@="default"
"Text"="C:\\Program Files\\x.exe"
"Lines"="two\r\nlines\n"
"Inner"="a\0b"
"TwoZeros"=hex(1):61,00,00,00,00,00
"Empty"=hex(1):
"EmptyText"=""
"Latin"="caf\xe9 \x20ac"
"Controls"="a\tb\1c\33"
"Dash"="-"
"Expand"=str(2):"%SystemRoot%\\x.exe"
"ExpandEmpty"=hex(2):
"Multi"=str(7):"one\0two\0"
"MultiEmpty"=hex(7):
"None"=hex(0):
"NoneData"=hex(0):01,02
"Binary"=hex:00,ab,10
"BinaryEmpty"=hex:
"Dword"=dword:ffffffff
"DwordShort"=hex(4):01,02
"DwordLong"=hex(4):01,02,03,04,05
"BigEndian"=hex(5):00,00,00,01
"Qword"=hex(b):01,00,00,00,00,00,00,80
"LinkData"=hex(6):5c,00,52,00
"Resource"=hex(8):01,02,03
"Type12"=hex(c):01
"TypeHigh"=hex(80000001):01,02,03
"TypeMax"=hex(ffffffff):
"Big"=hex:BIG
"q\"uo\\te"="quotes and backslashes"
"a\nb\rc"="a name with line breaks"
"tab\tname"="a tab"
"@"="at"
" "="one blank"
"-"="a dash"
"caf\xe9"="Latin name"

[AP\\forms.exe\\Values\\trailing ] 1700000000
"x"="1"

[AP\\forms.exe\\Values\\br\]ack\\tab] 1700000000

[AP\\odd.exe] 1700000000
"Flags"=dword:00000001
"Odd"=hex(1):41,00,42

[AP\\unterminated.exe] 1700000000
"Flags"=dword:00000001
"Unterminated"=hex(7):61,00,00,00,62,00

[AP\\nulname.exe] 1700000000
"Flags"=dword:00000001
"nul\0name"="x"

[AP\\link.exe] 1700000000
"Flags"=dword:00000001

[AP\\link.exe\\Link] 1700000000
#link
"SymbolicLinkValue"=hex(6):TARGET

[Software\\LinkTarget\\Inside] 1700000000
"kept"="yes"
EOF
python3 - "$WINEPREFIX" <<'EOF'
import sys
prefix = sys.argv[1]
text = open(f"{prefix}/plant.txt", encoding="latin-1").read()
text = text.replace("AP", r"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths")
text = text.replace("BIG", ",".join("%02x" % (i % 256) for i in range(70000)))
target = "\\REGISTRY\\Machine\\Software\\LinkTarget".encode("utf-16-le")
text = text.replace("TARGET", ",".join("%02x" % b for b in target))
with open(f"{prefix}/system.reg", "a", encoding="latin-1") as reg:
    reg.write(text)
EOF
ap='Software\\Microsoft\\Windows\\CurrentVersion\\App Paths'
# Wine loads the planted keys and writes them back in its own form: that is
# the state to restore.
"$wine" reg add 'HKLM\Software\HivewardenTouch' /f >/dev/null
"$wine" reg delete 'HKLM\Software\HivewardenTouch' /f >/dev/null
wineserver -w
before="$WINEPREFIX/before.reg"
cp "$WINEPREFIX/system.reg" "$before"

# key blocks of a .reg file as Wine writes it: {key: [value lines]} with
# continuation lines joined; write times and the key's time stamp left out.
cat >"$WINEPREFIX/blocks.py" <<'EOF'
import re, sys
def blocks(path):
    text = open(path, "rb").read().decode("latin-1").replace("\\\n  ", "")
    out, key = {}, None
    for line in text.split("\n"):
        m = re.match(r"^\[(.*)\](?: \d+)?$", line)
        if m:
            key = m.group(1)
            out[key] = []
        elif key is not None and line and not line.startswith("#time="):
            out[key].append(line)
    return out
def below(blocks, prefix):
    return {k: v for k, v in blocks.items() if k == prefix or k.startswith(prefix + "\\\\")}
EOF
compare() {  # compare WHAT KEY...: "absent" or "same" as before
  python3 - "$WINEPREFIX" "$before" "$@" <<'EOF'
import sys
sys.path.insert(0, sys.argv[1])
from blocks import blocks, below
prefix, before, mode, keys = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
old, new = blocks(before), blocks(prefix + "/system.reg")
failed = False
for key in keys:
    was, now = below(old, key), below(new, key)
    if not was:
        print(f"FAIL: [{key}] was never planted", file=sys.stderr); failed = True
    elif mode == "absent" and now:
        print(f"FAIL: [{key}] is still there", file=sys.stderr); failed = True
    elif mode == "same" and was != now:
        for k in sorted(set(was) | set(now)):
            if was.get(k) != now.get(k):
                print(f"FAIL: [{k}]\n  before {was.get(k)}\n  now    {now.get(k)}"[:2000], file=sys.stderr)
        failed = True
sys.exit(1 if failed else 0)
EOF
}

forms="$ap\\\\forms.exe"
refused=("$ap\\\\odd.exe" "$ap\\\\unterminated.exe" "$ap\\\\nulname.exe" "$ap\\\\link.exe" 'Software\\LinkTarget')
mkdir "$WINEPREFIX/search"
"$cli" fix --prefix "$WINEPREFIX" --categories apppaths --search 'C:\search' \
  --backup "$WINEPREFIX/backup.reg" >"$WINEPREFIX/fix.out" 2>"$WINEPREFIX/fix.err" || {
  cat "$WINEPREFIX/fix.err" >&2
  echo "FAIL: the fix failed" >&2
  exit 1
}
compare absent "$forms"
echo "ok: the keys holding every value form were deleted"
compare same "${refused[@]}"
for name in odd.exe unterminated.exe nulname.exe link.exe; do
  if ! grep -F "$name" "$WINEPREFIX/fix.err" | grep -qF "left as it is"; then
    cat "$WINEPREFIX/fix.err" >&2
    echo "FAIL: no message says why $name was left as it is" >&2
    exit 1
  fi
done
echo "ok: keys the backup cannot restore exactly were left untouched, each with a message"

"$wine" regedit /S "$WINEPREFIX/backup.reg"
wineserver -w
compare same "$forms"
echo "ok: importing the backup with wine regedit brings every key and value back as Wine wrote it"
