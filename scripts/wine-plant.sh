# Sourced by the checks against real Wine: plants one stale entry of every
# category (and entries that must not be reported) in $WINEPREFIX with
# `wine reg add`; $1 is the wine loader.
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
