; Tavorim's Windows installer: per machine into Program Files, in French, silent with /S for
; school IT. Made by `scripts/windows installer`, which passes what the build knows:
;   makensis -DVERSION=2.4 -DFILE_VERSION=2.4.0.0 -DPROGRAM_DIR=<program folder>
;            -DICON=<tavorim.ico> -DUNINSTALL_LIST=<list.nsh> -DOUTFILE=<setup.exe>
;            [-DSITE_URL=<maker's site>] tavorim.nsi
; UNINSTALL_LIST deletes the program folder's files and folders one by one: the uninstaller
; removes only what was installed, never a whole folder an administrator may have chosen.

Unicode true
; The 32-bit stub needs a 32-bit Windows layer; a 64-bit program gets a 64-bit installer.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!macro Require symbol
    !ifndef ${symbol}
        !error "makensis -D${symbol}=... is needed (see scripts/windows installer)"
    !endif
!macroend
!insertmacro Require VERSION
!insertmacro Require FILE_VERSION
!insertmacro Require PROGRAM_DIR
!insertmacro Require ICON
!insertmacro Require UNINSTALL_LIST
!insertmacro Require OUTFILE

!define MAKER "Quillavo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavorim"
!define UNINSTALLER "uninstall.exe"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

Name "Tavorim ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tavorim"
; An upgrade goes where the version before it was installed.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${MAKER}"
; A file that cannot be written stops the installation instead of leaving a partial program.
AllowSkipFiles off

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductName" "Tavorim"
VIAddVersionKey /LANG=${LANG_FRENCH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_FRENCH} "FileDescription" "Installation de Tavorim"
VIAddVersionKey /LANG=${LANG_FRENCH} "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=${LANG_FRENCH} "LegalCopyright" "© 2026 ${MAKER}"

Section
    ; The shortcut is every user's, as the program is.
    SetShellVarContext all
    Call RemovePreviousVersion
    SetOutPath "$INSTDIR"
    File /r "${PROGRAM_DIR}/*"
    File "/oname=tavorim.ico" "${ICON}"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "$SMPROGRAMS\Tavorim.lnk" "$INSTDIR\tavorim.exe" "" "$INSTDIR\tavorim.ico" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tavorim"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tavorim.ico"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    !ifdef SITE_URL
        WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${SITE_URL}"
    !endif
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Files of the version before this one that this one no longer has would otherwise stay for
; ever: its own uninstaller removes them first, leaving the administrator's settings.
Function RemovePreviousVersion
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == ""
    ${OrIfNot} ${FileExists} "$0\${UNINSTALLER}"
        Return
    ${EndIf}
    DetailPrint "Suppression de la version déjà installée dans $0"
    ; _? runs it in place and waits for it, instead of it copying itself away and returning.
    ExecWait '"$0\${UNINSTALLER}" /S _?=$0' $1
    ${If} $1 != 0
        MessageBox MB_OK|MB_ICONSTOP \
            "La version de Tavorim déjà installée dans $0 n'a pas pu être supprimée (code $1).$\r$\nL'installation est abandonnée." \
            /SD IDOK
        Abort
    ${EndIf}
    Delete "$0\${UNINSTALLER}"
    RMDir "$0"
FunctionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\Tavorim.lnk"
    !include "${UNINSTALL_LIST}"
    Delete "$INSTDIR\tavorim.ico"
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Kept if anyone put a file of their own in it.
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
