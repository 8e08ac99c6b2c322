; The names the installer, its uninstaller and the winget manifests share.
; scripts/check-winget.py reads these lines: keep them one !define each.
!define PRODUCT_NAME "Tarvolin"
; The version comes from CMakeLists.txt: scripts/build-dist.sh passes it with /DPRODUCT_VERSION=.
!ifndef PRODUCT_VERSION
    !error "define PRODUCT_VERSION (the version in CMakeLists.txt's project())"
!endif
!define PRODUCT_PUBLISHER "Pendrask"
; The key under ...\CurrentVersion\Uninstall that lists the program among the installed ones
; (winget's ProductCode).
!define PRODUCT_KEY_NAME "Tarvolin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT_KEY_NAME}"
