#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end test in a real X server: the installed program, driven only through
# X input as a person would — open a photograph through the open dialog,
# calibrate on its two reference bars, measure three fish, export to the
# clipboard and to a file through the save dialog — and the bytes compared with
# what the program must write under Italian settings. On the way it fits the
# photo (Ctrl+0), zooms to 200 % from the keypad and measures a fourth fish
# there, which must come out as it would at 100 %; then it zooms four notches
# of Ctrl+wheel on a point near the photo's edge and clicks it there, which
# must still be that point. Then it undoes that last line (Ctrl+Z: the
# clipboard holds four lines) and redoes it (Ctrl+Shift+Z). Last, it drags the
# tail point of the first fish 50 px further (a press on the point, the
# pointer moved, let go): the first line becomes 7 cm in place, the rest as
# they were, in the clipboard byte for byte.
# A second run starts with the photo on the command line, measures a fish on
# it and one on the next photo of the folder (Ctrl+PgDn), and saves the
# measurement table (Ctrl+T), compared byte for byte; the settings of the first
# run must be in the program's own file, with no QtProject.conf beside it.
# A third run, started on a copy of the photo whose name is not UTF-8 (as old
# cameras and FAT cards give), measures a fish, takes a typed note and is
# killed (SIGKILL); the next start recovers the session (Sì), the photo
# reopened by its name's own bytes, and the copied text is compared.
# Between them, a start on the photo the second run measured last must show
# its marks as they were left, pixel for pixel, and number the next fish 2;
# the first run's record of the dragged fish is checked on the way.
# A fourth run under LANG=en_US.UTF-8: English instructions, boxes and buttons
# (Yes is the default), "." decimals, copied and saved.
#   x_end_to_end.sh [PROGRAM] [OUTPUT_DIR]
set -euo pipefail

program=${1:-vardesca}
out=${2:-build/e2e}
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
display=:$((90 + RANDOM % 9))

