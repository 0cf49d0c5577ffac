#!/usr/bin/env bash
# Drives the installed window under a real X server as a person would: starts
# `hivewarden` from the package root that scripts/check-install.sh unpacked
# (build/package-root/, or $HW_INSTALL_ROOT) by its desktop entry's command,
# under Xvfb on a copy of the demo prefix; ticks "Invalid fonts" besides
# "Invalid paths", clicks Start, unticks and ticks again a found entry, clicks
# Next and "Fix it!", answers "Append" to the question about today's existing
# backup and OK to the result. Then checks the prefix: the stale entries of
# both categories are gone, and the backup in $XDG_DATA_HOME/hivewarden/Backups/
# holds each of them above the older backup it was appended to. Pictures of
# the pages go to build/window-shots/. Needs xvfb, xdotool and imagemagick;
# every wait is bounded, and Xvfb and the program are ended on every way out.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${HW_BUILD:-$root/build}" && pwd)
install_root=${HW_INSTALL_ROOT:-$build/package-root}
app="$install_root/usr/bin/hivewarden"
cli="$install_root/usr/bin/hivewarden-cli"
shots="$build/window-shots"
work="$build/window-check"
timeout=${HW_WINDOW_TIMEOUT:-30}

check=check-window-xvfb
source "$root/scripts/window-common.sh"

[ -x "$app" ] || { echo "no installed hivewarden at $app: run scripts/check-install.sh first" >&2; exit 2; }
require_window_tools

rm -rf "$shots" "$work"
mkdir -p "$shots" "$work"
demo="$build/demo-prefix"
[ -f "$demo/system.reg" ] || cmake --build "$build" --target demo-prefix >/dev/null
prefix="$work/prefix"
cp -a "$demo" "$prefix"
export WINEPREFIX="$prefix" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8 TZ=UTC
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM

# The stale entries the two categories find, before the window touches them.
categories=paths,fonts
status=0
"$cli" scan --prefix "$prefix" --categories "$categories" >"$work/before.jsonl" || status=$?
[ "$status" -eq 1 ] || fail "the demo prefix has no stale entries to repair (scan status $status)"
grep -q '"category":2' "$work/before.jsonl" || fail "the demo prefix has no stale font entry"

# An older backup of today, as a person who repaired earlier today has one:
# the window asks whether to append to it.
backups="$XDG_DATA_HOME/hivewarden/Backups"
mkdir -p "$backups"
backup="$backups/$(date +%Y_%m_%d).reg"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Earlier Repair]\r\n"Kept"="yes"\r\n\r\n' >"$backup"

