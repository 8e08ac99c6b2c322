; Tarvolin's Windows installer and its uninstaller, unins000.exe.
;
;   makensis -DTARVO_EXE=<built Tarvo.exe> -DOUTFILE=<setup.exe> -DPRODUCT_VERSION=<a.b.c.d>
;            [-DTARVO_SIGN=<command that signs the file named after it in place>] tarvolin.nsi
;
; Installs for the current user by default, without administrator rights, in
; %LOCALAPPDATA%\Programs\Tarvolin with its entries under HKCU; /AllUsers (or the choice on
; the second page) installs for every user under Program Files with HKLM entries, asking the
; system for administrator rights when the installer runs without them. /CurrentUser forces
; the default, /S is silent, /D=<folder> picks the folder of a new installation (a folder that
; holds another program's files gets a Tarvolin folder inside it). Installing where Tarvolin is
; installed already upgrades it in place and keeps its data files. An installation in the other
; scope is removed first only when asked (/ReplaceOther, or Yes on the page). /? and /help list
; the switches. Exit codes: 0 done, 1 cancelled, 2 failed (Tarvolin running, no rights, files
; in use), 3 installed in the other scope, 4 a folder of another program's, 5 another setup runs.
;
; The uninstaller takes /silent (no questions, progress shown; the settings window starts it
; so), /verysilent (nothing shown), both in any letter case, NSIS's own /S, /deletedata, /? and
; /help. Exit codes: 0 done, 1 cancelled by the user, 2 failed (Tarvolin still running, files
; in use, no rights), 5 another uninstaller runs.
;
; The user's data, MRU.INI and Settings.ini, is never lost to an uninstall. The program keeps it
; in its own folder while it can write there (a per-user installation) and in %APPDATA%\Tarvolin
; otherwise (an installation under Program Files). Uninstalling moves the files of the program
; folder into %APPDATA%\Tarvolin, which no installation owns and where every later installation
; finds them: one for all users reads them there; a per-user installation moves them back into
; its folder when it has none of its own. Nothing is overwritten on either move: a file whose
; name is taken at the destination stays where it is. Only the confirmation page's box, or
; /deletedata for an unattended removal, deletes them.

!ifndef TARVO_EXE | OUTFILE
    !error "define TARVO_EXE (the built Tarvo.exe) and OUTFILE (the setup to write)"
!endif

Unicode true
Target amd64-unicode
!pragma warning error all

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include nsDialogs.nsh
!include WinMessages.nsh
!include product.nsh
!include switches.nsh
!include running.nsh

; The window's title and the pages name the version ("Tarvolin 2.6.0.2 Setup").
Name "${PRODUCT_NAME} ${PRODUCT_VERSION}"
OutFile "${OUTFILE}"
; A signed release: the uninstaller is signed before the setup takes it in, so the
; unins000.exe that the setup writes carries the signature.
!ifdef TARVO_SIGN
    !uninstfinalize `${TARVO_SIGN} "%1"` = 0
!endif
; The installer elevates only when installing for every user, and only then.
RequestExecutionLevel user
ManifestDPIAware true
; The files carry the time of installation, not of the build: the setup's bytes depend on
; the commit alone.
SetDateSave off
SetCompressor /SOLID lzma
BrandingText "${PRODUCT_NAME} ${PRODUCT_VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${PRODUCT_VERSION}"
VIFileVersion "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT_PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PRODUCT_PUBLISHER}"

!define MUI_ICON "..\..\src\resources\tarvo.ico"
!define MUI_UNICON "..\..\src\resources\tarvo.ico"
!define MUI_ABORTWARNING

Var AllUsers      ; 1: for every user (Program Files, HKLM); 0: for the current user
Var ScopeFixed    ; 1: the command line chose the scope, so the page does not ask
Var ChosenDir     ; the folder given with /D=, or empty
Var Upgrade       ; 1: Tarvolin is installed for this scope already; install into its folder
Var IsAdmin       ; 1: the installer runs with administrator rights
Var OtherDir      ; the folder of an installation in the scope not chosen, or empty
Var OtherVersion  ; its version
Var OtherScope    ; its scope in words: "for you alone" or "for anyone who uses this computer"
Var Replace       ; 1: remove the installation in the other scope first (it was asked for)
Var RadioMe
Var RadioAll
Var ScopeNote     ; the scope page's text on what this setup will do for the choice
Var DirMe         ; the folder and version of the installation for the current user, or empty
Var VerMe
Var DirAll        ; the folder and version of the installation for every user, or empty
Var VerAll
Var WelcomeText
Var DirShown      ; 1 once the folder page has been shown, for the scope in $DirScope
Var DirScope
Var TypedMe       ; the folder the folder page held when the user went back, for each scope
Var TypedAll

; --- installer pages ---------------------------------------------------------------------------

; Instead of the generic text on closing other programs so that system files need no reboot:
; what is installed, what this setup will do, and the one program that must be closed.
!define MUI_WELCOMEPAGE_TEXT "$WelcomeText"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW WelcomeShow
!insertmacro MUI_PAGE_WELCOME
Page custom ScopeShow ScopeLeave
!define MUI_PAGE_CUSTOMFUNCTION_PRE DirectoryPre
!define MUI_PAGE_CUSTOMFUNCTION_SHOW DirectoryShow
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tarvo.exe"
!define MUI_FINISHPAGE_RUN_TEXT "&Open Tarvolin to choose the file types it serves"
!insertmacro MUI_PAGE_FINISH

; --- uninstaller pages -------------------------------------------------------------------------

Var Quiet          ; 1: /silent, /verysilent or /S: no questions
Var DeleteData     ; 1: the box ticked or /deletedata: delete the data files instead of keeping them
Var UserDataFolder ; %APPDATA%\Tarvolin of the user who runs the uninstaller
Var DataBox

UninstPage custom un.ConfirmShow un.ConfirmLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

!insertmacro HAS_SWITCH_FUNCTION ""
!insertmacro HAS_SWITCH_FUNCTION "un."
!insertmacro TARVO_RUNNING_FUNCTION ""
!insertmacro TARVO_RUNNING_FUNCTION "un."
!insertmacro ONLY_ONE_FUNCTION "" "Setup"
!insertmacro ONLY_ONE_FUNCTION "un." "Uninstall"

; --- the installer -----------------------------------------------------------------------------

Function .onInit
    !insertmacro HAS_SWITCH "" "/?" $0
    !insertmacro HAS_SWITCH "" "/help" $1
    ${If} $0 == 1
    ${OrIf} $1 == 1
        MessageBox MB_OK|MB_ICONINFORMATION "${PRODUCT_NAME} ${PRODUCT_VERSION} Setup$\r$\n$\r$\n$EXEFILE [/S] [/AllUsers | /CurrentUser] [/ReplaceOther] [/D=folder]$\r$\n$\r$\n/S$\tSilent: no windows, no questions.$\r$\n/AllUsers$\tFor anyone who uses this computer, in Program Files (administrator rights needed).$\r$\n/CurrentUser$\tFor you alone, in $LOCALAPPDATA\Programs\${PRODUCT_NAME} (the default).$\r$\n/ReplaceOther$\tRemove an installation of ${PRODUCT_NAME} for the other of the two first, keeping your argument history and settings. Without it a silent setup stops there.$\r$\n/D=folder$\tThe folder of a new installation; last on the line, without quotes.$\r$\n/? or /help$\tThis list.$\r$\n$\r$\nExit codes: 0 installed; 1 cancelled; 2 failed (${PRODUCT_NAME} running, no rights, files in use); 3 ${PRODUCT_NAME} is installed for the other of the two; 4 the folder holds another program's files; 5 another ${PRODUCT_NAME} setup is running." /SD IDOK
        SetErrorLevel 0
        Quit
    ${EndIf}
    StrCpy $0 0
    ${IfThen} ${Silent} ${|} StrCpy $0 1 ${|}
    Push $0
    Call OnlyOne
    ; Without an InstallDir attribute $INSTDIR holds only what /D= gave.
    StrCpy $ChosenDir $INSTDIR
    StrCpy $IsAdmin 0
    UserInfo::GetAccountType
    Pop $0
    ${IfThen} $0 == "Admin" ${|} StrCpy $IsAdmin 1 ${|}

    ReadRegStr $DirMe HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $VerMe HKCU "${UNINSTALL_KEY}" "DisplayVersion"
    ReadRegStr $DirAll HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $VerAll HKLM "${UNINSTALL_KEY}" "DisplayVersion"

    StrCpy $AllUsers 0
    StrCpy $ScopeFixed 0
    !insertmacro HAS_SWITCH "" "/AllUsers" $0
    ${If} $0 == 1
        StrCpy $AllUsers 1
        StrCpy $ScopeFixed 1
    ${EndIf}
    !insertmacro HAS_SWITCH "" "/CurrentUser" $0
    ${If} $0 == 1
        StrCpy $AllUsers 0
        StrCpy $ScopeFixed 1
    ${EndIf}
    ; Without a choice on the command line, the page offers the scope of an installation that
    ; exists for every user, else the current user.
    ${If} $ScopeFixed == 0
        ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $0 != ""
        ${AndIf} $1 == ""
            StrCpy $AllUsers 1
        ${EndIf}
    ${EndIf}
    Call ApplyScope
    ; An installation in the other scope is replaced only when that is asked for: by
    ; /ReplaceOther, or by the user when the scope is not asked on a page.
    !insertmacro HAS_SWITCH "" "/ReplaceOther" $Replace
    ${If} $OtherDir != ""
    ${AndIf} $Replace != 1
        ${If} ${Silent}
            SetErrorLevel 3
            Quit
        ${ElseIf} $ScopeFixed == 1
            Call AskToReplace
            ${If} $Replace != 1
                SetErrorLevel 1
                Quit
            ${EndIf}
        ${EndIf}
    ${EndIf}
    ; A silent setup has its folder now.
    ${If} ${Silent}
    ${AndIf} $Upgrade == 0
        Call SettleFolder
        ${If} $0 != 1
            SetErrorLevel 4
            Quit
        ${EndIf}
    ${EndIf}
    ; A scope the page will not ask for is settled now.
    ${If} ${Silent}
    ${OrIf} $ScopeFixed == 1
        Call ElevateIfNeeded
    ${EndIf}

    StrCpy $0 $AllUsers
    Call DescribeChoice
    ${If} $1 == ""
        StrCpy $1 "This setup installs ${PRODUCT_NAME} ${PRODUCT_VERSION}. It adds the command $\"${PRODUCT_NAME}$\" to the right-click menu of the file types you choose, to run a file with the arguments you type."
    ${EndIf}
    StrCpy $3 "Next"
    ${If} $ScopeFixed == 1
    ${AndIf} $Upgrade == 1
        ; No page follows: the welcome page's button starts the work.
        StrCpy $3 $2 "" 1
    ${EndIf}
    StrCpy $WelcomeText "$1$\r$\n$\r$\nIf ${PRODUCT_NAME} is open, close it first: setup cannot replace a program that is running.$\r$\n$\r$\nClick $3 to continue."
FunctionEnd

; What this setup will do for a choice of scope ($0: 1 every user, 0 the current user): $1 the
; sentences that say so (empty for a plain new installation), $2 the label of the button that
; goes on from the scope page ("&Upgrade" or "&Install" when no folder page follows).
Function DescribeChoice
    Push $3
    Push $4
    Push $5
    Push $6
    Push $7
    ${If} $0 == 1
        StrCpy $3 $DirAll
        StrCpy $4 $VerAll
        StrCpy $5 $DirMe
        StrCpy $6 $VerMe
        StrCpy $7 "for you alone"
    ${Else}
        StrCpy $3 $DirMe
        StrCpy $4 $VerMe
        StrCpy $5 $DirAll
        StrCpy $6 $VerAll
        StrCpy $7 "for anyone who uses this computer"
    ${EndIf}
    StrCpy $1 ""
    StrCpy $2 "$(^NextBtn)"
    ${If} $3 != ""
        ${VersionCompare} $4 "${PRODUCT_VERSION}" $0
        ${If} $0 == 2
            StrCpy $1 "${PRODUCT_NAME} $4 is installed in $3.$\r$\nThis setup upgrades it to ${PRODUCT_VERSION} in that folder, keeping your argument history and settings."
            StrCpy $2 "&Upgrade"
        ${ElseIf} $0 == 0
            StrCpy $1 "${PRODUCT_NAME} $4 is installed in $3.$\r$\nThis setup installs it again in that folder, keeping your argument history and settings."
            StrCpy $2 "&Install"
        ${Else}
            StrCpy $1 "${PRODUCT_NAME} $4 is installed in $3.$\r$\nThis setup replaces it with the older ${PRODUCT_VERSION} in that folder, keeping your argument history and settings."
            StrCpy $2 "&Install"
        ${EndIf}
    ${ElseIf} $5 != ""
        StrCpy $4 "for you alone"
        ${IfThen} $0 == 1 ${|} StrCpy $4 "for anyone who uses this computer" ${|}
        StrCpy $1 "${PRODUCT_NAME} $6 is installed $7 in $5.$\r$\nInstalling ${PRODUCT_NAME} ${PRODUCT_VERSION} $4 removes it first, keeping your argument history and settings."
    ${EndIf}
    Pop $7
    Pop $6
    Pop $5
    Pop $4
    Pop $3
FunctionEnd

Function WelcomeShow
    ${If} $ScopeFixed == 1
    ${AndIf} $Upgrade == 1
        StrCpy $0 $AllUsers
        Call DescribeChoice
        GetDlgItem $0 $HWNDPARENT 1
        SendMessage $0 ${WM_SETTEXT} 0 "STR:$2"
    ${EndIf}
FunctionEnd

; Sets the shell context and the folder for the chosen scope: the folder of the installation
; that exists for it, else the one /D= named, else the scope's default.
Function ApplyScope
    SetShellVarContext current
    StrCpy $1 "$LOCALAPPDATA\Programs\${PRODUCT_NAME}"
    ${If} $AllUsers == 1
        SetShellVarContext all
        StrCpy $1 "$PROGRAMFILES64\${PRODUCT_NAME}"
    ${EndIf}
    StrCpy $Upgrade 0
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
        StrCpy $Upgrade 1
        StrCpy $INSTDIR $0
    ${ElseIf} $AllUsers == 1
    ${AndIf} $TypedAll != ""
        ; What the user typed on the folder page before going back.
        StrCpy $INSTDIR $TypedAll
    ${ElseIf} $AllUsers == 0
    ${AndIf} $TypedMe != ""
        StrCpy $INSTDIR $TypedMe
    ${ElseIf} $ChosenDir != ""
        StrCpy $INSTDIR $ChosenDir
    ${Else}
        StrCpy $INSTDIR $1
    ${EndIf}
    ; The installation of the other scope, if any.
    ${If} $AllUsers == 1
        ReadRegStr $OtherDir HKCU "${UNINSTALL_KEY}" "InstallLocation"
        ReadRegStr $OtherVersion HKCU "${UNINSTALL_KEY}" "DisplayVersion"
        StrCpy $OtherScope "for you alone"
    ${Else}
        ReadRegStr $OtherDir HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ReadRegStr $OtherVersion HKLM "${UNINSTALL_KEY}" "DisplayVersion"
        StrCpy $OtherScope "for anyone who uses this computer"
    ${EndIf}
FunctionEnd

; There is never more than one installation for a user: the one in the other scope is removed
; first, or nothing is installed. $Replace = 1 when the user chose to replace it.
Function AskToReplace
    StrCpy $0 "for anyone who uses this computer"
    ${IfThen} $AllUsers == 0 ${|} StrCpy $0 "for you alone" ${|}
    StrCpy $Replace 0
    MessageBox MB_YESNO|MB_ICONQUESTION "${PRODUCT_NAME} $OtherVersion is installed $OtherScope in $OtherDir.$\r$\n$\r$\nRemove it and install ${PRODUCT_NAME} ${PRODUCT_VERSION} $0 instead? Your argument history and settings are kept.$\r$\n$\r$\nChoose No to keep it." IDNO +2
    StrCpy $Replace 1
FunctionEnd

; Removes the installation of the other scope with its own uninstaller, quietly and in place
; (so that its exit code is the outcome); it keeps the user's data, which this installation
; then finds. Nothing else has changed when it fails.
Function RemoveOther
    ${If} $Replace != 1
    ${OrIf} $OtherDir == ""
        Return
    ${EndIf}
    DetailPrint "Removing ${PRODUCT_NAME} $OtherVersion from $OtherDir"
    StrCpy $0 ""
    ${If} ${FileExists} "$OtherDir\unins000.exe"
        ExecWait '"$OtherDir\unins000.exe" /verysilent _?=$OtherDir' $0
    ${ElseIfNot} ${FileExists} "$OtherDir\Tarvo.exe"
        ; Its folder is gone (deleted by hand): only its entry and its shortcut are left.
        ${If} $AllUsers == 1
            DeleteRegKey HKCU "${UNINSTALL_KEY}"
            SetShellVarContext current
            Delete "$SMPROGRAMS\${PRODUCT_NAME}.lnk"
            SetShellVarContext all
        ${Else}
            DeleteRegKey HKLM "${UNINSTALL_KEY}"
            SetShellVarContext all
            Delete "$SMPROGRAMS\${PRODUCT_NAME}.lnk"
            SetShellVarContext current
        ${EndIf}
        Return
    ${EndIf}
    ${If} $0 == 0
        ; Run in place, the uninstaller leaves itself and so the folder.
        Delete "$OtherDir\unins000.exe"
        RMDir "$OtherDir"
    ${Else}
        MessageBox MB_OK|MB_ICONSTOP "${PRODUCT_NAME} $OtherVersion in $OtherDir could not be removed, so ${PRODUCT_NAME} ${PRODUCT_VERSION} was not installed.$\r$\n$\r$\nClose ${PRODUCT_NAME} if it is running, or remove it from the list of installed programs, then run this setup again." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
FunctionEnd

; An installation for every user needs administrator rights: without them the installer
; starts itself again through the system's elevation prompt, with the same choices, waits for
; that copy and ends. The copy's exit code does not come back through the shell, so success
; is read from the entry the copy writes.
Function ElevateIfNeeded
    ${If} $AllUsers != 1
    ${OrIf} $IsAdmin == 1
        Return
    ${EndIf}
    !insertmacro HAS_SWITCH "" "/Elevated" $0
    ${If} $0 == 1
        ; Started elevated and still without the rights: do not go round again.
        MessageBox MB_OK|MB_ICONSTOP "Installing ${PRODUCT_NAME} for every user needs administrator rights." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
    StrCpy $0 "/AllUsers /Elevated"
    ${IfThen} ${Silent} ${|} StrCpy $0 "$0 /S" ${|}
    ${IfThen} $Replace == 1 ${|} StrCpy $0 "$0 /ReplaceOther" ${|}
    ; /D= must come last and unquoted.
    ${IfThen} $ChosenDir != "" ${|} StrCpy $0 "$0 /D=$ChosenDir" ${|}
    HideWindow
    ExecShellWait "runas" "$EXEPATH" "$0"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
    ${If} $1 == "${PRODUCT_VERSION}"
        SetErrorLevel 0
    ${Else}
        SetErrorLevel 2
    ${EndIf}
    Quit
FunctionEnd

Function ScopeShow
    ${IfThen} $ScopeFixed == 1 ${|} Abort ${|}
    ; Back from the folder page, which has copied its box into $INSTDIR as it closed.
    ${If} $DirShown == 1
        ${If} $DirScope == 1
            StrCpy $TypedAll $INSTDIR
        ${Else}
            StrCpy $TypedMe $INSTDIR
        ${EndIf}
        StrCpy $DirShown 0
    ${EndIf}
    !insertmacro MUI_HEADER_TEXT "Choose Users" "Choose for whom to install ${PRODUCT_NAME}."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 20u "Install ${PRODUCT_NAME} for:"
    Pop $0
    ${NSD_CreateRadioButton} 10u 22u 280u 12u "&Only for me (no administrator rights needed)"
    Pop $RadioMe
    ${NSD_CreateRadioButton} 10u 40u 280u 12u "&Anyone who uses this computer (administrator rights needed)"
    Pop $RadioAll
    ${If} $AllUsers == 1
        ${NSD_Check} $RadioAll
    ${Else}
        ${NSD_Check} $RadioMe
    ${EndIf}
    ${NSD_CreateLabel} 0 64u 100% 40u ""
    Pop $ScopeNote
    ${NSD_OnClick} $RadioMe ScopeClicked
    ${NSD_OnClick} $RadioAll ScopeClicked
    Call ScopeRefresh
    nsDialogs::Show
FunctionEnd

; A click handler gets the control on the stack.
Function ScopeClicked
    Pop $0
    Call ScopeRefresh
FunctionEnd

; The page says what the choice will do, and its button is Upgrade (or Install) when no folder
; page follows.
Function ScopeRefresh
    ${NSD_GetState} $RadioAll $0
    ${IfThen} $0 != ${BST_CHECKED} ${|} StrCpy $0 0 ${|}
    Call DescribeChoice
    SendMessage $ScopeNote ${WM_SETTEXT} 0 "STR:$1"
    GetDlgItem $0 $HWNDPARENT 1
    SendMessage $0 ${WM_SETTEXT} 0 "STR:$2"
FunctionEnd

Function ScopeLeave
    ${NSD_GetState} $RadioAll $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $AllUsers 1
    ${Else}
        StrCpy $AllUsers 0
    ${EndIf}
    Call ApplyScope
    StrCpy $Replace 0
    ${If} $OtherDir != ""
        Call AskToReplace
        ; No: back to the choice.
        ${IfThen} $Replace != 1 ${|} Abort ${|}
    ${EndIf}
    Call ElevateIfNeeded
FunctionEnd

; An upgrade goes into the installed folder: no folder to choose.
Function DirectoryPre
    ${IfThen} $Upgrade == 1 ${|} Abort ${|}
FunctionEnd

Function DirectoryShow
    StrCpy $DirShown 1
    StrCpy $DirScope $AllUsers
FunctionEnd

; A new installation never shares a folder with another program: the uninstaller removes what
; the installer wrote there, and a file of the same name (another installer's unins000.exe)
; must be neither replaced nor removed. A folder that is missing, empty or holds only the data
; files an earlier uninstall kept is taken as it is. Another folder gets a Tarvolin folder of
; its own inside it, as long as that one is fit; else nothing is installed.
;   In: $INSTDIR. Out: $0 = 1 and $INSTDIR the folder to install in, or 0 (refused; the
;   interactive setup has said why).
Function SettleFolder
    Push $1
    StrCpy $1 $INSTDIR "" -1
    ${IfThen} $1 == "\" ${|} StrCpy $INSTDIR $INSTDIR -1 ${|}
    ; The folder of the installation this one replaces is emptied first.
    StrCpy $0 1
    ${If} $Replace == 1
    ${AndIf} $INSTDIR == $OtherDir
        Pop $1
        Return
    ${EndIf}
    StrCpy $1 $INSTDIR
    Call FolderIsOurs
    ${If} $0 == 1
        Pop $1
        Return
    ${EndIf}
    StrCpy $INSTDIR "$1\${PRODUCT_NAME}"
    Call FolderIsOurs
    ${If} $0 == 1
        ${IfNot} ${Silent}
            MessageBox MB_OKCANCEL|MB_ICONINFORMATION "$1 holds files of another program.$\r$\n$\r$\n${PRODUCT_NAME} will be installed in a folder of its own inside it:$\r$\n$INSTDIR" IDOK +2
            StrCpy $0 0
        ${EndIf}
    ${Else}
        MessageBox MB_OK|MB_ICONSTOP "$1 holds files of another program, and so does $INSTDIR.$\r$\n$\r$\nChoose another folder for ${PRODUCT_NAME}." /SD IDOK
    ${EndIf}
    ${IfThen} $0 != 1 ${|} StrCpy $INSTDIR $1 ${|}
    Pop $1
FunctionEnd

; $0 = 1 when $INSTDIR is missing, or a folder that holds nothing but MRU.INI, Settings.ini and
; a Tarvo.exe or unins000.exe that is Tarvolin's own (what an uninstall run in place leaves).
Function FolderIsOurs
    Push $1
    Push $2
    StrCpy $0 1
    ${If} ${FileExists} "$INSTDIR\*.*"
        FindFirst $1 $2 "$INSTDIR\*.*"
        ${DoUntil} $2 == ""
            ${If} $2 == "Tarvo.exe"
            ${OrIf} $2 == "unins000.exe"
                Push "$INSTDIR\$2"
                Call IsTarvolinFile
                Pop $0
                ${IfThen} $0 != 1 ${|} ${Break} ${|}
            ${ElseIf} $2 != "."
            ${AndIf} $2 != ".."
            ${AndIf} $2 != "MRU.INI"
            ${AndIf} $2 != "Settings.ini"
                StrCpy $0 0
                ${Break}
            ${EndIf}
            FindNext $1 $2
        ${Loop}
        FindClose $1
    ${ElseIf} ${FileExists} "$INSTDIR"
        ; A file of that name.
        StrCpy $0 0
    ${EndIf}
    Pop $2
    Pop $1
FunctionEnd

; Pops a file's path; pushes 1 when its version record names Tarvolin as the product, else 0.
Function IsTarvolinFile
    Exch $R1
    Push $R2
    Push $R3
    Push $R4
    Push $R5
    StrCpy $R5 0
    System::Call 'version::GetFileVersionInfoSizeW(w R1, p 0) i .R2'
    ${If} $R2 > 0
        System::Alloc $R2
        Pop $R3
        System::Call 'version::GetFileVersionInfoW(w R1, i 0, i R2, p R3) i .R4'
        ${If} $R4 != 0
            System::Call 'version::VerQueryValueW(p R3, w "\StringFileInfo\040904b0\ProductName", *p .R4, *i .R2) i .R1'
            ${If} $R1 != 0
                System::Call 'kernel32::lstrcpynW(w .R1, p R4, i 64)'
                ${IfThen} $R1 S== "${PRODUCT_NAME}" ${|} StrCpy $R5 1 ${|}
            ${EndIf}
        ${EndIf}
        System::Free $R3
    ${EndIf}
    StrCpy $R1 $R5
    Pop $R5
    Pop $R4
    Pop $R3
    Pop $R2
    Exch $R1
FunctionEnd

Function DirectoryLeave
    Call SettleFolder
    ${IfThen} $0 != 1 ${|} Abort ${|}
    ; The page copies its edit box into $INSTDIR as it closes: the box must name the folder.
    FindWindow $0 "#32770" "" $HWNDPARENT
    GetDlgItem $0 $0 1019
    SendMessage $0 ${WM_SETTEXT} 0 "STR:$INSTDIR"
FunctionEnd

; A running Tarvo.exe of the folder cannot be replaced. The interactive installer asks the
; user to close it; a silent one fails before it has changed anything.
Function StopIfRunning
    ${Do}
        Call TarvoRunning
        ${IfThen} $0 == 0 ${|} Return ${|}
        ${If} ${Silent}
            SetErrorLevel 2
            Quit
        ${EndIf}
        ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT_NAME} is running from $INSTDIR.$\r$\n$\r$\nClose it, then choose Retry." IDRETRY`
            SetErrorLevel 1
            Quit
        ${EndIf}
    ${Loop}
FunctionEnd

; A per-user installation's program reads its data in its own folder. A data file that an
; uninstall kept in the user's folder comes back into it, unless the program folder holds one
; of that name already (an upgrade keeps what it finds).
!macro RESTORE_DATA_FILE name
    ${If} ${FileExists} "$UserDataFolder\${name}"
    ${AndIfNot} ${FileExists} "$INSTDIR\${name}"
        Rename "$UserDataFolder\${name}" "$INSTDIR\${name}"
        DetailPrint "${name} found again in $UserDataFolder"
    ${EndIf}
!macroend

Section "-${PRODUCT_NAME}"
    Call StopIfRunning
    Call RemoveOther
    SetOutPath "$INSTDIR"
    ; MRU.INI and Settings.ini are the user's: the installer never writes them.
    File "/oname=Tarvo.exe" "${TARVO_EXE}"
    File "/oname=LICENSE.txt" "../../LICENSE"
    ${If} $AllUsers == 0
        SetShellVarContext current
        StrCpy $UserDataFolder "$APPDATA\${PRODUCT_NAME}"
        !insertmacro RESTORE_DATA_FILE "MRU.INI"
        !insertmacro RESTORE_DATA_FILE "Settings.ini"
        ; Only when empty: it may hold a file that could not come back.
        RMDir "$UserDataFolder"
    ${EndIf}
    WriteUninstaller "$INSTDIR\unins000.exe"

    ; Tarvo.exe without arguments opens its settings window.
    CreateShortcut "$SMPROGRAMS\${PRODUCT_NAME}.lnk" "$INSTDIR\Tarvo.exe" "" \
        "$INSTDIR\Tarvo.exe" 0 SW_SHOWNORMAL "" "Choose the file types that offer ${PRODUCT_NAME}"

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PRODUCT_PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tarvo.exe"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\unins000.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\unins000.exe" /verysilent'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ; In KiB, what the folder holds now.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; --- the uninstaller ---------------------------------------------------------------------------

; Started by its name, the uninstaller copies itself to %TEMP%\~nsu<N>.tmp and runs that copy,
; so that it can remove the program folder; the copy cannot remove its own folder while it
; runs. It leaves that to the system's command interpreter, started hidden from the system
; folder: it reads a pipe that only this process writes to, so its end of file comes when this
; process ends, however it ends (done, cancelled, failed); then it removes the folder, trying
; again for a while until the system has let go of the copy's file. (No "@" before the loop's
; body: Wine's interpreter then runs it only once.)
Function un.RemoveCopyWhenDone
    ${GetFileName} $EXEDIR $0
    StrCpy $0 $0 4
    ${GetParent} $EXEDIR $1
    ${If} $0 != "~nsu"
    ${OrIf} $1 != $TEMP
        Return
    ${EndIf}
    System::Call 'kernel32::CreatePipe(*p .r1, *p .r2, p 0, i 0) i .r0'
    ${IfThen} $0 == 0 ${|} Return ${|}
    ; Only the reading end is handed to the interpreter (HANDLE_FLAG_INHERIT).
    System::Call 'kernel32::SetHandleInformation(p r1, i 1, i 1)'
    ; STARTUPINFOW as the 64-bit system lays it out (104 bytes), with the pipe as standard input
    ; (STARTF_USESTDHANDLES) and the window hidden (STARTF_USESHOWWINDOW, SW_HIDE).
    System::Call '*(i 104, i 0, p 0, p 0, p 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0x101, &i2 0, &i2 0, i 0, p 0, p r1, p 0, p 0) p .r3'
    System::Call '*(p, p, i, i) p .r4'
    StrCpy $5 '"$SYSDIR\cmd.exe" /d /q /v:off /c ""$SYSDIR\find.exe" "~" >nul & for /l %i in (1,1,30) do (if exist "$EXEDIR\" (rd /s /q "$EXEDIR" 2>nul & if exist "$EXEDIR\" "$SYSDIR\ping.exe" -n 2 127.0.0.1 >nul))"'
    ; bInheritHandles, CREATE_NO_WINDOW, started in the system folder.
    System::Call 'kernel32::CreateProcessW(w "$SYSDIR\cmd.exe", w r5, p 0, p 0, i 1, i 0x08000000, p 0, w "$SYSDIR", p r3, p r4) i .r0'
    ${If} $0 != 0
        System::Call '*$4(p .r5, p .r6)'
        System::Call 'kernel32::CloseHandle(p r5)'
        System::Call 'kernel32::CloseHandle(p r6)'
    ${EndIf}
    ; The writing end stays open until this process ends.
    System::Call 'kernel32::CloseHandle(p r1)'
    System::Free $3
    System::Free $4
FunctionEnd

Function un.onInit
    Call un.RemoveCopyWhenDone
    !insertmacro HAS_SWITCH "un." "/?" $0
    !insertmacro HAS_SWITCH "un." "/help" $1
    ${If} $0 == 1
    ${OrIf} $1 == 1
        MessageBox MB_OK|MB_ICONINFORMATION "${PRODUCT_NAME} ${PRODUCT_VERSION} Uninstall$\r$\n$\r$\nunins000.exe [/silent | /verysilent] [/deletedata] [_?=folder]$\r$\n$\r$\n/silent$\tNo questions; the progress is shown.$\r$\n/verysilent$\tNothing shown (/S too).$\r$\n/deletedata$\tAlso delete your argument history and settings (MRU.INI, Settings.ini) instead of keeping them in $APPDATA\${PRODUCT_NAME} for a later installation.$\r$\n_?=folder$\tRun in place, from the program folder, and return the outcome as the exit code; last on the line. unins000.exe and the folder stay.$\r$\n/? or /help$\tThis list.$\r$\n$\r$\nExit codes: 0 removed; 1 cancelled; 2 failed (${PRODUCT_NAME} running, files in use, no rights); 5 another ${PRODUCT_NAME} uninstaller is running." /SD IDOK
        SetErrorLevel 0
        Quit
    ${EndIf}
    StrCpy $Quiet 0
    ${IfThen} ${Silent} ${|} StrCpy $Quiet 1 ${|}
    !insertmacro HAS_SWITCH "un." "/verysilent" $0
    ${If} $0 == 1
        SetSilent silent
        StrCpy $Quiet 1
    ${EndIf}
    !insertmacro HAS_SWITCH "un." "/silent" $0
    ${If} $0 == 1
        StrCpy $Quiet 1
        ; Progress shown, and the window closes by itself when done.
        SetAutoClose true
    ${EndIf}
    !insertmacro HAS_SWITCH "un." "/deletedata" $DeleteData
    Push $Quiet
    Call un.OnlyOne

    SetShellVarContext current
    StrCpy $UserDataFolder "$APPDATA\${PRODUCT_NAME}"
    ; The scope is the one whose entry names this folder.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        SetShellVarContext all
        UserInfo::GetAccountType
        Pop $1
        ${If} $1 != "Admin"
            Call un.Elevate
        ${EndIf}
    ${EndIf}
    Call un.WaitUntilClosed
FunctionEnd

; Removing an installation for every user needs administrator rights: the uninstaller starts
; itself again through the system's elevation prompt, in this same place, and ends with the
; outcome read from the entry.
Function un.Elevate
    !insertmacro HAS_SWITCH "un." "/Elevated" $0
    ${If} $0 == 1
        MessageBox MB_OK|MB_ICONSTOP "Removing ${PRODUCT_NAME} for every user needs administrator rights." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
    StrCpy $0 "/Elevated"
    ${IfThen} $Quiet == 1 ${|} StrCpy $0 "$0 /silent" ${|}
    ${IfThen} ${Silent} ${|} StrCpy $0 "$0 /S" ${|}
    ${IfThen} $DeleteData == 1 ${|} StrCpy $0 "$0 /deletedata" ${|}
    ExecShellWait "runas" "$EXEPATH" "$0 _?=$INSTDIR"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $1 == ""
        SetErrorLevel 0
    ${Else}
        SetErrorLevel 2
    ${EndIf}
    Quit
FunctionEnd

; Waits until no Tarvo.exe of the folder runs: the settings window starts the uninstaller and
; ends right after. A quiet uninstaller gives up after 10 s with exit code 2 and has changed
; nothing; an interactive one asks the user to close the program after a second.
Function un.WaitUntilClosed
    StrCpy $1 0
    StrCpy $2 4
    ${IfThen} $Quiet == 1 ${|} StrCpy $2 40 ${|}
    ${Do}
        Call un.TarvoRunning
        ${IfThen} $0 == 0 ${|} Return ${|}
        ${If} $1 >= $2
            ${If} $Quiet == 1
                SetErrorLevel 2
                Quit
            ${EndIf}
            ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT_NAME} is running from $INSTDIR.$\r$\n$\r$\nClose it, then choose Retry." IDRETRY`
                SetErrorLevel 1
                Quit
            ${EndIf}
            StrCpy $1 0
        ${EndIf}
        Sleep 250
        IntOp $1 $1 + 1
    ${Loop}
