#!/usr/bin/env bash
# Drives hivewarden.exe, the Windows build's window, under Wine on Xvfb as a
# person would: in a fresh prefix with stale entries planted by `wine reg
# add`, clicks Start, Next and "Fix it!" with the backup on (in the program
# folder's Backups), answers OK to the result and Cancel. Then
# hivewarden-cli.exe must find none of the stale entries, and `wine regedit /S`
# of the backup must bring back every planted key as `wine reg query` showed
# it before. Pictures go to build-win64/window-shots/. Needs wine64, xvfb,
# xdotool, ImageMagick and build-win64/bin/hivewarden.exe (or HW_WIN64_BUILD);
# every wait is bounded (HW_WINDOW_TIMEOUT, default 60 s), and Xvfb and Wine
# are ended on every way out.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${HW_WIN64_BUILD:-$root/build-win64}" && pwd)
shots="$build/window-shots"
work="$build/window-check"
timeout=${HW_WINDOW_TIMEOUT:-60}

check=check-windows-window
source "$root/scripts/window-common.sh"

[ -f "$build/bin/hivewarden.exe" ] || { echo "no $build/bin/hivewarden.exe: build the window first" >&2; exit 2; }
require_window_tools
rm -rf "$shots" "$work"
mkdir -p "$shots" "$work"

# The program as it ships: the executable with its data files, in a folder
# of its own, so that its Backups folder is made there.
program="$work/program"
mkdir -p "$program"
cp "$build/bin/hivewarden.exe" "$build/bin/hivewarden-cli.exe" "$build"/bin/*.lng "$build"/bin/*.def "$program"/
cp -r "$build/bin/help" "$build/bin/images" "$program"/

xvfb_pid='' app_pid=''
cleanup() {
  [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
  [ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  { [ -z "$app_pid" ] || wait "$app_pid" || true; } 2>/dev/null
  { [ -z "$xvfb_pid" ] || wait "$xvfb_pid" || true; } 2>/dev/null
  [ -z "${WINEPREFIX:-}" ] || [ -n "${HW_KEEP:-}" ] || rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# The display first: Wine's desktop takes the display of the prefix's first
# program (wineboot).
start_xvfb
export LANG=C.UTF-8 TZ=UTC
unset QT_QPA_PLATFORM

# A fresh prefix as start_fresh_prefix makes one, removed by cleanup (whose
# trap also ends Xvfb, should wineboot fail).
source "$root/scripts/wine-common.sh"
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || { echo "wine64 is not installed" >&2; exit 2; }
export WINEPREFIX WINEDEBUG=-all
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/hw-wine-window-XXXXXX")
"$wine" wineboot -i >/dev/null 2>&1
plant_stale_entries "$wine"
# Without a window manager Wine waits 2 s for one at each window hidden,
# unless it manages the windows itself.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
cli() { "$wine" "$program/hivewarden-cli.exe" "$@" | tr -d '\r'; }

# What the window's default category, Invalid paths, finds, and the keys
# those entries are in, as Wine's own editor lists them.
categories=paths
status=0
cli scan --categories "$categories" >"$work/before.jsonl" || status=$?
[ "$status" -eq 1 ] || fail "the planted prefix has no stale paths to repair (scan status $status)"
sed -n 's/^{"category":[0-9]*,"key":"\[\([A-Z_]*\)\] \(.*\)","value":.*/\1\\\2/p' "$work/before.jsonl" |
  sed 's/\\\\/\\/g' | sort -u >"$work/keys.txt"
[ -s "$work/keys.txt" ] || fail "no keys read from the scan"
query_all() {
  local key
  while IFS= read -r key; do
    echo "== $key"
    "$wine" reg query "$key" /s 2>/dev/null | tr -d '\r' || echo "(missing)"
  done <"$work/keys.txt"
}
query_all >"$work/keys-before.txt"

"$wine" "$program/hivewarden.exe" >"$work/app.log" 2>&1 &
app_pid=$!

