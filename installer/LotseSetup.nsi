; LotseSetup.exe: installs Lotse for the current user without administrator
; rights into %LOCALAPPDATA%\Programs\Lotse, replaces a running Lotse (which
; it asks to end) and starts the installed one. The uninstaller ends a running
; Lotse the same way and removes everything the setup and the program made.
;
;   makensis -INPUTCHARSET UTF8 -DLOTSE_EXE=path\lotse.exe -DVERSION=1.0.2
;            -DFILE_VERSION=1.0.2.0 -DPRODUCT_PAGE=https://... -DICON=lotse.ico
;            -DOUTFILE=LotseSetup.exe LotseSetup.nsi
;
; Command line: /S installs silently and starts Lotse afterwards; /NOSTART
; leaves it stopped (and unticks "Lotse jetzt starten"). The uninstaller takes
; /S as well.

!macro REQUIRE NAME
    !ifndef ${NAME}
        !error "makensis needs -D${NAME}=..."
    !endif
!macroend
!insertmacro REQUIRE LOTSE_EXE
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE FILE_VERSION
!insertmacro REQUIRE PRODUCT_PAGE
!insertmacro REQUIRE ICON
!insertmacro REQUIRE OUTFILE

Unicode true
; lotse.exe is a 64-bit program; so is its setup.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include RunningLotse.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lotse"
; The program's own: its first-run marker and its autostart entry.
!define APP_KEY "Software\Lotse"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define AUTOSTART_VALUE "Lotse"

Name "Lotse"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Lotse"
BrandingText "Lotse ${FILE_VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var noStart

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "$(InstallAbortWarning)"
!define MUI_UNABORTWARNING
!define MUI_UNABORTWARNING_TEXT "$(RemoveAbortWarning)"

!define MUI_WELCOMEPAGE_TITLE "$(WelcomeTitle)"
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME

!define MUI_PAGE_HEADER_TEXT "$(InstallingTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(InstallingText)"
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "$(InstalledTitle)"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$(InstalledText)"
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "$(InstallAbortedTitle)"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "$(InstallAbortedText)"
!insertmacro MUI_PAGE_INSTFILES
; Modern UI 2 of NSIS 3.08 forgets these after the page (it unsets other names).
!undef MUI_INSTFILESPAGE_ABORTHEADER_TEXT
!undef MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT

!define MUI_FINISHPAGE_TITLE "$(FinishTitle)"
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
; Room for both paragraphs above the check box.
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(FinishRun)"
!define MUI_FINISHPAGE_RUN_FUNCTION startLotse
!define MUI_PAGE_CUSTOMFUNCTION_SHOW finishShown
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_HEADER_TEXT "$(RemoveTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(RemoveSubtitle)"
!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(RemoveText)"
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "$(RemoveFolder)"
!insertmacro MUI_UNPAGE_CONFIRM

!define MUI_PAGE_HEADER_TEXT "$(RemovingTitle)"
!define MUI_PAGE_HEADER_SUBTEXT "$(RemovingText)"
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "$(RemovedTitle)"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$(RemovedText)"
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "$(RemoveAbortedTitle)"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "$(RemoveAbortedText)"
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"
!include Texts.nsh

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "Lotse"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "Nordlicht"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "Installation von Lotse"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${FILE_VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "© Nordlicht"
VIAddVersionKey /LANG=${LANG_GERMAN} "OriginalFilename" "LotseSetup.exe"

!insertmacro RUNNING_LOTSE_FUNCTIONS ""
!insertmacro RUNNING_LOTSE_FUNCTIONS "un."

Function .onInit
    SetShellVarContext current
    Call holdSetupMutex
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/NOSTART" $1
    ${If} ${Errors}
        StrCpy $noStart 0
    ${Else}
        StrCpy $noStart 1
    ${EndIf}
FunctionEnd

Section
    Call endLotse
    SetOutPath "$INSTDIR"
    File "/oname=lotse.exe" "${LOTSE_EXE}"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Lotse.lnk" "$INSTDIR\lotse.exe" "" "$INSTDIR\lotse.exe" 0 \
        SW_SHOWNORMAL "" "$(ShortcutDescription)"

    ; The entry in the system's list of programs.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Lotse"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${FILE_VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Nordlicht"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lotse.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${PRODUCT_PAGE}"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function startLotse
    DetailPrint "$(StartingLotse)"
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\lotse.exe"'
FunctionEnd

; A silent install shows no last page; it starts Lotse unless told not to.
Function .onInstSuccess
    ${If} ${Silent}
    ${AndIf} $noStart = 0
        Call startLotse
    ${EndIf}
FunctionEnd

Function finishShown
    ${If} $noStart = 1
        SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ${EndIf}
FunctionEnd

Function un.onInit
    SetShellVarContext current
    Call un.holdSetupMutex
FunctionEnd

Section "Uninstall"
    Call un.endLotse
    Delete "$INSTDIR\lotse.exe"
    ; The uninstaller in the program folder started this copy of itself in
    ; TEMP and may still be ending.
    StrCpy $0 0
    ${Do}
        ClearErrors
        Delete "$INSTDIR\uninstall.exe"
        ${IfNot} ${Errors}
        ${OrIf} $0 >= 40
            ${ExitDo}
        ${EndIf}
        Sleep 250
        IntOp $0 $0 + 1
    ${Loop}
    ; Only when empty: files the user put there stay. The folder of the
    ; user's own programs goes too when nothing else is in it (a fresh Windows
    ; has none until a setup like this one makes it).
    RMDir "$INSTDIR"
    ${GetParent} "$INSTDIR" $0
    ${If} $0 == "$LOCALAPPDATA\Programs"
        RMDir "$0"
    ${EndIf}
    Delete "$SMPROGRAMS\Lotse.lnk"
    ; What the program made on its first run and in its settings.
    Delete "$SMSTARTUP\Lotse.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "${AUTOSTART_VALUE}"
    DeleteRegKey HKCU "${APP_KEY}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; This copy runs from a folder of its own in TEMP ("~nsu*.tmp"), which it cannot
; delete while it runs, and a user without administrator rights cannot have
; it deleted at the next restart: a hidden command prompt deletes the copy and
; its folder (only those) as soon as this process has ended.
Function un.onUninstSuccess
    ${GetFileName} $EXEDIR $0
    ${GetParent} $EXEDIR $1
    StrCpy $0 $0 4
    ${If} $0 == "~nsu"
    ${AndIf} $1 == $TEMP
        ; Started in TEMP: a process working in the folder would keep it.
        SetOutPath $TEMP
        ExecShell "" "$SYSDIR\cmd.exe" '/d /c for /l %i in (1,1,30) do (ping -n 2 127.0.0.1 >nul & del /f /q "$EXEPATH" 2>nul & rmdir "$EXEDIR" 2>nul & if not exist "$EXEDIR" exit)' SW_HIDE
    ${EndIf}
FunctionEnd
