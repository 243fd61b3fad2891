#!/usr/bin/env bash
# End-to-end test of the real program on a real X session: Xvfb with the
# openbox window manager, build/zolm-converter, keys and clicks sent with
# xdotool (XTEST, as a person types), field texts read back through the
# clipboard with xclip. Usage: tests/desktop/desktop_test.sh [BINARY]
#
# Bounded to 60 seconds; every process it starts is ended by its process id.
# A display server or window manager that does not come up is a failure.
set -uo pipefail
cd "$(dirname "$0")/../.."
binary="${1:-build/zolm-converter}"

test_name="desktop test"
source tests/lib/x_session.sh
bounded 60 "$@"
need Xvfb openbox xdotool xclip xprop xmessage xwininfo
begin_session

wait_active() {  # wait_active WINDOW: until the window manager has made it active
  local _
  for _ in $(seq 50); do
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "window $1 did not become active"
}

start_display 1024x600
start_window_manager

"$binary" >"$work/program.log" 2>&1 &
program=$!
pids+=("$program")
window="$(timeout 10 xdotool search --sync --onlyvisible --name '^Zolm Converter$' | head -1)"
[ -n "$window" ] || fail "the window did not appear: $(cat "$work/program.log")"
wait_active "$window"
sleep 0.3
echo "ok: the window's client area is $(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w " x " h }')"

# Centres of the controls, in pixels from the window's client area.
declare -A at=(
  [tCus]="300 17" [tBase]="632 17" [tHex]="300 49" [tAsc]="300 81" [tDec]="300 113"
  [cus]="584 20" [hex]="584 52" [ascc]="584 84" [dec]="584 116"
)
click() {  # click CONTROL
  # shellcheck disable=SC2086
  xdotool mousemove --window "$window" ${at[$1]} click 1
  sleep 0.2
}
keys() { xdotool key --delay 30 "$@"; sleep 0.2; }
type_text() { xdotool type --delay 30 -- "$1"; sleep 0.2; }
# A click into the box that has the focus already only moves the caret, so
# these select with Ctrl+A: the whole text is copied with Ctrl+C, or replaced.
read_field() {
  click "$1"
  printf '' | xclip -selection clipboard >/dev/null 2>&1
  keys ctrl+a ctrl+c
  xclip -o -selection clipboard 2>/dev/null
}
set_field() { click "$1"; keys ctrl+a; type_text "$2"; }
expect_field() {  # expect_field CONTROL TEXT WHAT; a slow machine gets a few tries
  local got try
  for try in 1 2 3; do
    got="$(read_field "$1")"
    [ "$got" = "$2" ] && break
    sleep 0.5
  done
  [ "$got" = "$2" ] || fail "$3: $1 is \"$got\", expected \"$2\""
  echo "ok: $3"
}
report_count() { xdotool search --onlyvisible --name '^Zolm Converter$' 2>/dev/null | wc -l; }

# Start-up: tCus has the focus with its whole text selected.
type_text "ZZ"
expect_field tCus "ZZ" "typing at start-up replaces the selected custom row"

# A click into another box selects its whole text, so typing replaces it,
# and leaves the PRIMARY selection to the program that holds it.
printf 'elsewhere' | xclip -selection primary >/dev/null 2>&1
click tAsc
primary="$(xclip -o -selection primary 2>/dev/null)"
[ "$primary" = "elsewhere" ] || fail "a click that selects the row took PRIMARY: \"$primary\""
echo "ok: a click that selects the row leaves PRIMARY alone"
type_text "Hi"
expect_field tAsc "Hi" "a click selects the whole row"

# The whole Tab walk: nine controls from tCus round to tCus, which selects
# its whole text on arrival.
click tCus
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab
type_text "Q"
expect_field tCus "Q" "nine Tabs walk round to the custom row, selected"

# From tAsc: tDec, then the buttons hex and ascc; Return there presses ascc.
click tAsc
keys Tab Tab Tab Return
expect_field tDec "72 105" "Tab to the Ascii row's button and Return converts"

# One Convert of each remaining row, by a click.
while read -r source text button target expected; do
  set_field "$source" "${text//_/ }"
  click "$button"
  expect_field "$target" "${expected//_/ }" "Convert of the $button row"
done <<'ROWS'
tDec 65_66_67 dec tAsc ABC
tHex 41_42 hex tDec 65_66
tCus 44_45 cus tAsc DE
ROWS

# A pasted line break becomes a space: the codes convert as they read.
click tHex
printf '48 65\r\n' | xclip -selection clipboard >/dev/null 2>&1
keys ctrl+v
click hex
expect_field tDec "72 101" "a pasted line break converts as a space"

# A middle-click pastes the PRIMARY selection another program holds, with
# its line break as a space too.
click tHex
keys ctrl+a BackSpace
printf '48 65\n6C' | xclip -selection primary >/dev/null 2>&1
# shellcheck disable=SC2086
xdotool mousemove --window "$window" ${at[tHex]} click 2
sleep 0.2
expect_field tHex "48 65 6C" "a middle-click pastes the selection with a line break as a space"

