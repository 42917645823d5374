#!/usr/bin/env bash
# Checks that the program's own includes point one way through the layers:
#   app -> ui -> commands -> list, opener -> base
# and that nothing below ui/ includes a Qt Gui or Qt Widgets header. The build refuses most
# wrong includes (each layer's library sees only the layers it links); this also follows
# relative includes ("../list/File.h", "mdbreader/../../ui/File.h") and names every offender at
# once. Prints each wrong include and exits non-zero.
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

# included_layer FILE INCLUDE: the layer folder that INCLUDE, written in FILE, resolves to: beside
# FILE first (as the compiler looks), else from src/. Prints "outside" for a path that leaves src/.
included_layer() {
    local file=$1 include=$2 path
    path=$(dirname "$file")/$include
    [ -e "$path" ] || path=$include
    path=$(realpath -m --relative-to=. "$path")
    case $path in
    ../* | /*) echo outside ;;
    */*) echo "${path%%/*}" ;;
    *) echo . ;;
    esac
}

status=0
for layer in "${!allowed[@]}"; do
    [ -d "$layer" ] || continue
    while IFS=: read -r file line include; do
        include=${include#*\"}
        include=${include%%\"*}
        target=$(included_layer "$file" "$include")
        if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
            echo "src/$file:$line: includes \"$include\" ($target/); $layer/ may include only from: ${allowed[$layer]}"
            status=1
        fi
    done < <(grep -rn --include='*.h' --include='*.cpp' -E '^\s*#\s*include\s+"' "$layer" || true)
    if [ "$layer" != ui ] && [ "$layer" != app ]; then
        while IFS= read -r line; do
            echo "src/$line: Qt Gui and widgets belong in ui/"
            status=1
        done < <(grep -rn --include='*.h' --include='*.cpp' -E "$gui_pattern" "$layer" || true)
    fi
done
exit $status
