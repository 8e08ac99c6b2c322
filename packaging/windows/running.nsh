; Whether a Tarvo.exe of the program folder is running: the installer must not replace it and
; the uninstaller must not remove it while it runs. Other copies of Tarvo.exe (a portable one,
; another installation) do not count, so the test is the full path of each process's image.

!include LogicLib.nsh

; Defines the function <prefix>TarvoRunning: $0 = 1 when a process runs the image
; $INSTDIR\Tarvo.exe, else 0. The uninstaller needs its own copy ("un." functions).
!macro TARVO_RUNNING_FUNCTION prefix
Function ${prefix}TarvoRunning
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    StrCpy $0 0
    ; TH32CS_SNAPPROCESS
    System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) p .r1'
    ${If} $1 P<> -1
        ; PROCESSENTRY32W as the 64-bit system lays it out (568 bytes): dwSize, cntUsage,
        ; th32ProcessID, padding, th32DefaultHeapID, th32ModuleID, cntThreads,
        ; th32ParentProcessID, pcPriClassBase, dwFlags, szExeFile[260], padding.
        System::Call '*(i 568, i, i, i, l, i, i, i, i, i, &w260, i) p .r2'
        System::Call 'kernel32::Process32FirstW(p r1, p r2) i .r3'
        ${DoWhile} $3 <> 0
            System::Call '*$2(i, i, i .r4)'
            ; PROCESS_QUERY_LIMITED_INFORMATION
            System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r4) p .r5'
            ${If} $5 P<> 0
                System::Call 'kernel32::QueryFullProcessImageNameW(p r5, i 0, w .r6, *i ${NSIS_MAX_STRLEN}) i .r4'
                System::Call 'kernel32::CloseHandle(p r5)'
                ; StrCmp ignores letter case, as the file system does.
                ${If} $4 <> 0
                ${AndIf} $6 == "$INSTDIR\Tarvo.exe"
                    StrCpy $0 1
                    ${Break}
                ${EndIf}
            ${EndIf}
            System::Call 'kernel32::Process32NextW(p r1, p r2) i .r3'
        ${Loop}
        System::Free $2
        System::Call 'kernel32::CloseHandle(p r1)'
    ${EndIf}
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
FunctionEnd
!macroend

; Defines <prefix>OnlyOne: ends this process, with exit code 5, when another copy of the same
; program (the setup, or the uninstaller: `kind`) runs in this session. Unless `quiet` is 1 the
; user is told, and the window of the one that runs comes to the front. A copy that the running
; one started for administrator rights (/Elevated) is let through. The mutex stays held until
; this process ends.
!macro ONLY_ONE_FUNCTION prefix kind
Function ${prefix}OnlyOne
    Exch $R0 ; quiet
    Push $0
    Push $1
    Push $2
    Push $3
    Push $4
    !insertmacro HAS_SWITCH "${prefix}" "/Elevated" $0
    ${If} $0 == 1
        Goto done
    ${EndIf}
    System::Call 'kernel32::CreateMutexW(p 0, i 0, w "Local\${PRODUCT_NAME}.${kind}") p .r1 ?e'
    Pop $0
    ; ERROR_ALREADY_EXISTS
    ${If} $0 != 183
        Goto done
    ${EndIf}
    ${If} $R0 != 1
        MessageBox MB_OK|MB_ICONINFORMATION "${PRODUCT_NAME} ${kind} is already running." /SD IDOK
        ; Its window (or a box it shows) has the caption "${PRODUCT_NAME} ... ${kind}".
        StrLen $3 " ${kind}"
        StrLen $4 "${PRODUCT_NAME} "
        StrCpy $1 0
        ${Do}
            System::Call 'user32::FindWindowExW(p 0, p r1, w "#32770", p 0) p .r1'
            ${IfThen} $1 P= 0 ${|} ${Break} ${|}
            System::Call 'user32::GetWindowTextW(p r1, w .r2, i ${NSIS_MAX_STRLEN})'
            StrCpy $0 $2 "" -$3
            StrCpy $2 $2 $4
            ${If} $2 == "${PRODUCT_NAME} "
            ${AndIf} $0 == " ${kind}"
                System::Call 'user32::IsIconic(p r1) i .r0'
                ${IfThen} $0 != 0 ${|} ShowWindow $1 ${SW_RESTORE} ${|}
                System::Call 'user32::SetForegroundWindow(p r1)'
                ${Break}
            ${EndIf}
        ${Loop}
    ${EndIf}
    SetErrorLevel 5
    Quit
done:
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
    Pop $R0
FunctionEnd
!macroend