clip() { printf '' | xclip -selection clipboard >/dev/null 2>&1; keys "$@"; xclip -o -selection clipboard 2>/dev/null; }
press_drag() {  # press_drag CONTROL FROM TO: a left-button drag across the box
  local y="${at[$1]#* }"
  xdotool mousemove --window "$window" "$2" "$y" mousedown 1
  sleep 0.1
  xdotool mousemove --window "$window" "$(( ($2 + $3) / 2 ))" "$y"
  sleep 0.1
  xdotool mousemove --window "$window" "$3" "$y" mouseup 1
  sleep 0.2
}

# A drag into a box without the focus selects what it went over.
set_field tHex "41 42 43 44 45 46 47 48"
click tDec
press_drag tHex 100 150
dragged="$(clip ctrl+c)"
[ -n "$dragged" ] && [ "$dragged" != "41 42 43 44 45 46 47 48" ] &&
  [ "${dragged:0:2}" != "41" ] || fail "a drag selected \"$dragged\", not what it went over"
echo "ok: a drag into another box selects what it went over"

# A right-click into a box without the focus: the menu's Copy copies the row.
click tDec
# shellcheck disable=SC2086
xdotool mousemove --window "$window" ${at[tHex]} click 3
sleep 0.4
copied="$(clip c)"
[ "$copied" = "41 42 43 44 45 46 47 48" ] || {
  keys Escape
  fail "the context menu's Copy gave \"$copied\""
}
echo "ok: a right-click menu copies the whole row"

# A failing Convert: the report is dismissed by Return, and the failing code
# is then selected, so typing replaces just that code.
set_field tDec "65 4A 67"
click dec
for _ in $(seq 30); do [ "$(report_count)" -ge 2 ] && break; sleep 0.1; done
[ "$(report_count)" -ge 2 ] || fail "no error report appeared"
keys Return
for _ in $(seq 30); do [ "$(report_count)" -eq 1 ] && break; sleep 0.1; done
[ "$(report_count)" -eq 1 ] || fail "the error report did not close"
wait_active "$window"
sleep 0.3
type_text "66"
expect_field tDec "65 66 67" "after the report, typing replaces the failing code"

# Switching to another window and back keeps the caret.
set_field tAsc "Hello"
keys End
xmessage -name other "another window" &
other_pid=$!
pids+=("$other_pid")
other="$(timeout 10 xdotool search --sync --onlyvisible --name '^other$|another window' | head -1)"
[ -n "$other" ] || fail "the other window did not appear"
xdotool windowactivate --sync "$other" 2>/dev/null || fail "could not activate the other window"
wait_active "$other"
sleep 0.3
xdotool windowactivate --sync "$window" 2>/dev/null || fail "could not activate the window again"
wait_active "$window"
sleep 0.3
type_text "!"
expect_field tAsc "Hello!" "switching away and back keeps the caret"

# Codes 0, 10 and 13 show as their pictures, and a copy of the row pasted
# back converts to the same codes.
set_field tDec "65 0 9 10 13 66"
click dec
expect_field tAsc $'A\u2400\t\u240a\u240dB' "codes 0, 10 and 13 show as their pictures"
click tAsc
keys ctrl+a ctrl+c
set_field tDec ""
click tAsc
keys ctrl+a ctrl+v
click ascc
expect_field tDec "65 0 9 10 13 66" "the Ascii row copied and pasted converts back"
# Ctrl+End in a selected row moves to its end, as End does.
set_field tAsc "Hello"
click ascc
click tAsc
keys ctrl+End
type_text "!"
expect_field tAsc "Hello!" "Ctrl+End moves to the end of the row"

kill -0 "$program" 2>/dev/null || fail "the program is no longer running"

# At twice the scale the form is wider than this screen: the window starts
# within it, its title bar whole.
QT_SCALE_FACTOR=2 "$binary" >"$work/scaled.log" 2>&1 &
scaled=$!
pids+=("$scaled")
for _ in $(seq 50); do
  big="$(xdotool search --onlyvisible --pid "$scaled" --name '^Zolm Converter$' 2>/dev/null | head -1)"
  [ -n "$big" ] && break
  sleep 0.1
done
[ -n "$big" ] || fail "the scaled window did not appear: $(cat "$work/scaled.log")"
sleep 0.5
read -r left top width height < <(xwininfo -frame -id "$big" |
  awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width/{w=$NF} /Height/{h=$NF}
       END{print x, y, w, h}')
[ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ $((left + width)) -le 1024 ] && [ $((top + height)) -le 600 ] ||
  fail "the window at scale 2 lies at $left,$top, ${width}x$height, beyond the 1024x600 screen"
echo "ok: at scale 2 the window lies within the screen"
echo "desktop test: all passed"