FunctionEnd

Function un.ConfirmShow
    ${IfThen} $Quiet == 1 ${|} Abort ${|}
    !insertmacro MUI_HEADER_TEXT "Uninstall ${PRODUCT_NAME}" "Remove ${PRODUCT_NAME} from this computer."
    ; Where the data files will be: a file of the program folder whose name is taken in the
    ; user's folder stays where it is.
    StrCpy $1 ""
    ${If} ${FileExists} "$INSTDIR\MRU.INI"
    ${AndIf} ${FileExists} "$UserDataFolder\MRU.INI"
        StrCpy $1 "MRU.INI"
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\Settings.ini"
    ${AndIf} ${FileExists} "$UserDataFolder\Settings.ini"
        ${If} $1 == ""
            StrCpy $1 "Settings.ini"
        ${Else}
            StrCpy $1 "$1 and Settings.ini"
        ${EndIf}
    ${EndIf}
    StrCpy $2 "Your argument history and settings are kept in $UserDataFolder, where the next installation of ${PRODUCT_NAME} finds them, unless you tick the box below."
    ${If} $1 == "MRU.INI and Settings.ini"
        StrCpy $2 "$2 Both stay in $INSTDIR, because $UserDataFolder holds files of those names already."
    ${ElseIf} $1 != ""
        StrCpy $2 "$2 $1 stays in $INSTDIR, because $UserDataFolder holds a file of that name already."
    ${EndIf}
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 24u "${PRODUCT_NAME} will be removed from $INSTDIR, and the ${PRODUCT_NAME} command from the menus of your file types."
    Pop $0
    ${NSD_CreateLabel} 0 28u 100% 48u "$2"
    Pop $0
    ${NSD_CreateCheckbox} 0 80u 100% 12u "Also &delete my argument history and settings"
    Pop $DataBox
    ${IfThen} $DeleteData == 1 ${|} ${NSD_Check} $DataBox ${|}
    GetDlgItem $0 $HWNDPARENT 1
    SendMessage $0 ${WM_SETTEXT} 0 "STR:&Uninstall"
    nsDialogs::Show
