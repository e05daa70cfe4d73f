#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a script, a CMake file, a test, a fuzz target or a benchmark names a
# path outside the repository: a clone alone must build and test.
#   paths_inside_repo.sh REPOSITORY_ROOT
set -euo pipefail
root=${1:?repository root}
cd "$root"
self=tests/repo/paths_inside_repo.sh

# What reaches out of the repository: the project's directory and then "..", a
# walk up from the working directory, the team's shared folder, a machine path.
pattern='(PROJECT_SOURCE_DIR|CMAKE_SOURCE_DIR)\}/\.\.|cd \.\.([^/]|$)|shared/testdata|\.\./shared|/work/'

mapfile -t files < <(find . -path ./.git -prune -o -path './build*' -prune \
    -o -path ./tests/corpus -prune -o -path ./fuzz/regression -prune \
    -o -type f \( -name '*.sh' -o -name 'CMakeLists.txt' -o -name '*.cmake' \
    -o -name '*.cpp' -o -name '*.h' -o -path './.ci/*' \) -print | sort)

bad=0
checked=0
for f in "${files[@]}"; do
    [ "${f#./}" = "$self" ] && continue
    checked=$((checked + 1))
    if grep -nE "$pattern" "$f" >/tmp/paths-inside-repo.$$ 2>/dev/null; then
        sed "s|^|${f#./}:|" /tmp/paths-inside-repo.$$
        bad=$((bad + 1))
    fi
done
rm -f /tmp/paths-inside-repo.$$
[ "$checked" -gt 20 ] || { echo "only $checked files found: wrong root?"; exit 1; }
if [ "$bad" -ne 0 ]; then
    echo "$bad file(s) name a path outside the repository"
    exit 1
fi
echo "$checked files name no path outside the repository"
