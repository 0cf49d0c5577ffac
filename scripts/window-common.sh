# shellcheck shell=bash disable=SC2154  # the check sets check, shots, work and timeout
# Sourced by the checks that drive a real window on Xvfb with xdotool. The
# check sets $check (its name in messages), $shots and $work (its folders)
# and $timeout (the bound of every wait) first.

fail() {
  echo "$check: $*" >&2
  [ -z "${DISPLAY:-}" ] || import -window root "$shots/failure.png" 2>/dev/null || true
  echo "$check: the screen at that moment: $shots/failure.png" >&2
  exit 1
}

require_window_tools() {
  local tool
  for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (xvfb, xdotool, imagemagick)" >&2; exit 2; }
  done
}

# Polls a command every tenth of a second until it succeeds, for at most
# $timeout seconds.
wait_for() {
  local what=$1
  shift
  local deadline=$((SECONDS + timeout))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || fail "waited ${timeout}s for $what"
    sleep 0.1
  done
}

# Starts Xvfb on a free display (its number written once it accepts clients),
# sets xvfb_pid for the check's cleanup and exports DISPLAY.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  wait_for "Xvfb" display_ready
  DISPLAY=":$(head -n1 "$work/display")"
  export DISPLAY
}
display_ready() { [ -s "$work/display" ] || { kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start"; false; }; }

# The main window's place ($main, found by the check), and what the checks
# read from pictures of it; $next_icon is the region of the Next button's icon.
screen_of_window() {
  eval "$(xdotool getwindowgeometry --shell "$main")"  # X Y WIDTH HEIGHT
  win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
  screen="$work/screen.png"
}
grab() { import -window root -crop "${win_w}x${win_h}+${win_x}+${win_y}" +repage "$screen"; }
# Mean of one colour channel minus another over a region of the window.
tint() { convert "$screen" -crop "$1" +repage -format "%[fx:mean.$2-mean.$3]" info:; }
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
# Welcome and Fix it! show the honey-coloured side picture; the results page a white list.
side_picture() { grab && above "$(tint 100x100+20+150 r b)" 0.3; }
results_ready() { grab && ! above "$(tint 100x100+20+150 r b)" 0.3 && above "$(tint "$next_icon" b r)" 0.05; }
shot() { grab && cp "$screen" "$shots/$1.png"; }
click() { xdotool mousemove --window "$main" "$1" "$2" click 1; }
