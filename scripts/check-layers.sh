#!/usr/bin/env bash
# Checks that the program's own includes point one way through the layers:
#   app -> ui -> commands -> list, opener -> base
# and that nothing below ui/ includes a Qt Gui or Qt Widgets header (the build refuses those
# too; this names every offender at once). Prints each wrong include and exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/../src"

# The folders each layer may include from, besides the system and Qt's Core.
declare -A allowed=(
    [base]="base"
    [list]="base list"
    [opener]="base opener"
    [commands]="base list opener commands"
    [ui]="base list opener commands ui"
    [app]="base list opener commands ui app"
)
gui_pattern='#include <(QtGui/|QtWidgets/|Q(Widget|Application|Gui[A-Za-z]*|Painter|Pixmap|Image|Icon|Cursor|Color|Font|Palette)\b)'

status=0
for layer in "${!allowed[@]}"; do
    [ -d "$layer" ] || continue
    pattern=$(printf '%s|' ${allowed[$layer]})
    pattern="#include \"(${pattern%|})/"
    while IFS= read -r line; do
        echo "src/$line: $layer/ may include only from: ${allowed[$layer]}"
        status=1
    done < <(grep -rn --include='*.h' --include='*.cpp' -E '#include "[a-z]+/' "$layer" |
             grep -v -E "$pattern" || true)
    if [ "$layer" != ui ] && [ "$layer" != app ]; then
        while IFS= read -r line; do
            echo "src/$line: Qt Gui and widgets belong in ui/"
            status=1
        done < <(grep -rn --include='*.h' --include='*.cpp' -E "$gui_pattern" "$layer" || true)
    fi
done
exit $status
