; The Windows installer, zerva-<version>-win64-setup.exe (`make windows-package`).
; scripts/windows-package passes VERSION, STAGE (the folder of files to
; install), FILES (File and Delete lines for them), ICON and OUTFILE.
;
; A per-user install: no administrator rights, Zerva in the user's own
; programs folder, a Start-menu shortcut that starts it in the user's profile
; folder (the trusted list, kvr.conf, lives in the working folder; Program
; Files is no place for it). /S installs and uninstalls silently.

Unicode true
; A 64-bit installer: the default 32-bit stub does not start where only
; 64-bit Windows programs run (Debian's Wine, for one).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zerva"

Name "Zerva ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\Zerva"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Zerva"
VIAddVersionKey /LANG=0 "FileDescription" "Zerva ${VERSION} kurulumu"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "The Zerva developers"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 The Zerva developers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Zerva"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  !define ZERVA_INSTALL
  !include "${FILES}"
  !undef ZERVA_INSTALL
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut's working folder is the output path when it is made.
  SetOutPath "$PROFILE"
  CreateShortcut "$SMPROGRAMS\Zerva.lnk" "$INSTDIR\zerva.exe" "" "$INSTDIR\zerva.exe" 0
  SetOutPath "$INSTDIR"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Zerva"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Zerva developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zerva.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly the files the installer wrote, never a whole folder that
; the user may have pointed somewhere else; kvr.conf is the user's and stays.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Zerva.lnk"
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\platforms"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
