#!/usr/bin/env bash
# Checks the scan and the repair against a real program: an installer built
# with Debian's makensis from tests/assets/installer/sample.nsi (program
# folder, a library in the system folder, uninstall entry, App Paths, Start
# menu, shared-DLL counters, a file type, a COM server, user settings) is run
# silently under Wine in a prefix made by `wineboot -i`. Then, scanning every
# category with the default exclusions:
# - installed, nothing is found;
# - with its program folder gone, exactly its own entries are found;
# - moved to another folder, `fix --search 'C:\'` rewrites each of its entries
#   to the new place, and `wine regedit /S` of the backup puts them back;
# - after its own uninstaller, only the two system keys it made and emptied
#   are found, as empty keys.
# The 64-bit installer always; the 32-bit one too, in a copy of the fresh
# prefix, where this machine starts 32-bit Windows programs (Debian's wine32,
# which also makes the prefix a WoW64 one). Needs wine64, nsis, python3 and a
# build in build/ (or HW_CLI). Takes well under a minute per installer.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cli=${HW_CLI:-"$root/build/bin/hivewarden-cli"}
source "$root/scripts/common.sh"
source "$root/scripts/wine-common.sh"
command -v makensis >/dev/null || { echo "makensis is needed (Debian: nsis)" >&2; exit 2; }
command -v python3 >/dev/null || { echo "python3 is needed to compare the findings" >&2; exit 2; }

# Wine's menu builder would put the shortcuts and the file type into the
# home folder of whoever runs the check.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
start_fresh_prefix
wineserver -w
fresh=$WINEPREFIX
work=$(mktemp -d "${TMPDIR:-/tmp}/hw-installer-XXXXXX")
trap 'for p in "$fresh" "$work/x86"; do WINEPREFIX=$p wineserver -k 2>/dev/null || true; done
  rm -rf "$fresh" "$work"' EXIT

mkdir "$work/payload"
for file in sample.exe samplecore.dll samplert.dll sample.chm; do
  echo "$file of Sample App" >"$work/payload/$file"
done
nsi="$root/tests/assets/installer/sample.nsi"
makensis -V2 -DPAYLOAD="$work/payload" -DAMD64 -DOUTFILE="$work/setup-amd64.exe" "$nsi"
makensis -V2 -DPAYLOAD="$work/payload" -DOUTFILE="$work/setup-x86.exe" "$nsi"
x86=no
if hw_can_run_win32; then
  x86=yes
  cp -a "$fresh" "$work/x86"
fi

all=paths,empty,fonts,startmenu,apppaths,helpfiles,shareddlls,extensions
failed=0
fail() {
  echo "FAIL ($arch): $*" >&2
  failed=1
}

scan_all() {
  local status=0
  "$cli" scan --data-dir "$root/data" --prefix "$WINEPREFIX" --categories "$all" >"$1" || status=$?
  if [ "$status" -gt 1 ]; then
    echo "FAIL ($arch): hivewarden-cli scan ended with exit $status" >&2
    exit 1
  fi
}

# Compares the findings in $2 (JSON lines) with the rows expected in $3, one
# "category|key|value|bad path" a line, keys as found (a 32-bit program's in
# Wow6432Node where Wine keeps them). Prints what is missing and what is found
# besides.
same_findings() {
  python3 - "$2" "$3" "$1" <<'EOF' >&2
import collections, json, sys
found_file, expected_file, what = sys.argv[1:]
def row(d):
    return f'{d["category"]}|{d["key"]}|{d["value"]}|{d["badPath"]}'
found = collections.Counter(row(json.loads(line)) for line in open(found_file, encoding="utf-8") if line.strip())
expected = collections.Counter(line.rstrip("\n") for line in open(expected_file, encoding="utf-8") if line.strip())
missing, extra = expected - found, found - expected
for label, rows in (("not found", missing), ("found besides", extra)):
    # Empty keys last: a prefix may have hundreds.
    rows = sorted(rows.elements(), key=lambda r: (r.startswith("1|"), r))
    if rows:
        by_category = collections.Counter(int(r.split("|")[0]) for r in rows)
        print(f"  {what}: {len(rows)} {label} (by category: {dict(sorted(by_category.items()))}):")
        for r in rows[:15]:
            print("    " + r)
        if len(rows) > 15:
            print(f"    ... and {len(rows) - 15} more")
sys.exit(1 if missing or extra else 0)
EOF
}

