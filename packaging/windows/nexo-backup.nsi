; The Windows setup program, made by scripts/package-windows.sh, which defines:
;   VERSION       the version text of the generated version header ("2.0.5.0-SW004")
;   VERSION_WORDS its four numbers, for the file's version resource
;   STAGE         the folder with what is installed (the programs, lng\, copyright.txt)
;   OUTFILE       the setup program to write
;   HAVE_DIALOG   when the build holds the dialog program and its language libraries
;   SIGN          a command that signs the file named by %1 (the uninstaller), when signing
; Per machine, below Program Files; the installer's pages follow the user's language.
Unicode true
; A 64-bit setup for 64-bit programs; it also runs where no 32-bit layer is installed.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include x64.nsh
!include FileFunc.nsh

!define PRODUCT "nexo-backup"
!define PUBLISHER "The nexo-backup developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; An update goes where the installed version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
!ifdef SIGN
  !uninstfinalize '${SIGN}'
!endif

VIProductVersion "${VERSION_WORDS}"
VIFileVersion "${VERSION_WORDS}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!define MUI_ABORTWARNING
!ifdef HAVE_DIALOG
  !define MUI_FINISHPAGE_RUN "$INSTDIR\nexo-backup.exe"
!endif
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The program's eight languages; the first is taken when the user's is none of them.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Dutch"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "Swedish"
!insertmacro MUI_LANGUAGE "Danish"
!insertmacro MUI_LANGUAGE "Spanish"

LangString NEEDS_64BIT ${LANG_ENGLISH} "${PRODUCT} needs a 64-bit Windows."
LangString NEEDS_64BIT ${LANG_GERMAN} "${PRODUCT} braucht ein 64-Bit-Windows."
LangString NEEDS_64BIT ${LANG_FRENCH} "${PRODUCT} nécessite un Windows 64 bits."
LangString NEEDS_64BIT ${LANG_DUTCH} "${PRODUCT} vereist een 64-bits Windows."
LangString NEEDS_64BIT ${LANG_ITALIAN} "${PRODUCT} richiede un Windows a 64 bit."
LangString NEEDS_64BIT ${LANG_SWEDISH} "${PRODUCT} kräver ett 64-bitars Windows."
LangString NEEDS_64BIT ${LANG_DANISH} "${PRODUCT} kræver en 64-bit Windows."
LangString NEEDS_64BIT ${LANG_SPANISH} "${PRODUCT} necesita un Windows de 64 bits."

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP|MB_OK "$(NEEDS_64BIT)" /SD IDOK
    Abort
  ${EndIf}
  ; The 64-bit registry, where Windows lists 64-bit programs.
  SetRegView 64
  ; Every user's Start menu.
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "${PRODUCT}"
  SetOutPath "$INSTDIR"
  File "${STAGE}\nexo-backup-cli.exe"
  File "${STAGE}\copyright.txt"
  File "${STAGE}\README.txt"
!ifdef HAVE_DIALOG
  File "${STAGE}\nexo-backup.exe"
  SetOutPath "$INSTDIR\lng"
  File "${STAGE}\lng\blang_*.dll"
  ; The working folder of the shortcut is the one of the last SetOutPath: the dialog looks
  ; for lng\ below its working folder.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\nexo-backup.exe" "" "$INSTDIR\nexo-backup.exe" 0
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
!ifdef HAVE_DIALOG
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\nexo-backup.exe"
!endif
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Only what the setup put there goes: files a user saved in the folder stay, and with them
; the folder.
Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\nexo-backup.exe"
  Delete "$INSTDIR\nexo-backup-cli.exe"
  Delete "$INSTDIR\copyright.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\lng\blang_*.dll"
  RMDir "$INSTDIR\lng"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
