; Reading the switches of the command line, in any letter case.

!include LogicLib.nsh

; Defines <prefix>HasSwitch: pops a switch ("/AllUsers") and pushes 1 when the command line
; holds it as a word of its own, else 0. Letter case does not count (StrCmp ignores it). The
; words end at the first one starting with "_?=", which NSIS keeps for the folder and which
; may hold anything.
!macro HAS_SWITCH_FUNCTION prefix
Function ${prefix}HasSwitch
    Exch $0
    Push $1
    Push $2
    Push $3
    Push $4
    StrCpy $1 0
    StrCpy $2 ""
    StrCpy $4 0
    ${Do}
        StrCpy $3 $CMDLINE 1 $1
        ${If} $3 == " "
        ${OrIf} $3 == "$\t"
        ${OrIf} $3 == ""
            ${If} $2 == $0
                StrCpy $4 1
                ${Break}
            ${EndIf}
            StrCpy $2 ""
            ${IfThen} $3 == "" ${|} ${Break} ${|}
        ${Else}
            StrCpy $2 "$2$3"
            ${IfThen} $2 == "_?=" ${|} ${Break} ${|}
        ${EndIf}
        IntOp $1 $1 + 1
    ${Loop}
    StrCpy $0 $4
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd
!macroend

; $out = 1 when the command line holds the switch.
!macro HAS_SWITCH prefix switch out
    Push "${switch}"
    Call ${prefix}HasSwitch
    Pop ${out}
!macroend