# The value lines of the prefix's registry files that name $1 in their name or
# data, each as "file|key|line", sorted.
values_naming() {
  python3 - "$WINEPREFIX" "$1" <<'EOF'
import re, sys
prefix, needle = sys.argv[1], sys.argv[2].replace("\\", "\\\\").lower()
rows = []
for hive in ("system.reg", "user.reg"):
    key = None
    for line in open(f"{prefix}/{hive}", encoding="utf-8", errors="surrogateescape"):
        line = line.rstrip("\n")
        m = re.match(r"^\[(.*)\](?: \d+)?$", line)
        if m:
            key = m.group(1)
        elif key is not None and line[:1] in ('"', "@") and needle in line.lower():
            rows.append(f"{hive}|{key}|{line}")
print("\n".join(sorted(rows)))
EOF
}

# check_program ARCH LOADER SETUP INSTALL_DIR: installs, scans, moves, repairs
# and uninstalls the program in $WINEPREFIX.
check_program() {
  arch=$1
  local loader=$2 setup=$3 dir=$4
  local unix_dir="$WINEPREFIX/drive_c/${dir#C:\\}"
  unix_dir=${unix_dir//\\//}
  local moved='C:\Moved Apps\Sample App'
  local unix_moved="$WINEPREFIX/drive_c/Moved Apps/Sample App"
  local out="$work/$arch"-
  if ! "$loader" "$setup" /S; then
    fail "the installer ended with an error"
    return
  fi
  wineserver -w
  if [ ! -f "$unix_dir/sample.exe" ] || [ ! -f "$unix_dir/uninstall.exe" ]; then
    fail "the installer did not install into $dir"
    return
  fi

  : >"$out"none
  scan_all "$out"installed.jsonl
  if same_findings "installed" "$out"installed.jsonl "$out"none; then
    echo "ok ($arch): the installed program scans clean in every category"
  else
    fail "findings on the installed program"
  fi

  # Its program folder gone: each value naming the folder or a file in it is
  # found once, under the first root that reaches it (a category's own root
  # comes before the whole hive's); nothing of the system's.
  local hklm='[HKEY_LOCAL_MACHINE] Software' clsid='{6B1F0C2E-3D4A-4E8B-9C7D-2A5F1E0B8C31}'
  local cv="$hklm\\Microsoft\\Windows\\CurrentVersion"
  # A 32-bit program's keys: Wine 8 keeps its uninstall entry, counters, help
  # files and COM classes in the 32-bit view; its file types (as on Windows
  # since 7), App Paths and the user's settings are shared.
  local view='' classes="$hklm\\Classes"
  if [ "$arch" = x86 ]; then view="\\Wow6432Node" classes="$hklm\\Classes\\Wow6432Node"; fi
  local cv32="$hklm$view\\Microsoft\\Windows\\CurrentVersion" help32="$hklm$view\\Microsoft\\Windows\\Help"
  cat >"$out"expected <<EOF
0|[HKEY_CURRENT_USER] Software\\Sample Vendor\\Sample App|InstallDir|$dir
0|$classes\\CLSID\\$clsid\\InprocServer32||$dir\\samplecore.dll
0|$hklm\\Classes\\SampleApp.Document\\DefaultIcon||$dir\\sample.exe
0|$hklm\\Classes\\SampleApp.Document\\shell\\open\\command||$dir\\sample.exe
0|$cv32\\Uninstall\\SampleApp|DisplayIcon|$dir\\sample.exe
0|$cv32\\Uninstall\\SampleApp|InstallLocation|$dir
0|$cv32\\Uninstall\\SampleApp|UninstallString|$dir\\uninstall.exe
4|$cv\\App Paths\\sample.exe||$dir\\sample.exe
4|$cv\\App Paths\\sample.exe|Path|$dir
5|$help32|sample.chm|$dir
6|$cv32\\SharedDLLs|$dir\\samplecore.dll|$dir\\samplecore.dll
EOF
  mv "$unix_dir" "$work/stash"
  scan_all "$out"deleted.jsonl
  mv "$work/stash" "$unix_dir"
  if same_findings "folder deleted" "$out"deleted.jsonl "$out"expected; then
    echo "ok ($arch): with its folder deleted, exactly its $(wc -l <"$out"expected) entries are found"
  else
    fail "with its folder deleted, the findings are not exactly its entries"
  fi

  # Moved: every value naming the old place names the new one, nothing else
  # changes in them; the backup undoes it.
  local before after
  before=$(values_naming "$dir")
  mkdir -p "$(dirname "$unix_moved")"
  mv "$unix_dir" "$unix_moved"
  if ! "$cli" fix --data-dir "$root/data" --prefix "$WINEPREFIX" --search 'C:\' \
    --backup "$out"backup.reg >"$out"fix.out; then
    fail "hivewarden-cli fix ended with an error"
    return
  fi
  local old=${dir//\\/\\\\} new=${moved//\\/\\\\}
  after=$(values_naming "$moved")
  if [ "$after" != "${before//"$old"/"$new"}" ] || [ -n "$(values_naming "$dir")" ]; then
    fail "fix --search did not rewrite each entry to the new place:"
    diff <(echo "${before//"$old"/"$new"}") <(echo "$after") >&2 || true
    values_naming "$dir" >&2
  else
    echo "ok ($arch): moved, fix --search rewrote its $(grep -c . <<<"$before") values to the new place"
  fi
  "$wine" regedit /S "$(winepath_of "$out"backup.reg)"
  wineserver -w
  if [ "$(values_naming "$dir")" != "$before" ] || [ -n "$(values_naming "$moved")" ]; then
    fail "wine regedit /S of the backup did not bring the old values back:"
    diff <(echo "$before") <(values_naming "$dir") >&2 || true
  else
    echo "ok ($arch): wine regedit /S of the backup brought the old values back"
  fi
  mv "$unix_moved" "$unix_dir"

  if ! "$loader" "$dir\\uninstall.exe" /S; then
    fail "the uninstaller ended with an error"
    return
  fi
  wineserver -w
  if [ -e "$unix_dir" ]; then
    fail "the uninstaller left $dir"
    return
  fi
  # SharedDLLs and Help did not exist in the fresh prefix; the installer made
  # them and its uninstaller removed its values from them.
  printf '%s\n' "1|$cv32\\SharedDLLs||" "1|$help32||" >"$out"expected
  scan_all "$out"uninstalled.jsonl
  if same_findings "uninstalled" "$out"uninstalled.jsonl "$out"expected; then
    echo "ok ($arch): after its uninstaller only the two keys it emptied are found"
  else
    fail "findings after the uninstaller"
  fi
}

# A host file's Windows name through the prefix's Z: drive.
winepath_of() {
  local path
  path=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  echo "Z:${path//\//\\}"
}

check_program amd64 "$wine" "$work/setup-amd64.exe" 'C:\Program Files\Sample Vendor\Sample App'
if [ "$x86" = yes ]; then
  WINEPREFIX="$work/x86"
  check_program x86 /usr/lib/wine/wine "$work/setup-x86.exe" \
    'C:\Program Files (x86)\Sample Vendor\Sample App'
else
  echo "SKIPPED: the 32-bit installer (built, not run): this machine does not start 32-bit" \
    "Windows programs (wine32 missing, or the kernel refuses 32-bit programs)"
fi
exit "$failed"
