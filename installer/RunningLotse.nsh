; How the setup and the uninstaller get along with a running Lotse. While they
; run they hold the mutex "LotseSetup". A running Lotse keeps a mutex named
; after its executable ("lotse.exe") and ends on a WM_SETTINGCHANGE broadcast
; with wParam 0xFFFF, but only while the mutex "LotseSetup" exists.

!define SETUP_MUTEX "LotseSetup"
!define INSTANCE_MUTEX "lotse.exe"
!define QUIT_REQUEST 0xFFFF
!define SMTO_ABORTIFHUNG 0x2
!define ERROR_ACCESS_DENIED 5
!define ERROR_SHARING_VIOLATION 32
!define ERROR_ALREADY_EXISTS 183
; How long Lotse may take to end before the user is asked: 80 polls of 250 ms.
; A modal dialog of Lotse that is still open (settings, a recording) keeps it
; running until the user closes it.
!define END_POLLS 80

!macro RUNNING_LOTSE_FUNCTIONS UN

; Takes the mutex for the rest of the process. When another setup or
; uninstaller holds it (or one running elevated, whose mutex this one may not
; open) the user is told and this one ends.
Function ${UN}holdSetupMutex
    ; A call that succeeds need not reset the last error.
    System::Call 'kernel32::SetLastError(i 0)'
    System::Call 'kernel32::CreateMutexW(p 0, i 1, w "${SETUP_MUTEX}") p .r0 ?e'
    Pop $1
    ${If} $0 P= 0
    ${OrIf} $1 = ${ERROR_ALREADY_EXISTS}
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(SetupAlreadyRunning)" /SD IDOK
        Abort
    ${EndIf}
FunctionEnd

; Pushes 1 while a Lotse runs: its mutex exists (also when it may not be
; opened), or the installed program file is still held by a process that has
; let its mutex go and is ending. Pushes 0 otherwise.
Function ${UN}isLotseRunning
    Push $0
    Push $1
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r0 ?e'
    Pop $1
    ${If} $0 P<> 0
        System::Call 'kernel32::CloseHandle(p r0)'
        StrCpy $0 1
    ${ElseIf} $1 = ${ERROR_ACCESS_DENIED}
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
        ${If} ${FileExists} "$INSTDIR\lotse.exe"
            ; Opened for writing without sharing, as replacing it will.
            System::Call 'kernel32::SetLastError(i 0)'
            System::Call 'kernel32::CreateFileW(w "$INSTDIR\lotse.exe", i 0x40000000, i 0, p 0, i 3, i 0x80, p 0) p .r0 ?e'
            Pop $1
            ${If} $1 = ${ERROR_SHARING_VIOLATION}
                StrCpy $0 1
            ${ElseIf} $1 = 0
                System::Call 'kernel32::CloseHandle(p r0)'
                StrCpy $0 0
            ${Else}
                StrCpy $0 0
            ${EndIf}
        ${EndIf}
    ${EndIf}
    Pop $1
    Exch $0
FunctionEnd

; Asks every running Lotse to end and waits until it has. When it does not end
; in time the user may retry or cancel; cancelling (and a silent run) aborts.
Function ${UN}endLotse
    Push $0
    Push $1
    Call ${UN}isLotseRunning
    Pop $0
    ${If} $0 = 1
        DetailPrint "$(EndingLotse)"
    ${EndIf}
    ${DoWhile} $0 = 1
        System::Call 'user32::SendMessageTimeoutW(p 0xFFFF, i ${WM_SETTINGCHANGE}, p ${QUIT_REQUEST}, p 0, i ${SMTO_ABORTIFHUNG}, i 5000, p 0)'
        StrCpy $1 0
        ${Do}
            Sleep 250
            Call ${UN}isLotseRunning
            Pop $0
            IntOp $1 $1 + 1
            ${If} $0 = 0
            ${OrIf} $1 >= ${END_POLLS}
                ${ExitDo}
            ${EndIf}
        ${Loop}
        ${If} $0 = 1
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(LotseDoesNotEnd)" /SD IDCANCEL IDRETRY retry
            DetailPrint "$(LotseStillRunning)"
            Abort "$(LotseStillRunning)"
            retry:
        ${EndIf}
    ${Loop}
    Pop $1
    Pop $0
FunctionEnd

!macroend
