; The names and the version the installer, its uninstaller and the winget manifests share.
; scripts/check-winget.py reads these lines: keep them one !define each.
!define PRODUCT_NAME "Tarvolin"
!define PRODUCT_VERSION "2.6.0.2"
!define PRODUCT_PUBLISHER "Pendrask"
; The key under ...\CurrentVersion\Uninstall that lists the program among the installed ones
; (winget's ProductCode).
!define PRODUCT_KEY_NAME "Tarvolin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT_KEY_NAME}"
