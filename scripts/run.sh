#!/usr/bin/env bash
# Installs what is missing, builds, and opens the window on a Wine prefix:
# $WINEPREFIX, else ~/.wine, else the demo prefix the build makes, where Start
# scans, Next picks, and "Fix it!" writes a backup and repairs. Without a
# display it runs the command-line scan of the same prefix instead; arguments
# go to `hivewarden-cli scan` then (e.g. --categories paths,empty).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

hw_install_packages
hw_build >&2

prefix=${WINEPREFIX:-$HOME/.wine}
if [ ! -f "$prefix/system.reg" ]; then
  echo "No Wine prefix at $prefix; using the demo prefix $HW_BUILD/demo-prefix instead." >&2
  echo "Repairs change it; delete that folder and run again for a fresh one." >&2
  prefix="$HW_BUILD/demo-prefix"
  # The build makes it when it is missing.
  [ -f "$prefix/system.reg" ] || cmake --build "$HW_BUILD" --target demo-prefix >&2
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$HW_BUILD/bin/hivewarden" ]; then
  WINEPREFIX="$prefix" exec "$HW_BUILD/bin/hivewarden"
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set); running the command-line scan instead." >&2
else
  echo "The window was not built (Qt 6 missing); running the command-line scan instead." >&2
fi
status=0
"$HW_BUILD/bin/hivewarden-cli" scan --prefix "$prefix" "$@" || status=$?
# 1 means entries were found, which is what a scan is for.
[ "$status" -le 1 ] && exit 0
exit "$status"
