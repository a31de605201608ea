; Vantrel's installer: a per-user install of the 64-bit program, without
; administrator rights. Built by dist/make-dist, which passes
;   VERSION   the product's version (from the top-level CMakeLists.txt)
;   STAGE     the packed program folder
;   FILES     the folder of install-files.nsh and uninstall-files.nsh
;   SAMPLE    the sample menu file's name (in STAGE)
;   SIZE_KB   the installed size
;   OUTFILE   the installer to write
; Silent use: Vantrel-<version>-setup.exe /S [/NOAUTOSTART] [/D=folder]
; (/D last); uninstall: "%LOCALAPPDATA%\Programs\Vantrel\uninstall.exe" /S

; A 64-bit installer for the 64-bit program: 32-bit Windows does not start
; it, and it runs where only 64-bit programs run (Wine without 32-bit support).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Vantrel"
!define PUBLISHER "Amber Heron, Inc"
; The program's settings (the registry root its start-up sets).
!define SETTINGS_PARENT "Software\Amber Heron, Inc"
!define SETTINGS_KEY "${SETTINGS_PARENT}\Vantrel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"
; The program holds this mutex while it runs.
!define MUTEX "Vantrel_AmberHeron"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vantrel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails hide
ShowUninstDetails hide

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright 2026 Amber Heron, Inc"

!define MUI_ICON "${STAGE}/Vantrel.ico"
!define MUI_UNICON "${STAGE}/Vantrel.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vantrel.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\guide\index.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the user guide"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Asks the user to end a running Vantrel, whose files could not be replaced
; or deleted; a silent run gives up instead (exit code 2).
!macro WaitForProgramToEnd
  ${Do}
    System::Call 'kernel32::OpenMutex(i 0x00100000, i 0, t "${MUTEX}") p .r0'
    ${If} $0 P= 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Vantrel is running. Please end it (Exit in the menu of its tray icon), then click Retry." \
      /SD IDCANCEL IDRETRY +3
    SetErrorLevel 2
    Quit
  ${Loop}
!macroend

Section "Vantrel (required)" SecProgram
  SectionIn RO
  !insertmacro WaitForProgramToEnd
  !include "${FILES}/install-files.nsh"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\Vantrel.lnk" "$INSTDIR\Vantrel.exe" "" "$INSTDIR\Vantrel.ico" 0

  ; The sample menu is the user's file: it lies with the user's documents,
  ; is copied only when absent and survives an uninstall.
  CreateDirectory "$DOCUMENTS\Vantrel"
  SetOutPath "$DOCUMENTS\Vantrel"
  SetOverwrite off
  File "${STAGE}/${SAMPLE}"
  SetOverwrite on
  SetOutPath "$INSTDIR"
  ; A user who has not chosen a menu file yet is offered the sample at the
  ; first login; a choice already made is left alone.
  ClearErrors
  ReadRegStr $0 HKCU "${SETTINGS_KEY}\Settings" "File"
  ${If} ${Errors}
    WriteRegStr HKCU "${SETTINGS_KEY}\Settings" "File" "$DOCUMENTS\Vantrel\${SAMPLE}"
    WriteRegStr HKCU "${SETTINGS_KEY}\Settings" "Vantrel" "Tour"
  ${EndIf}

  ; The start with Windows option writes this again when it is chosen.
  DeleteRegValue HKCU "${RUN_KEY}" "Vantrel"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vantrel.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Start Vantrel with Windows" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "Vantrel" '"$INSTDIR\Vantrel.exe"'
SectionEnd

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/NOAUTOSTART" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecAutostart} 0
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro WaitForProgramToEnd
  ; Only the files the installer put there, by name; a folder goes only
  ; when nothing else is left in it.
  !include "${FILES}/uninstall-files.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Vantrel.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "Vantrel"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