xvfb_pid='' app_pid=''
cleanup() {
  [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  { [ -z "$app_pid" ] || wait "$app_pid" || true; } 2>/dev/null
  { [ -z "$xvfb_pid" ] || wait "$xvfb_pid" || true; } 2>/dev/null
}
trap cleanup EXIT

start_xvfb

# Started as the menu starts it: the desktop entry's command, found on PATH.
entries=("$install_root"/usr/share/applications/*.desktop)
command_line=$(sed -n 's/^Exec=//p' "${entries[0]}")
if [ -z "$command_line" ] || [[ "$command_line" == *%* ]]; then fail "unexpected Exec line: $command_line"; fi
# shellcheck disable=SC2086  # the Exec line is split into words as the menu splits it
PATH="$install_root/usr/bin:$PATH" $command_line >"$work/app.log" 2>&1 &
app_pid=$!

# The program's visible top-level windows, the main window first.
windows() { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null || true; }
main=
main_shown() {
  kill -0 "$app_pid" 2>/dev/null || fail "hivewarden ended at start: $(cat "$work/app.log")"
  main=$(windows | head -n1)
  [ -n "$main" ]
}
wait_for "the window" main_shown
[ "$(readlink "/proc/$app_pid/exe")" = "$app" ] || fail "the desktop entry started $(readlink "/proc/$app_pid/exe"), not $app"
screen_of_window

# The window's layout (app/FormPages.cpp): the button panel of 35 pixels
# above the 19-pixel status bar, 90-pixel buttons 10 apart from x 8; the side
# picture of Welcome and Fix it! is the left 160 pixels.
button_y=$((win_h - 19 - 35 + 17))
first_button_x=$((8 + 45))  # Start on Welcome (Back is hidden there)
next_x=$((108 + 45))        # Next, and "Fix it!" on the last page
cancel_x=$((208 + 45))
next_icon="20x16+124+$((win_h - 19 - 35 + 8))"  # the glyph of Next: blue when enabled
fonts_box=(181 252)         # "Invalid fonts" on Welcome, below the prefix chooser
first_row_box=(159 72)      # the check box of the first found entry
# Two points of that box farther apart than Qt's double-click distance (5
# pixels on each axis), so that a quick second click is not a double click.
first_row_box_a=(156 69) first_row_box_b=(163 76)

box_ticked() { grab && above 0.92 "$(convert "$screen" -crop "10x10+$(($1 - 5))+$(($2 - 5))" +repage -format '%[fx:mean]' info:)"; }
box_empty() { ! box_ticked "$@"; }
# A dialog: a visible window of the program other than those named.
dialog=
dialog_shown() {
  dialog=$(windows | grep -vxF -e "$main" ${1:+-e "$1"} | head -n1 || true)
  [ -n "$dialog" ]
}
dialog_gone() { ! windows | grep -qxF "$1"; }
answer() {  # presses a key in the dialog; the default button is the first
  xdotool windowfocus --sync "$dialog" key "$1"
}
shot_with_dialog() { import -window root "$shots/$1.png"; }

wait_for "Welcome to be painted" side_picture
shot 1-welcome
click "${fonts_box[@]}"
wait_for "Invalid fonts to be ticked" box_ticked "${fonts_box[@]}"
shot 2-welcome-ticked
click "$first_button_x" "$button_y"
wait_for "the scan to end with Next enabled" results_ready
shot 3-found-entries
click "${first_row_box_a[@]}"
wait_for "the first entry to be unticked" box_empty "${first_row_box[@]}"
click "${first_row_box_b[@]}"
wait_for "the first entry to be ticked again" box_ticked "${first_row_box[@]}"
click "$next_x" "$button_y"
wait_for "the Fix it! page" side_picture
shot 4-fix-it
click "$next_x" "$button_y"
wait_for "the question about the existing backup" dialog_shown
question=$dialog
shot_with_dialog 5-backup-exists
answer Return  # Append
wait_for "the question to close" dialog_gone "$question"
wait_for "the result of the repair" dialog_shown "$question"
shot_with_dialog 6-repaired
answer Return  # OK
wait_for "the result to close" dialog_gone "$dialog"
shot 7-after-repair
click "$cancel_x" "$button_y"
app_ended() { ! kill -0 "$app_pid" 2>/dev/null; }
wait_for "the program to end after Cancel" app_ended
status=0
wait "$app_pid" || status=$?
app_pid=
[ "$status" -eq 0 ] || fail "hivewarden ended with status $status: $(cat "$work/app.log")"

# The prefix: none of the stale entries of the two categories is left.
status=0
"$cli" scan --prefix "$prefix" --categories "$categories" >"$work/after.jsonl" || status=$?
[ "$status" -eq 0 ] || fail "stale entries are left after Fix it!: $(head -3 "$work/after.jsonl")"
# The backup: every repaired entry's key, the new blocks above the older one.
[ -f "$backup" ] || fail "no backup at $backup"
head -c 8 "$backup" | grep -q REGEDIT4 || fail "the backup does not start with REGEDIT4"
# In a Wine prefix HKEY_USERS\S-1-5-21-...-1000 is HKEY_CURRENT_USER: an entry
# found below both is backed up once, under the root repaired first.
same_user='s/^\[HKEY_USERS\\S-1-5-21-[0-9-]*\\/[HKEY_CURRENT_USER\\/'
sed -n 's/^{"category":[0-9]*,"key":"\[\([A-Z_]*\)\] \(.*\)","value":.*/[\1\\\2]/p' "$work/before.jsonl" |
  sed -e 's/\\\\/\\/g' -e "$same_user" | sort -u >"$work/keys.txt"
[ -s "$work/keys.txt" ] || fail "no keys read from the scan"
tr -d '\r' <"$backup" | sed "$same_user" >"$work/backup.txt"
while IFS= read -r key; do
  grep -qxF "$key" "$work/backup.txt" || fail "the backup lacks $key"
done <"$work/keys.txt"
old_line=$(grep -nxF '[HKEY_CURRENT_USER\Software\Earlier Repair]' "$work/backup.txt" | cut -d: -f1)
[ -n "$old_line" ] || fail "appending lost the older backup"
first_new=$(grep -nxF -f "$work/keys.txt" "$work/backup.txt" | head -n1 | cut -d: -f1)
[ "$first_new" -lt "$old_line" ] || fail "the new backup does not come before the older one"
[ -z "$(find "$install_root" -name Backups)" ] || fail "a backup folder was made among the installed files"

echo "The installed window under Xvfb repaired $(wc -l <"$work/before.jsonl") stale entries of $prefix," \
  "appended its backup to $backup; pictures in $shots."
