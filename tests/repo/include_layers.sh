#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a folder of the program includes one above it. From the bottom:
# engine, text, picture, view, dialogs, commands, session, browse, window, app — each may include only those
# below it (and itself).
#   include_layers.sh REPOSITORY_ROOT
set -euo pipefail
cd "${1:?repository root}"
layers=(engine text picture view dialogs commands session browse window app)
bad=0
for i in "${!layers[@]}"; do
    folder=${layers[$i]}
    above=("${layers[@]:$((i + 1))}")
    [ ${#above[@]} -eq 0 ] && continue
    pattern="#include \"($(IFS='|'; echo "${above[*]}"))/"
    if grep -nE "$pattern" "$folder"/*.cpp "$folder"/*.h 2>/dev/null; then
        echo "$folder/ includes a folder above it"
        bad=1
    fi
done
[ "$bad" -eq 0 ] && echo "no folder includes one above it"
exit "$bad"