FunctionEnd

Function un.ConfirmLeave
    ${NSD_GetState} $DataBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $DeleteData 1
    ${Else}
        StrCpy $DeleteData 0
    ${EndIf}
FunctionEnd

; Deletes what the program's writers may have left beside the data files: the lock files of an
; earlier version and the temporary files of a write that was cut short.
!macro REMOVE_LEFTOVERS folder
    Delete "${folder}\MRU.INI.lock"
    Delete "${folder}\Settings.ini.lock"
    Delete "${folder}\MRU.INI.tmp*"
    Delete "${folder}\Settings.ini.tmp*"
    Delete "${folder}\.tarvolin-probe.tmp*"
!macroend

; Deletes the data files and their leftovers: only when the user asked for it.
!macro REMOVE_DATA_FILES folder
    Delete "${folder}\MRU.INI"
    Delete "${folder}\Settings.ini"
    !insertmacro REMOVE_LEFTOVERS "${folder}"
!macroend

; Keeps a data file of the program folder for the next installation: it moves into the user's
; folder unless a file of that name stands there, and then it stays where it is (and so does
; the program folder). Nothing is overwritten.
!macro KEEP_DATA_FILE name
    ${If} ${FileExists} "$INSTDIR\${name}"
        ${IfNot} ${FileExists} "$UserDataFolder\${name}"
            CreateDirectory "$UserDataFolder"
            Rename "$INSTDIR\${name}" "$UserDataFolder\${name}"
        ${EndIf}
        ${If} ${FileExists} "$INSTDIR\${name}"
            DetailPrint "${name} is kept in $INSTDIR"
        ${Else}
            DetailPrint "${name} is kept in $UserDataFolder"
        ${EndIf}
    ${EndIf}
