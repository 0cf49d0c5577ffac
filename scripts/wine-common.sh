# Sourced by the checks against real Wine.

# Sets `wine` to the wine64 loader and makes a fresh prefix with `wineboot -i`
# in a new temporary WINEPREFIX, removed when the script exits.
start_fresh_prefix() {
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
  [ -x "$wine" ] || { echo "wine64 is not installed" >&2; exit 2; }
  export WINEPREFIX WINEDEBUG=-all
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/hw-wine-XXXXXX")
  trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
  "$wine" wineboot -i >/dev/null 2>&1
}

# The start of the checks that compare registry files: without wine64 says
# that $1 is skipped and exits 0; needs python3; then makes a fresh prefix
# (named after $2, kept with HW_KEEP) and waits until wineserver saved it.
start_prefix_or_skip() {
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
  if [ ! -x "$wine" ]; then
    echo "wine64 is not installed: skipping $1"
    exit 0
  fi
  command -v python3 >/dev/null || { echo "python3 is needed to compare the registry files" >&2; exit 2; }
  export WINEPREFIX WINEDEBUG=-all
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/hw-wine-$2-XXXXXX")
  trap 'wineserver -k 2>/dev/null || true; [ -n "${HW_KEEP:-}" ] || rm -rf "$WINEPREFIX"' EXIT
  "$wine" wineboot -i >/dev/null 2>&1
  wineserver -w
}

# Plants one stale entry of every category (and entries that must not be
# reported) in $WINEPREFIX with `wine reg add`; $1 is the wine loader.
plant_stale_entries() {
  local wine=$1
  local cv='HKLM\Software\Microsoft\Windows\CurrentVersion'
  add() { "$wine" reg add "$@" /f >/dev/null; }
  add 'HKCU\Software\Stale\App' /v InstallDir /d 'C:\Program Files\Stale App'
  add 'HKLM\Software\Microsoft\DirectMusic' /v OtherPath /d 'C:\gone\x.dls'
  add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'Stale (TrueType)' /d stale.ttf
  add "$cv\\App Paths\\stale.exe" /ve /d 'C:\Program Files\Stale App\stale.exe'
  add "$cv\\App Paths\\nopath.exe" /v Flags /t REG_DWORD /d 1
  add 'HKLM\Software\Microsoft\Windows\Help' /v stale.hlp /d 'C:\Program Files\Stale Help'
  add "$cv\\SharedDLLs" /v 'C:\Program Files\Stale App\stale.dll' /t REG_DWORD /d 1
  add "$cv\\SharedDLLs" /v 'C:\windows\system32\kernel32.dll' /t REG_DWORD /d 0
  add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\MenuOrder\Start Menu\Programs\Stale Folder' \
    /v Order /t REG_BINARY /d 08000000
  add 'HKCU\Software\Stale\Good' /v Exe /d 'C:\windows\notepad.exe'
  add 'HKCR\.foo' /ve /d stalefoofile
  add 'HKCR\.txt\ShellNew' /v NullFile /d ''
}
