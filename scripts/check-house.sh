#!/usr/bin/env bash
# The house rules, checked on the source tree: platform headers (the Windows SDK's, Qt's)
# only in a front-end folder or a platform/<system>/ folder, and nothing below a front end
# includes one. Prints each breach and exits non-zero when there is one.
set -uo pipefail
cd "$(dirname "$0")/.."

breaches=0
report() {
    echo "house rule broken: $1"
    breaches=$((breaches + 1))
}

# Headers that belong to one window system or operating system.
platform_headers='^[[:space:]]*#[[:space:]]*include[[:space:]]*<(windows|winbase|winuser|winreg|shlobj|shellapi|shlwapi|objbase|ole2|commctrl|commdlg|shobjidl|uxtheme|dwmapi|Q[A-Za-z]+|Qt[A-Za-z]*/[^>]*)(\.h)?>'

while IFS= read -r -d '' file; do
    case "$file" in
        src/frontend/*) continue ;;
        src/platform/*/*) ;;  # a platform/<system>/ folder may use its own system's headers
        *)
            if grep -Eq "$platform_headers" "$file"; then
                report "$file includes a platform header"
            fi
            ;;
    esac
    if grep -Eq '#[[:space:]]*include[[:space:]]*"frontend/' "$file"; then
        report "$file is below the front ends but includes one"
    fi
done < <(find src -type f \( -name '*.h' -o -name '*.cpp' \) -print0)

# A platform/<system>/ folder serves the core: it never reaches up into the core's forms.
while IFS= read -r -d '' file; do
    if grep -Eq '#[[:space:]]*include[[:space:]]*"(dialog|settings|app|storage|complete)/' "$file"; then
        report "$file (a platform service) includes a layer above it"
    fi
done < <(find src/platform -mindepth 2 -type f \( -name '*.h' -o -name '*.cpp' \) -print0)

if [ "$breaches" -eq 0 ]; then
    echo "house rules hold"
fi
[ "$breaches" -eq 0 ]