!macroend

Section "Uninstall"
    ${If} ${FileExists} "$INSTDIR\Tarvo.exe"
        DetailPrint "Removing the ${PRODUCT_NAME} command from the file types"
        ExecWait '"$INSTDIR\Tarvo.exe" /cleareg'
        Delete "$INSTDIR\Tarvo.exe"
        ${If} ${FileExists} "$INSTDIR\Tarvo.exe"
            ; Started again meanwhile, or no rights: keep the entry so the user can try again.
            DetailPrint "$INSTDIR\Tarvo.exe could not be removed"
            SetErrorLevel 2
            ${IfThen} $Quiet == 1 ${|} Quit ${|}
            Abort "$INSTDIR\Tarvo.exe is in use"
        ${EndIf}
    ${EndIf}
    ${If} $DeleteData == 1
        !insertmacro REMOVE_DATA_FILES "$INSTDIR"
    ${Else}
        !insertmacro KEEP_DATA_FILE "MRU.INI"
        !insertmacro KEEP_DATA_FILE "Settings.ini"
        !insertmacro REMOVE_LEFTOVERS "$INSTDIR"
    ${EndIf}
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\unins000.exe"
    Delete "$SMPROGRAMS\${PRODUCT_NAME}.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    ; Only when empty: the user may keep files of his own there.
    RMDir "$INSTDIR"
    ${If} $DeleteData == 1
        !insertmacro REMOVE_DATA_FILES "$UserDataFolder"
        RMDir "$UserDataFolder"
    ${EndIf}
SectionEnd
