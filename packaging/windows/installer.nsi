; The Windows installer of Quorvadellix, built by scripts/build-windows.sh with
; makensis. It installs for the current user alone, without administrator
; rights, into %LOCALAPPDATA%\Programs\Quorvadellix: the game, its pictures,
; HOW-TO-PLAY.txt and the licence texts; a Start menu shortcut that runs the
; game in a console window in that folder (where it finds its pictures); and
; an uninstaller, registered where Settings lists the installed apps.
; Installing over an installed copy replaces it in its folder. /S installs
; and uninstalls without a question.
;
; Defines given by the build script:
;   QV_VERSION   the game's version, as MAJOR.MINOR
;   QV_STAGE     the folder with the files to install
;   QV_ICON      the game's icon (.ico)
;   QV_OUTPUT    the installer to write

!include FileFunc.nsh

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestSupportedOS all

!define QV_NAME "Quorvadellix"
!define QV_PUBLISHER "Quorvadellix developers"
!define QV_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvadellix"
!define QV_SHORTCUT "$SMPROGRAMS\Quorvadellix.lnk"

Name "${QV_NAME} ${QV_VERSION}"
OutFile "${QV_OUTPUT}"
Icon "${QV_ICON}"
UninstallIcon "${QV_ICON}"
InstallDir "$LOCALAPPDATA\Programs\Quorvadellix"
; An installed copy is replaced where it is.
InstallDirRegKey HKCU "${QV_UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${QV_VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${QV_NAME}"
VIAddVersionKey /LANG=1033 "CompanyName" "${QV_PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${QV_NAME} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${QV_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${QV_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright 2004 Pelvannorth and Quillobranthexa"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Quorvadellix"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${QV_STAGE}/quorvadellix.exe"
  File "${QV_STAGE}/space_image.jpg"
  File "${QV_STAGE}/space_image_welcome.jpg"
  File "${QV_STAGE}/HOW-TO-PLAY.txt"
  File "${QV_STAGE}/COPYRIGHT.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut's working folder is the output path: the installation.
  CreateShortCut "${QV_SHORTCUT}" "$INSTDIR\quorvadellix.exe" "" "$INSTDIR\quorvadellix.exe" 0

  WriteRegStr HKCU "${QV_UNINSTALL_KEY}" "DisplayName" "${QV_NAME}"
  WriteRegStr HKCU "${QV_UNINSTALL_KEY}" "DisplayVersion" "${QV_VERSION}"
  WriteRegStr HKCU "${QV_UNINSTALL_KEY}" "Publisher" "${QV_PUBLISHER}"
  WriteRegStr HKCU "${QV_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quorvadellix.exe,0"
  WriteRegStr HKCU "${QV_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${QV_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${QV_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; The size Settings shows, in KiB: what the folder holds now.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${QV_UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${QV_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${QV_UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly what the installer put there; a folder the player filled
; with files of their own stays, with them.
Section "Uninstall"
  SetShellVarContext current
  Delete "${QV_SHORTCUT}"
  Delete "$INSTDIR\quorvadellix.exe"
  Delete "$INSTDIR\space_image.jpg"
  Delete "$INSTDIR\space_image_welcome.jpg"
  Delete "$INSTDIR\HOW-TO-PLAY.txt"
  Delete "$INSTDIR\COPYRIGHT.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$LOCALAPPDATA\Programs" ; only when nothing else is installed there
  DeleteRegKey HKCU "${QV_UNINSTALL_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
SectionEnd
