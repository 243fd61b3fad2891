#!/usr/bin/env bash
# End-to-end test of zolm-converter.exe under Wine on a real X session: Xvfb
# with openbox, keys and clicks sent with xdotool as a person types, and the
# window read back from outside by zolm-probe.exe under the same Wine (text,
# selection and focus of each control, as an accessibility client reads
# them). Usage: tests/win32/desktop_test.sh [BUILD_FOLDER]
#
# Wine runs in the build folder's prefix; the test ends its server there with
# wineserver -k and every other process it starts by its id. Bounded to two
# minutes.
set -uo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build-windows}"

test_name="windows desktop test"
source tests/lib/x_session.sh
bounded 120 "$@"

use_wine "$build"
need Xvfb openbox xdotool xclip xprop xmessage wineserver "$wine"
for exe in zolm-converter.exe zolm-probe.exe zolm-tests.exe zolm.exe; do
  [ -f "$build/$exe" ] || { echo "$test_name: $build/$exe is missing" >&2; exit 1; }
done

on_fail() { [ -s "$work/state" ] && sed 's/^/  /' "$work/state" >&2; }
begin_session
start_display 1280x720
start_window_manager

start_wine_server

set_dpi() { "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }

start_program() {
  "$wine" "$build/zolm-converter.exe" >"$work/program.log" 2>&1 &
  program=$!
  pids+=("$program")
  window="$(timeout 20 xdotool search --sync --onlyvisible --name '^Zolm Converter$' | head -1)"
  [ -n "$window" ] || fail "the window did not appear: $(cat "$work/program.log")"
  # Mapped; now wait until the probe reads it with the focus in place.
  for _ in $(seq 50); do
    probe state && grep -q '^focus tCus' "$work/state" && break
    sleep 0.1
  done
  "$wine" "$build/zolm-probe.exe" places >"$work/places" || fail "the probe found no window"
}

probe() { "$wine" "$build/zolm-probe.exe" "${1:-state}" >"$work/state" 2>/dev/null; }
# The line of a text box: NAME START END TEXT.
box() { grep "^$1 " "$work/state" | head -1; }
centre() { awk -v n="$1" '$1 == n { print $2 + int($4 / 2), $3 + int($5 / 2) }' "$work/places"; }
# Keys and clicks return at once; each step then waits for what it caused,
# probing until it shows (up to ten seconds), so a slow machine only waits.
click() {  # click CONTROL [BUTTON]
  # shellcheck disable=SC2046
  xdotool mousemove $(centre "$1") click "${2:-1}"
}
keys() { xdotool key --delay 40 "$@"; }
type_text() { xdotool type --delay 40 -- "$1"; }
# until_state WHAT COMMAND...: probes until COMMAND succeeds on the state.
until_state() {
  local what="$1" _
  shift
  for _ in $(seq 100); do
    probe
    "$@" && return 0
    sleep 0.1
  done
  fail "$what: $(tr '\n' ';' <"$work/state")"
}
box_is() { [ "$(box "$1" | cut -d' ' -f2-)" = "$2" ]; }
text_is() { [ "$(box "$1" | cut -d' ' -f4-)" = "$2" ]; }
focus_is() { grep -q "^focus $1\$" "$work/state"; }
# expect CONTROL "START END TEXT" WHAT
expect() { until_state "$3: $1 is not \"$2\"" box_is "$1" "$2" && echo "ok: $3"; }
expect_focus() { until_state "$2: the focus is not on $1" focus_is "$1"; }
expect_text() { until_state "$3: $1 does not hold \"$2\"" text_is "$1" "$2"; }
set_field() {
  click "$1"
  expect_focus "$1" "a click into $1"
  keys ctrl+a
  type_text "$2"
  expect_text "$1" "$2" "typing into $1"
}

# apart WHEN: every control of the last places lies within the client area,
# and no box or button overlaps another.
apart() {
  local overlaps
  overlaps="$(awk '
    $1 == "client" { cx = $2; cy = $3; cw = $4; ch = $5; next }
    { n[++k] = $1; x[k] = $2 - cx; y[k] = $3 - cy; w[k] = $4; h[k] = $5
      if (x[k] < 0 || y[k] < 0 || x[k] + w[k] > cw || y[k] + h[k] > ch) print $1 " reaches beyond the client area" }
    END {
      for (i = 1; i <= k; i++) for (j = i + 1; j <= k; j++)
        if (n[i] !~ /^Label/ && n[j] !~ /^Label/ && x[i] < x[j] + w[j] && x[j] < x[i] + w[i] &&
            y[i] < y[j] + h[j] && y[j] < y[i] + h[i])
          print n[i] " overlaps " n[j]
    }' "$work/places")"
  [ -z "$overlaps" ] || fail "$1: $(tr '\n' ';' <<<"$overlaps")"
}

set_dpi 96
start_program
apart "at 96 dots per inch"

expect tCus "0 17 48 65 6C 6C 6F 21" "at start-up tCus has the focus, its text selected"
expect_focus tCus "start-up"

# What a screen reader hears for each box and button: the form's names.
probe names
expected_names="$(printf '%s\n' "tCus Custom codes" "tBase Radix" "tHex Hex codes" \
  "tAsc Ascii text" "tDec Decimal codes" "hex Convert hex codes" "ascc Convert Ascii text" \
  "dec Convert decimal codes" "cus Convert custom codes")"
[ "$(cat "$work/state")" = "$expected_names" ] ||
  fail "accessible names: $(tr '\n' ';' <"$work/state")"
echo "ok: every box and button has its accessible name"

# The three control pictures drawn as three glyphs, none of them the box of
# a character no font has.
"$wine" "$build/zolm-probe.exe" drawn tAsc U+2400 U+240A U+240D U+0378 >"$work/drawn"
[ "$(cut -d' ' -f2 "$work/drawn" | sort -u | wc -l)" = 4 ] ||
  fail "the control pictures look alike: $(tr '\n' ';' <"$work/drawn")"
"$wine" "$build/zolm-probe.exe" set tAsc 'Hello!'
echo "ok: the control pictures are three glyphs of their own"

click tAsc
expect_focus tAsc "a click"
expect tAsc "0 6 Hello!" "a click selects the whole row"

click tCus
expect_focus tCus "a click"
for name in tBase tHex tAsc tDec hex ascc dec cus tCus; do
  keys Tab
  expect_focus "$name" "Tab to $name"
done
expect tCus "0 17 48 65 6C 6C 6F 21" "nine Tabs walk round to tCus, each box selected on arrival"

set_field tAsc "Hi"
keys Tab Tab Tab
expect_focus ascc "Tab to the Ascii row's button"
keys Return
expect tDec "0 0 72 105" "Return on the Ascii row's button converts"

while read -r source text button target expected; do
  set_field "$source" "${text//_/ }"
  click "$button"
  expect_text "$target" "${expected//_/ }" "Convert of the $button row"
  echo "ok: Convert of the $button row"
done <<'ROWS'
tDec 65_66_67 dec tAsc ABC
tHex 41_42 hex tDec 65_66
tCus 44_45 cus tAsc DE
tAsc Hello! ascc tCus 48_65_6C_6C_6F_21
ROWS

# The window has no default button: none looks like one once the focus is
# back in a box.
click tAsc
expect_focus tAsc "a click into tAsc after a Convert"
no_default_look() { ! grep -q '^default ' "$work/state"; }
until_state "a button keeps the default-button look" no_default_look
echo "ok: no button keeps the default-button look"

# Code 0 shows as its control picture and converts back as code 0.
set_field tDec "65 0 66 9 67"
click dec
expect_text tAsc "A␀B	C" "code 0 in the Ascii row"
click ascc
expect_text tDec "65 0 66 9 67" "the Ascii row converts back"
echo "ok: code 0 survives Decimal, Ascii, Decimal"

# A pasted line break becomes a space, by Ctrl+V and by Shift+Insert.
printf '48 65\r\n6C' | xclip -selection clipboard >/dev/null 2>&1
for paste in ctrl+v shift+Insert; do
  set_field tHex "0"
  keys ctrl+a "$paste"
  expect_text tHex "48 65 6C" "$paste pastes a line break as a space"
  echo "ok: $paste pastes a line break as a space"
done
click hex
expect_text tDec "72 101 108" "the pasted row converts"

# A double-click on a code of a box without the focus selects that code.
set_field tDec "11 22 33 44 55"
click tAsc
expect_focus tAsc "a click into tAsc"
read -r x y < <(centre tDec)
left="$(awk '$1 == "tDec" { print $2 }' "$work/places")"
xdotool mousemove "$((left + 8))" "$y" click --repeat 2 --delay 80 1
# The code alone, without the space after it that the box's own word
# takes: a code typed over it stays apart from the next.
expect tDec "0 2 11 22 33 44 55" "a double-click selects the code under the pointer"
type_text "6"
expect_text tDec "6 22 33 44 55" "a code typed over a double-clicked one stays apart"

# A failing Convert: the report is shown, Return dismisses it, the failing
# code is selected, and typing replaces it.
set_field tDec "65 4A 67"
click dec
report_is() { grep -q "^report Run-time error '13':||Type mismatch|Decimal row, code 2: \"4A\"$" "$work/state"; }
until_state "no report naming the failing code" report_is
echo "ok: the report names the failing code"
read -r _ dx dy < <(grep '^report-offset ' "$work/state")
[ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] || fail "the report lies $dx,$dy from the form's centre"
echo "ok: the report stands over the form's centre"
keys Return
no_report() { ! grep -q '^report ' "$work/state"; }
until_state "the report did not close" no_report
expect tDec "3 5 65 4A 67" "after the report the failing code is selected"
type_text "66"
expect_text tDec "65 66 67" "typing replaces the failing code"

# Codes 0, 10 and 13 show as their pictures; the row copied and pasted back
# converts to the same codes.
set_field tDec "65 0 9 10 13 66"
click dec
expect_text tAsc $'A\u2400\t\u240a\u240dB' "codes 0, 10 and 13 show as their pictures"
echo "ok: codes 0, 10 and 13 show as their pictures"
click tAsc
expect_focus tAsc "a click into tAsc"
keys ctrl+a ctrl+c
set_field tDec "1"
click tAsc
expect_focus tAsc "a click into tAsc"
keys ctrl+a ctrl+v
click ascc
expect_text tDec "65 0 9 10 13 66" "the Ascii row copied and pasted converts back"
echo "ok: the Ascii row copied and pasted converts back"

# Away to another window and back: the caret stays where it was.
set_field tAsc "Hello"
keys End
xmessage -name other "another window" &
pids+=($!)
other="$(timeout 10 xdotool search --sync --onlyvisible --name '^other$|another window' | head -1)"
[ -n "$other" ] || fail "the other window did not appear"
xdotool windowactivate --sync "$other" 2>/dev/null
focus_gone() { ! focus_is tAsc; }
until_state "the other window did not take the focus" focus_gone
xdotool windowactivate --sync "$window" 2>/dev/null
expect_focus tAsc "back from another window"
type_text "!"
expect_text tAsc "Hello!" "back from another window, typing goes on at the caret"
echo "ok: away and back keeps the caret"

# A Convert undone in a box with no typing of its own to undo, by key and
# by the box's menu, and redone.
set_field tDec "  65"
click dec
expect_text tAsc "A" "Convert decimal codes"
click tAsc
expect_focus tAsc "a click"
keys ctrl+z
expect_text tAsc "Hello!" "Ctrl+Z undoes the Convert"
expect_text tDec "  65" "Ctrl+Z gives the source row back untrimmed"
keys ctrl+y
expect_text tAsc "A" "Ctrl+Y redoes the Convert"
keys shift+F10
sleep 0.5
keys u
expect_text tAsc "Hello!" "the menu's Undo undoes the Convert"
keys ctrl+shift+z
expect_text tAsc "A" "Ctrl+Shift+Z redoes the Convert"
echo "ok: a Convert is undone and redone"

# The code line names the code at the caret while the rows are linked.
click ascc
click tAsc
expect_focus tAsc "a click"
keys End
codeline_is() { grep -qx "codeline $1" "$work/state"; }
until_state "the code line does not name the last code" codeline_is "Code 1 of 1: A 65 41 41 (radix 16) U+0041"
keys BackSpace
no_codeline() { ! grep -q "^codeline" "$work/state"; }
until_state "an edit does not end the code line" no_codeline
echo "ok: the code line names the code at the caret, until an edit"

# The caret's code marked in the other rows, each scrolled to it; the
# characters without a code underlined in the Ascii row. The row, pasted
# (xdotool can lose a character no key has), is wider than its box, with
# such a character at each end.
long="ā$(printf 'x%.0s' {1..80})ā"
printf '%s' "$long" | xclip -selection clipboard >/dev/null 2>&1
click tAsc
keys ctrl+a ctrl+v
expect_text tAsc "$long" "pasting into tAsc"
click ascc
expect_text tDec "63$(printf ' 120%.0s' {1..80}) 63" "Convert from a pasted row"
click tAsc
expect_focus tAsc "a click"
keys End
marked() {  # marked BOX FILL_FROM FILL_TO LINES: where the fill starts, in
  # 100ths of the box's width, and whether any bar is drawn (1) or not (0)
  for _ in $(seq 50); do
    "$wine" "$build/zolm-probe.exe" marked "$1" >"$work/marked" 2>/dev/null
    awk -v from="$2" -v to="$3" -v lines="$4" '
      $1 == "fill" { filled = $2 > 0; at = 100 * $3 / $4 }
      $1 == "line" { drawn = $2 > 0 }
      END { exit !(drawn == lines && (from < 0 ? !filled : filled && at >= from && at <= to)) }' \
      "$work/marked" && return 0
    sleep 0.1
  done
  fail "$1 is not marked as expected: $(tr '\n' ';' <"$work/marked")"
}
marked tHex 50 100 1
marked tAsc -1 0 1
keys Home
marked tDec 0 25 1
type_text "y"
marked tDec -1 0 0
marked tAsc -1 0 0
echo "ok: the caret's code is marked in the other rows, until an edit"

# zolm.exe reading what is typed into a console, on this display where
# Wine's console takes keys.
timeout 60 "$wine" "$build/zolm-tests.exe" --gtest_filter=CliTest.ConsoleInput >"$work/console" 2>&1 ||
  fail "zolm.exe from a console: $(grep -A3 Failure "$work/console")"
grep -q '^\[  PASSED  \] 1 test' "$work/console" && ! grep -q SKIPPED "$work/console" ||
  fail "zolm.exe from a console did not run: $(tail -3 "$work/console")"
echo "ok: zolm.exe converts text typed into a console, until Ctrl+Z"

kill -0 "$program" 2>/dev/null || fail "the program is no longer running"
echo "ok: still running"

close_program() {
  xdotool windowactivate --sync "$window" 2>/dev/null
  keys alt+F4
  for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$program" 2>/dev/null && fail "Alt+F4 did not close the window"
  wait "$program" 2>/dev/null
}
close_program
status=$?
[ "$status" -eq 0 ] || fail "closing the window ended the program with status $status"
echo "ok: closing ends it with status 0"

# At 150%: every control holds its text, lies within the client area, and
# no box or button overlaps another; each top, height and left is at least
# 1.5 times the one at 96 dots per inch, and so is a caption's width; a box
# is exactly 1.5 times as wide (boxes never grow sideways); a button is as
# wide as "Convert" needs, and the radix box and the client area's right
# edge move by just what the buttons' width differs from 1.5 times theirs.
cp "$work/places" "$work/places96"
set_dpi 144
start_program
# The probe measures with the system's font at the same 144 dots per inch,
# a radix with a sign and a point in its box.
"$wine" "$build/zolm-probe.exe" set tBase -16.5
"$wine" "$build/zolm-probe.exe" fits >"$work/fits"
set_dpi 96
[ -s "$work/fits" ] && fail "at 150% these do not hold their text: $(tr '\n' ';' <"$work/fits")"
scaled="$(awk '
  # Places relative to the client area: x y w h, at 96 (file 1) and 144 (file 2).
  $1 == "client" { cx = $2; cy = $3 }
  { k = FNR == NR ? 96 : 144; n = $1
    x[k, n] = n == "client" ? 0 : $2 - cx; y[k, n] = n == "client" ? 0 : $3 - cy
    w[k, n] = $4; h[k, n] = $5; if (k == 96) names[n] = 1 }
  function off(a, b) { return a - b > 1 || b - a > 1 }
  END {
    for (n in names) {
      if (n != "tBase" && x[144, n] < 1.5 * x[96, n] - 1 || y[144, n] < 1.5 * y[96, n] - 1)
        print n " at " x[144, n] "," y[144, n] " from " x[96, n] "," y[96, n] " at 96"
      if (n ~ /^Label/ && w[144, n] < 1.5 * w[96, n] - 1 || h[144, n] < 1.5 * h[96, n] - 1)
        print n " is " w[144, n] " x " h[144, n] " from " w[96, n] " x " h[96, n] " at 96"
      if (n ~ /^t/ && off(w[144, n], 1.5 * w[96, n])) print n " grew sideways to " w[144, n]
    }
    grown = w[144, "dec"] - 1.5 * w[96, "dec"]
    if (off(x[144, "tBase"] - 1.5 * x[96, "tBase"], grown) || off(w[144, "client"] - 1.5 * w[96, "client"], grown))
      print "the radix box at " x[144, "tBase"] " and the client width " w[144, "client"] " are not 1.5 times theirs at 96 plus the buttons growth " grown
  }' "$work/places96" "$work/places")"
[ -z "$scaled" ] || fail "at 150%: $(tr '\n' ';' <<<"$scaled")"
apart "at 150%"
figures() { awk '$1 == "client" { c = $4 " x " $5 } $1 == "dec" { b = $4 } END { print c ", buttons " b " wide" }' "$1"; }
echo "ok: at 150% the window and its controls are scaled ($(figures "$work/places"); at 96: $(figures "$work/places96"))"
close_program

# A larger message font (18 px, as Windows' text size of about 150% gives):
# every control grows to hold its text, and the window with them.
read -r _ _ _ width0 height0 < <(grep '^client ' "$work/places96")
font="$("$wine" "$build/zolm-probe.exe" message-font)"
"$wine" "$build/zolm-probe.exe" message-font 18 || fail "the message font could not be set"
start_program
"$wine" "$build/zolm-probe.exe" set tBase -16.5
"$wine" "$build/zolm-probe.exe" fits >"$work/fits"
"$wine" "$build/zolm-probe.exe" message-font "$font"
read -r _ _ _ width height < <(grep '^client ' "$work/places")
[ "$width" -gt "$width0" ] && [ "$height" -gt "$height0" ] ||
  fail "with 18-px text the client area is $width x $height, from $width0 x $height0"
[ -s "$work/fits" ] && fail "with 18-px text these do not fit: $(tr '\n' ';' <"$work/fits")"
apart "with 18-px text"
echo "ok: with 18-px text every control holds its text ($width x $height)"
close_program

echo "windows desktop test: all passed"
