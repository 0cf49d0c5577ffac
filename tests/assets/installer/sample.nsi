; A small program's installer as real ones are written, built by the checks
; against real Wine with Debian's makensis:
;   makensis -DPAYLOAD=<folder with sample.exe, samplecore.dll, samplert.dll,
;            sample.chm> [-DAMD64] -DOUTFILE=<installer.exe> sample.nsi
; It leaves a trace in each place the scan looks at, and its uninstaller
; removes every one of them.
Unicode true
!include LogicLib.nsh
SetCompressor /SOLID zlib
RequestExecutionLevel admin
!ifdef AMD64
  Target amd64-unicode
  InstallDir "$PROGRAMFILES64\Sample Vendor\Sample App"
!else
  InstallDir "$PROGRAMFILES\Sample Vendor\Sample App"
!endif
Name "Sample App"
OutFile "${OUTFILE}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\SampleApp"
!define APP_PATHS_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\sample.exe"
!define SHARED_DLLS_KEY "Software\Microsoft\Windows\CurrentVersion\SharedDLLs"
!define HELP_KEY "Software\Microsoft\Windows\Help"
!define CLSID "{6B1F0C2E-3D4A-4E8B-9C7D-2A5F1E0B8C31}"
!define SETTINGS_KEY "Software\Sample Vendor\Sample App"

Function .onInit
!ifdef AMD64
  SetRegView 64
!endif
  SetShellVarContext all
FunctionEnd

Function un.onInit
!ifdef AMD64
  SetRegView 64
!endif
  SetShellVarContext all
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "${PAYLOAD}\sample.exe"
  File "${PAYLOAD}\samplecore.dll"
  File "${PAYLOAD}\sample.chm"
  SetOutPath "$SYSDIR"
  File "${PAYLOAD}\samplert.dll"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Shared libraries count their users.
  ReadRegDWORD $0 HKLM "${SHARED_DLLS_KEY}" "$INSTDIR\samplecore.dll"
  IntOp $0 $0 + 1
  WriteRegDWORD HKLM "${SHARED_DLLS_KEY}" "$INSTDIR\samplecore.dll" $0
  ReadRegDWORD $0 HKLM "${SHARED_DLLS_KEY}" "$SYSDIR\samplert.dll"
  IntOp $0 $0 + 1
  WriteRegDWORD HKLM "${SHARED_DLLS_KEY}" "$SYSDIR\samplert.dll" $0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Sample App"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Sample Vendor"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\sample.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1

  WriteRegStr HKLM "${APP_PATHS_KEY}" "" "$INSTDIR\sample.exe"
  WriteRegStr HKLM "${APP_PATHS_KEY}" "Path" "$INSTDIR"
  WriteRegStr HKLM "${HELP_KEY}" "sample.chm" "$INSTDIR"

  CreateDirectory "$SMPROGRAMS\Sample App"
  CreateShortcut "$SMPROGRAMS\Sample App\Sample App.lnk" "$INSTDIR\sample.exe"
  CreateShortcut "$SMPROGRAMS\Sample App\Uninstall Sample App.lnk" "$INSTDIR\uninstall.exe"

  ; Documents of its own type open in it.
  WriteRegStr HKCR ".sampledoc" "" "SampleApp.Document"
  WriteRegStr HKCR "SampleApp.Document" "" "Sample App Document"
  WriteRegStr HKCR "SampleApp.Document\DefaultIcon" "" "$INSTDIR\sample.exe,1"
  WriteRegStr HKCR "SampleApp.Document\shell\open\command" "" '"$INSTDIR\sample.exe" "%1"'

  ; Its COM server.
  WriteRegStr HKCR "CLSID\${CLSID}" "" "Sample App Document Handler"
  WriteRegStr HKCR "CLSID\${CLSID}\InprocServer32" "" "$INSTDIR\samplecore.dll"
  WriteRegStr HKCR "CLSID\${CLSID}\InprocServer32" "ThreadingModel" "Apartment"
  WriteRegStr HKCR "CLSID\${CLSID}\ProgID" "" "SampleApp.Document"

  ; The user's settings.
  WriteRegStr HKCU "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${SETTINGS_KEY}" "Runtime" "$SYSDIR\samplert.dll"
  WriteRegDWORD HKCU "${SETTINGS_KEY}" "WindowWidth" 800
SectionEnd

Section "Uninstall"
  ReadRegDWORD $0 HKLM "${SHARED_DLLS_KEY}" "$INSTDIR\samplecore.dll"
  IntOp $0 $0 - 1
  ${If} $0 > 0
    WriteRegDWORD HKLM "${SHARED_DLLS_KEY}" "$INSTDIR\samplecore.dll" $0
  ${Else}
    DeleteRegValue HKLM "${SHARED_DLLS_KEY}" "$INSTDIR\samplecore.dll"
  ${EndIf}
  ReadRegDWORD $0 HKLM "${SHARED_DLLS_KEY}" "$SYSDIR\samplert.dll"
  IntOp $0 $0 - 1
  ${If} $0 > 0
    WriteRegDWORD HKLM "${SHARED_DLLS_KEY}" "$SYSDIR\samplert.dll" $0
  ${Else}
    DeleteRegValue HKLM "${SHARED_DLLS_KEY}" "$SYSDIR\samplert.dll"
    Delete "$SYSDIR\samplert.dll"
  ${EndIf}

  Delete "$INSTDIR\sample.exe"
  Delete "$INSTDIR\samplecore.dll"
  Delete "$INSTDIR\sample.chm"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.."

  Delete "$SMPROGRAMS\Sample App\Sample App.lnk"
  Delete "$SMPROGRAMS\Sample App\Uninstall Sample App.lnk"
  RMDir "$SMPROGRAMS\Sample App"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${APP_PATHS_KEY}"
  DeleteRegValue HKLM "${HELP_KEY}" "sample.chm"
  DeleteRegKey HKCR ".sampledoc"
  DeleteRegKey HKCR "SampleApp.Document"
  DeleteRegKey HKCR "CLSID\${CLSID}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Sample Vendor"
SectionEnd
