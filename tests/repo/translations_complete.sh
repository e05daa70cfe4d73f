#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every text of the program has its English translation, finished, and the
# translation file holds nothing else: lupdate, run over the sources into a
# copy of translations/vardesca_en.ts, must leave the copy as it is. A text
# added to the code without a translation shows as "unfinished", one taken
# out as "vanished".
#   translations_complete.sh SOURCE_DIR LUPDATE
set -euo pipefail
src=$1
lupdate=$2
ts=$src/translations/vardesca_en.ts
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/vardesca_en.ts"
cd "$src"
"$lupdate" -silent text picture view dialogs commands session browse window app -ts "$work/vardesca_en.ts" \
    -source-language it_IT -target-language en_US -locations none >/dev/null 2>&1
status=0
if grep -n 'type="unfinished"\|type="vanished"\|type="obsolete"\|<translation></translation>' \
        "$work/vardesca_en.ts"; then
    echo "texts without a finished English translation (above): translate them in $ts" >&2
    status=1
fi
if ! diff -u "$ts" "$work/vardesca_en.ts"; then
    echo "$ts is not what lupdate makes of the sources: run lupdate (see the README)" >&2
    status=1
fi
exit $status