# Wine maps each top-level window to an X window named by its title.
main=
main_shown() {
  kill -0 "$app_pid" 2>/dev/null || fail "hivewarden.exe ended at start: $(cat "$work/app.log")"
  main=$(xdotool search --onlyvisible --name '^Hivewarden' 2>/dev/null | head -n1 || true)
  [ -n "$main" ]
}
wait_for "the window" main_shown
screen_of_window

# The window's layout (app/FormPages.cpp): the button panel of 35 pixels
# above the 19-pixel status bar, 90-pixel buttons 10 apart from x 8.
button_y=$((win_h - 19 - 35 + 17))
start_x=$((8 + 45))
next_x=$((108 + 45))
cancel_x=$((208 + 45))
next_icon="20x16+124+$((win_h - 19 - 35 + 8))"

scan_running() { grab && ! above "$(tint 100x100+20+150 r b)" 0.3 && ! above "$(tint "$next_icon" b r)" 0.05; }
shot_screen() { import -window root "$shots/$1.png"; }
# A dialog: a visible window other than the main one.
dialog=
dialog_shown() {
  dialog=$(xdotool search --onlyvisible --name '.' 2>/dev/null | grep -vxF "$main" | head -n1 || true)
  [ -n "$dialog" ]
}
dialog_gone() { ! xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qxF "$1"; }

wait_for "Welcome to be painted" side_picture
shot 1-welcome
click "$start_x" "$button_y"
# The results page shows Next enabled for a moment before the scan starts
# (a scan under Wine takes half a minute): the scan must be seen running first.
wait_for "the scan to start" scan_running
wait_for "the scan to end with Next enabled" results_ready
shot 2-found-entries
click "$next_x" "$button_y"
wait_for "the Fix it! page" side_picture
shot 3-fix-it
click "$next_x" "$button_y"
wait_for "the result of the repair" dialog_shown
shot_screen 4-repaired
xdotool windowfocus --sync "$dialog" key Return  # OK
wait_for "the result to close" dialog_gone "$dialog"
shot 5-after-repair
click "$cancel_x" "$button_y"
app_ended() { ! kill -0 "$app_pid" 2>/dev/null; }
wait_for "the program to end after Cancel" app_ended
status=0
wait "$app_pid" || status=$?
app_pid=
[ "$status" -eq 0 ] || fail "hivewarden.exe ended with status $status: $(cat "$work/app.log")"

# The registry: none of the stale entries is left.
status=0
cli scan --categories "$categories" >"$work/after.jsonl" || status=$?
[ "$status" -eq 0 ] || fail "stale entries are left after Fix it!: $(head -3 "$work/after.jsonl")"
# The backup in the program folder's Backups, and what it restores.
backup="$program/Backups/$(date +%Y_%m_%d).reg"
[ -f "$backup" ] || fail "no backup at $backup: $(ls -R "$program" | head -20)"
head -c 8 "$backup" | grep -q REGEDIT4 || fail "the backup does not start with REGEDIT4"
query_all >"$work/keys-repaired.txt"
cmp -s "$work/keys-before.txt" "$work/keys-repaired.txt" && fail "the repair changed none of the keys"
"$wine" regedit /S "Z:$(echo "$backup" | tr / '\\')"
query_all >"$work/keys-restored.txt"
diff -u "$work/keys-before.txt" "$work/keys-restored.txt" >&2 ||
  fail "the backup did not restore every value: - before the repair, + after the restore"
status=0
cli scan --categories "$categories" >"$work/restored.jsonl" || status=$?
# The same entries again; only the keys' dates of change differ.
undated() { sed 's/,"keyDate":"[^"]*"//' "$1"; }
diff -u <(undated "$work/before.jsonl") <(undated "$work/restored.jsonl") >&2 ||
  fail "the restored registry reports otherwise"

echo "hivewarden.exe under Wine repaired $(wc -l <"$work/before.jsonl") stale entries in" \
  "$(wc -l <"$work/keys.txt") keys, backed up to its Backups folder; regedit restored them all." \
  "Pictures in $shots."
