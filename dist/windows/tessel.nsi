; The Windows installer of Tessel: a per-user install that needs no
; administrator, with a Start-menu shortcut, an entry in Apps and Features
; and an uninstaller. The cross build's windows_packages target makes it
; (tools/build-windows-installer.sh) and defines
;   VERSION  the project's version, x.y.z
;   STAGE    the folder of the files to install (the portable zip's too)
;   ICON     the program's icon, for the installer's own windows
;   OUTFILE  the installer to write

; A 64-bit installer for the 64-bit program: it needs no 32-bit subsystem
; (WOW64, or wine32 under wine), and Windows refuses it where tessel.exe
; could not run either.
Target amd64-unicode
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessel"
; Where the user keeps vzrom.v20 and vz200.fnt, as ~/VZ200 on Linux. Tessel
; reads them from its current folder, so the shortcut starts it there.
!define MACHINE_FILES "$PROFILE\VZ200"

Name "Tessel"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Tessel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 ProductName "Tessel"
VIAddVersionKey /LANG=0 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 FileVersion "${VERSION}"
VIAddVersionKey /LANG=0 FileDescription "Tessel ${VERSION} Setup"
VIAddVersionKey /LANG=0 CompanyName "The Tessel developers"
VIAddVersionKey /LANG=0 LegalCopyright "Copyright (c) The Tessel developers. MIT License."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Tessel"
!define MUI_FINISHPAGE_RUN_FUNCTION StartTessel
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; As the shortcut does: in the machine-files folder.
Function StartTessel
  SetOutPath "${MACHINE_FILES}"
  Exec '"$INSTDIR\tessel.exe"'
FunctionEnd

Section "Tessel"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGE}\tessel.exe"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\README.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut's working folder is $OUTDIR.
  CreateDirectory "${MACHINE_FILES}"
  SetOutPath "${MACHINE_FILES}"
  CreateShortCut "$SMPROGRAMS\Tessel.lnk" "$INSTDIR\tessel.exe" "" "$INSTDIR\tessel.exe" 0 \
    SW_SHOWNORMAL "" "VZ200/VZ300 emulator"
  SetOutPath "$INSTDIR"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tessel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Tessel developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tessel.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as Apps and Features reads it.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the installer made, file by file, and the install folder when
; that leaves it empty. The machine-files folder stays, empty or not: it is
; the user's, with ROM files that did not come from here.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Tessel.lnk"
  Delete "$INSTDIR\tessel.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