cleanup() {
    [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "E2E FAILED: $*" >&2
    DISPLAY=$display import -window root "$out/e2e-failure.png" 2>/dev/null || true
    exit 1
}

# The photograph: two reference bars (500 px = 10 cm, 250 px = 5 cm, so 50 px a
# cm), three fish of 300, 223.6 and 337 px, and a fourth of 200 px measured at
# 200 %.
convert -size 620x440 xc:'#4f7390' \
    -stroke white -strokewidth 5 -draw "line 40,30 540,30" -draw "line 600,40 600,290" \
    -stroke '#c8b060' -strokewidth 9 \
    -draw "line 60,120 360,120" -draw "line 400,150 500,350" -draw "line 100,400 437,400" \
    -draw "line 60,200 260,200" \
    -quality 92 "$work/pesci.jpg"
cp "$work/pesci.jpg" "$work/pesci2.jpg"
# The program's settings and journal go here, not into the account running
# the test.
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

LANG=it_IT.UTF-8 LC_ALL= LC_NUMERIC= "$program" >"$out/e2e-program.log" 2>&1 &
app=$!
main=$(xdotool search --sync --name '^Vardesca$' | head -n 1)
xdotool windowmove --sync "$main" 0 0
sleep 0.5

# Focus the box with this title and wait until it has the keyboard.
focus() {
    local w
    w=$(xdotool search --sync --onlyvisible --name "$1" | tail -n 1)
    xdotool windowfocus --sync "$w"
    sleep 0.3
}

# A click on the main window at (x, y) pixels.
click() {
    xdotool mousemove --window "$main" "$1" "$2" click 1
    sleep 0.25
}

# The exit question answered with its default, Yes: the program must end.
#   answer_yes_and_end WHAT COMMAND…   (WHAT names the command in a failure)
answer_yes_and_end() {
    local what=$1
    shift
    "$@"
    focus '^Vardesca$'
    sleep 0.2
    xdotool key Return
    for _ in $(seq 30); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app" 2>/dev/null && fail "the program did not end after $what"
    app=
}

# Copia i dati answered with its default (Sì / Yes): the clipboard into FILE.
#   copy_results QUESTION_TITLE FILE
copy_results() {
    click "${copia_button[@]}"
    focus "$1"
    xdotool key Return
    sleep 0.5
    xclip -o -selection clipboard >"$2"
}

# The picture lies at (10, 10) in the window once loaded (no scrolling needed).
photo() { click $((10 + $1)) $((10 + $2)); }

# Buttons, from the layout of a 808 × 559 window: their centres.
open_button=(63 511); inizia_button=(180 511); copia_button=(734 511); esci_button=(530 511)

click "${open_button[@]}"
focus '^Apri$'
xdotool type --delay 20 "$work/pesci.jpg"
xdotool key Return
sleep 1
xdotool getwindowname "$main" | grep -q "pesci.jpg" || fail "the photograph did not open"

click "${inizia_button[@]}"
focus 'Calibrazione \(1 di 3\)'
xdotool key Return
sleep 0.3

photo 40 30
photo 540 30
focus 'Calibrazione \(2 di 3\)'
xdotool type "10"
xdotool key Return
sleep 0.3
photo 600 40
photo 600 290
focus 'Calibrazione \(3 di 3\)'
xdotool type "5"
xdotool key Return
sleep 0.3

photo 60 120
photo 360 120
photo 400 150
photo 500 350
photo 100 400
photo 437 400
xdotool getwindowname "$main" | grep -q '50,00 px/cm' || fail "no scale in the caption: $(xdotool getwindowname "$main")"

# Fit, then 100 % and two steps up from the keypad: 200 %. The arrows (the photo
# has the keyboard since the last click) bring the picture's corner back to the
# viewport's, so photo point (x, y) is at window pixel (10 + 2x, 10 + 2y).
xdotool key ctrl+0
sleep 0.3
xdotool getwindowname "$main" | grep -q ' %' || fail "Ctrl+0 did not fit: $(xdotool getwindowname "$main")"
xdotool key ctrl+1 ctrl+KP_Add ctrl+KP_Add
sleep 0.3
xdotool getwindowname "$main" | grep -q '— 200 %' || fail "not at 200 %: $(xdotool getwindowname "$main")"
for _ in $(seq 30); do xdotool key Left Up; done
sleep 0.3
click $((10 + 2 * 60)) $((10 + 2 * 200))
click $((10 + 2 * 260)) $((10 + 2 * 200))
import -window root "$out/e2e-zoomed.png"
xdotool key ctrl+1
sleep 0.3

# Ctrl+wheel keeps the pointed point under the pointer, even where the photo
# must then stand beyond its edge: four notches (100 → 400 %) on the lower end
# of the short reference bar, near the photo's right edge, and a click there;
# back at 100 %, a click on its upper end: 250 px, a fifth line of 5 cm.
xdotool mousemove --window "$main" 610 300
sleep 0.2
xdotool keydown ctrl click 4 click 4 click 4 click 4 keyup ctrl
sleep 0.5
xdotool getwindowname "$main" | grep -q '— 400 %' || fail "not at 400 %: $(xdotool getwindowname "$main")"
import -window root "$out/e2e-wheel-zoomed.png"
click 610 300
xdotool key ctrl+1
sleep 0.3
click 610 50

printf '1\t6\r\n2\t4,47\r\n3\t6,74\r\n4\t4\r\n' >"$work/expected-undone"
printf '1\t6\r\n2\t4,47\r\n3\t6,74\r\n4\t4\r\n5\t5\r\n' >"$work/expected"

# Undo the fifth line (the photo has the keyboard since the click on it).
xdotool key ctrl+z
sleep 0.3
copy_results 'Vuoi copiare i dati' "$work/clipboard-undone"
cmp "$work/expected-undone" "$work/clipboard-undone" ||
    fail "after undo the clipboard holds: $(od -An -c "$work/clipboard-undone")"
# The keyboard back to the window through the grey of the viewport beside the
# photo (not a click on the photo, which would end what can be redone); redo.
click 645 200
xdotool key ctrl+shift+z
sleep 0.3

# Clipboard: Sì is the default button.
copy_results 'Vuoi copiare i dati' "$work/clipboard"
cmp "$work/expected" "$work/clipboard" || fail "clipboard holds: $(od -An -c "$work/clipboard")"

# File: No, then the save dialog.
click "${copia_button[@]}"
focus 'Vuoi copiare i dati'
xdotool key Tab space
sleep 0.5
focus '^(Salva|Save)'
xdotool type --delay 20 "$work/misure.txt"
xdotool key Return
sleep 0.5
[ -f "$work/misure.txt" ] || fail "no file was written"
printf '\r\n' | cat "$work/expected" - | cmp - "$work/misure.txt" || fail "file bytes differ"

# The first fish's tail, at photo (360, 120), dragged to (410, 120): 350 px.
xdotool mousemove --window "$main" 370 130 sleep 0.2 mousedown 1 sleep 0.2 \
    mousemove --window "$main" 390 130 sleep 0.2 mousemove --window "$main" 420 130 sleep 0.2 \
    mouseup 1
sleep 0.3
printf '1\t7\r\n2\t4,47\r\n3\t6,74\r\n4\t4\r\n5\t5\r\n' >"$work/expected-dragged"
copy_results 'Vuoi copiare i dati' "$work/clipboard-dragged"
cmp "$work/expected-dragged" "$work/clipboard-dragged" ||
    fail "after the drag the clipboard holds: $(od -An -c "$work/clipboard-dragged")"

import -window root "$out/e2e.png"

# Esci, Sì: the program ends.
answer_yes_and_end "Esci" click "${esci_button[@]}"
[ -f "$XDG_CONFIG_HOME/vardesca/vardesca.conf" ] || fail "no settings were remembered"
[ -z "$(find "$XDG_CONFIG_HOME" -name QtProject.conf)" ] || fail "a QtProject.conf was left"

# The folder's record of the first run: the two references and five fish,
# the first at its dragged length. Kept aside: the second run starts the
# photo afresh.
record=$work/misure-vardesca.csv
[ -f "$record" ] || fail "no measurement record beside the photo"
head -n 1 "$record" | cmp - <(printf 'vardesca-misure;1\r\n') || fail "the record's first line: $(head -n 1 "$record")"
[ "$(grep -c '^pesci\.jpg;riferimento;' "$record")" = 2 ] || fail "record: $(cat -A "$record")"
grep -q '^pesci\.jpg;misura;1;7,00;60,000;120,000;410,000;120,000;50,000;620;440;' "$record" ||
    fail "the dragged fish is not in the record: $(cat -A "$record")"
mv "$record" "$work/misure-prima.csv"

# The second run: the photo from the command line, then the next one.
LANG=it_IT.UTF-8 LC_ALL= LC_NUMERIC= "$program" "$work/pesci.jpg" >>"$out/e2e-program.log" 2>&1 &
app=$!
main=$(xdotool search --sync --name '^Vardesca \[.*pesci\.jpg\]$' | head -n 1)
xdotool windowmove --sync "$main" 0 0
sleep 0.5

# Calibrate as before and measure one fish from (x0, y0) to (x1, y1).
calibrate_and_measure() {
    click "${inizia_button[@]}"
    focus 'Calibrazione \(1 di 3\)'
    xdotool key Return
    sleep 0.3
    photo 40 30
    photo 540 30
    focus 'Calibrazione \(2 di 3\)'
    xdotool type "10"
    xdotool key Return
    sleep 0.3
    photo 600 40
    photo 600 290
    focus 'Calibrazione \(3 di 3\)'
    xdotool type "5"
    xdotool key Return
    sleep 0.3
    photo "$1" "$2"
    photo "$3" "$4"
}
calibrate_and_measure 60 120 360 120
xdotool key ctrl+Next
sleep 1
xdotool getwindowname "$main" | grep -q 'pesci2\.jpg' ||
    fail "Ctrl+PgDn did not open the next photo: $(xdotool getwindowname "$main")"
calibrate_and_measure 400 150 500 350
import -window root "$out/e2e-left.png"

xdotool key ctrl+t
sleep 0.5
focus '^(Salva|Save)'
xdotool key ctrl+a
xdotool type --delay 20 "$work/tabella.csv"
xdotool key Return
sleep 0.5
[ -f "$work/tabella.csv" ] || fail "no table was written"
{
    printf 'foto;numero;lunghezza (cm);x0 (px);y0 (px);x1 (px);y1 (px);scala (px/cm);'
    printf 'riferimento 1 (px/cm);riferimento 2 (px/cm)\r\n'
    printf 'pesci.jpg;1;6,00;60,000;120,000;360,000;120,000;50,000;50,000;50,000\r\n'
    printf 'pesci2.jpg;1;4,47;400,000;150,000;500,000;350,000;50,000;50,000;50,000\r\n'
} | cmp - "$work/tabella.csv" || fail "table differs: $(cat -A "$work/tabella.csv")"
import -window root "$out/e2e-table.png"

# Ctrl+Q asks as Esci does; Sì ends the program. The keyboard first back to
# the window, through the grey beside the photo (there is no window manager to
# give it back when the save dialog closes).
click 645 200
answer_yes_and_end "Ctrl+Q" xdotool key ctrl+q
[ -z "$(ls "$XDG_STATE_HOME/vardesca")" ] || fail "a journal was left after a normal end"

# The program started again on the photo last measured: its marks as they
# were left (the photo's part of the screen, pixel for pixel), the scale in
# the caption, and the next fish numbered 2.
LANG=it_IT.UTF-8 LC_ALL= LC_NUMERIC= "$program" "$work/pesci2.jpg" >>"$out/e2e-program.log" 2>&1 &
app=$!
main=$(xdotool search --sync --name '^Vardesca \[.*pesci2\.jpg\]' | head -n 1)
xdotool windowmove --sync "$main" 0 0
sleep 0.8
xdotool getwindowname "$main" | grep -q '50,00 px/cm' ||
    fail "the measured photo came back without its scale: $(xdotool getwindowname "$main")"
# The pointer where the last click left it, for the loupe to show the same.
xdotool mousemove --window "$main" 510 360
sleep 0.5
import -window root "$out/e2e-restarted.png"
for shot in left restarted; do
    convert "$out/e2e-$shot.png" -crop 620x440+10+10 +repage "$work/photo-$shot.png"
done
differing=$(compare -metric AE "$work/photo-left.png" "$work/photo-restarted.png" null: 2>&1 || true)
[ "$differing" = 0 ] || fail "the marks came back otherwise: $differing pixels differ"
photo 60 200
photo 260 200
copy_results 'Vuoi copiare i dati' "$work/clipboard-restarted"
printf '2\t4\r\n' | cmp - "$work/clipboard-restarted" ||
    fail "after the restart the clipboard holds: $(od -An -c "$work/clipboard-restarted")"
answer_yes_and_end "the restart" click "${esci_button[@]}"

# The third run, killed after a measurement and a note.
odd="$work/$(printf 'pesci\xff\xfe.jpg')"
cp "$work/pesci.jpg" "$odd"
LANG=it_IT.UTF-8 LC_ALL= LC_NUMERIC= "$program" "$odd" >>"$out/e2e-program.log" 2>&1 &
app=$!
main=$(xdotool search --sync --name '^Vardesca \[.*pesci.*\.jpg\]$' | head -n 1)
xdotool windowmove --sync "$main" 0 0
sleep 0.5
calibrate_and_measure 60 120 360 120
click 734 300
xdotool key ctrl+End
xdotool type --delay 20 "nota"
sleep 1.5  # the journal takes the box's text within a second
kill -9 "$app"
wait "$app" 2>/dev/null || true
app=

LANG=it_IT.UTF-8 LC_ALL= LC_NUMERIC= "$program" >>"$out/e2e-program.log" 2>&1 &
app=$!
focus '^Recupero della sessione$'
xdotool key Return
sleep 1
main=$(xdotool search --sync --name '^Vardesca \[.*pesci.*\.jpg\]' | head -n 1)
xdotool windowmove --sync "$main" 0 0
sleep 0.3
xdotool getwindowname "$main" | grep -q '50,00 px/cm' ||
    fail "the calibration did not come back: $(xdotool getwindowname "$main")"
copy_results 'Vuoi copiare i dati' "$work/clipboard-recovered"
printf '1\t6\r\nnota' | cmp - "$work/clipboard-recovered" ||
    fail "after recovery the clipboard holds: $(od -An -c "$work/clipboard-recovered")"
import -window root "$out/e2e-recovered.png"
answer_yes_and_end "the recovery" click "${esci_button[@]}"
# The fourth run, in English with the number conventions of the United States.
LANG=en_US.UTF-8 LANGUAGE= LC_ALL= LC_NUMERIC= LC_MESSAGES= "$program" >>"$out/e2e-program.log" 2>&1 &
app=$!
main=$(xdotool search --sync --name '^Vardesca$' | head -n 1)
xdotool windowmove --sync "$main" 0 0
sleep 0.5
# The instructions, copied as they stand: in English.
click "${copia_button[@]}"
focus 'Do you want to copy the data'
xdotool key Return
sleep 0.5
[ "$(xclip -o -selection clipboard | head -c 18)" = 'Your measurements ' ] ||
    fail "the instructions are not in English: $(xclip -o -selection clipboard | head -c 60)"
click "${open_button[@]}"
focus '^Open$'
# A folder of its own: no measurements recorded there yet.
mkdir "$work/english"
cp "$work/pesci.jpg" "$work/english/pesci.jpg"
xdotool type --delay 20 "$work/english/pesci.jpg"
xdotool key Return
sleep 1
xdotool getwindowname "$main" | grep -q "pesci.jpg" || fail "the photograph did not open in English"
click "${inizia_button[@]}"
focus 'Calibration \(1 of 3\)'
xdotool key Return
sleep 0.3
photo 40 30
photo 540 30
focus 'Calibration \(2 of 3\)'
xdotool type "10"
xdotool key Return
sleep 0.3
photo 600 40
photo 600 290
focus 'Calibration \(3 of 3\)'
xdotool type "5.0"
xdotool key Return
sleep 0.3
photo 60 120
photo 360 120
photo 400 150
photo 500 350
xdotool getwindowname "$main" | grep -q '50.00 px/cm, references' ||
    fail "no English caption: $(xdotool getwindowname "$main")"
printf '1\t6\r\n2\t4.47\r\n' >"$work/expected-english"
copy_results 'Do you want to copy the data' "$work/clipboard-english"
cmp "$work/expected-english" "$work/clipboard-english" ||
    fail "in English the clipboard holds: $(od -An -c "$work/clipboard-english")"
click "${copia_button[@]}"
focus 'Do you want to copy the data'
xdotool key Tab space
sleep 0.5
focus '^Save'
xdotool type --delay 20 "$work/measurements.txt"
xdotool key Return
sleep 0.5
printf '\r\n' | cat "$work/expected-english" - | cmp - "$work/measurements.txt" ||
    fail "the English file's bytes differ"
import -window root "$out/e2e-english.png"
answer_yes_and_end "Exit" click "${esci_button[@]}"
echo "e2e: 1 passed, 0 failed"
