; The KOVA installer: KOVA.exe, kova2.exe, the examples and a readme in Program Files; the two run
; description files at c:\, writable by every user; a Start-menu shortcut that starts KOVA in
; Documents\KOVA, where the engine writes bicluster_report.txt; an uninstaller that leaves the
; user's results alone. Built by tools/package-windows.sh, which defines VERSION, STAGE (the
; folder of the files to install) and OUTFILE.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

Name "KOVA ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\KOVA"
Icon "${STAGE}\kova.ico"
UninstallIcon "${STAGE}\kova.ico"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "1.0.0.0"
VIAddVersionKey "ProductName" "KOVA"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "KOVA ${VERSION} setup"
VIAddVersionKey "LegalCopyright" ""

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KOVA"
; Builtin\Users, by its well-known identifier, so that the name's language does not matter.
!define USERS_SID "*S-1-5-32-545"

; Creates the run description file $0 empty unless it exists (a run's description is kept), and
; lets every user change it.
Function MakeRunDescriptionFile
  IfFileExists "$0" +3
    FileOpen $1 "$0" w
    FileClose $1
  nsExec::ExecToLog 'icacls "$0" /grant ${USERS_SID}:M'
  Pop $1
FunctionEnd

Section "KOVA"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}\KOVA.exe"
  File "${STAGE}\kova2.exe"
  File "${STAGE}\README.txt"
  SetOutPath "$INSTDIR\examples"
  File "${STAGE}\examples\worked_example.txt"
  File "${STAGE}\examples\golub_500.txt"

  StrCpy $0 "c:\outinfo.txt"
  Call MakeRunDescriptionFile
  StrCpy $0 "c:\doutinfo.txt"
  Call MakeRunDescriptionFile

  ; KOVA runs in a folder of the user's documents: the engine writes bicluster_report.txt in the
  ; folder it was started from, and Program Files is not writable.
  CreateDirectory "$DOCUMENTS\KOVA"
  SetOutPath "$DOCUMENTS\KOVA"
  CreateDirectory "$SMPROGRAMS\KOVA"
  CreateShortcut "$SMPROGRAMS\KOVA\KOVA.lnk" "$INSTDIR\KOVA.exe" "" "$INSTDIR\KOVA.exe" 0 SW_SHOWNORMAL "" "KOVA: biclusters in gene-expression matrices"
  CreateShortcut "$SMPROGRAMS\KOVA\KOVA readme.lnk" "$INSTDIR\README.txt"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "KOVA ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\KOVA.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The program files and the shortcuts go; Documents\KOVA (results, reports) and the run
; description files stay, since they hold the user's work.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\KOVA\KOVA.lnk"
  Delete "$SMPROGRAMS\KOVA\KOVA readme.lnk"
  RMDir "$SMPROGRAMS\KOVA"
  Delete "$INSTDIR\KOVA.exe"
  Delete "$INSTDIR\kova2.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\examples\worked_example.txt"
  Delete "$INSTDIR\examples\golub_500.txt"
  RMDir "$INSTDIR\examples"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
