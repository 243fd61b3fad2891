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

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine)"
need Xvfb openbox xdotool xclip xprop xmessage wineserver "$wine"
for exe in zolm-converter.exe zolm-probe.exe; do
  [ -f "$build/$exe" ] || { echo "$test_name: $build/$exe is missing" >&2; exit 1; }
done

export WINEPREFIX="$PWD/$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
before_end() { wineserver -k 2>/dev/null; }
on_fail() { [ -s "$work/state" ] && sed 's/^/  /' "$work/state" >&2; }
begin_session
start_display 1280x720
start_window_manager

# A server of this session's own, on this display.
wineserver -k 2>/dev/null
wineserver -p || fail "wineserver did not start"

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
click() {  # click CONTROL [BUTTON]
  # shellcheck disable=SC2046
  xdotool mousemove $(centre "$1") click "${2:-1}"
  sleep 0.3
}
keys() { xdotool key --delay 40 "$@"; sleep 0.3; }
type_text() { xdotool type --delay 40 -- "$1"; sleep 0.3; }
set_field() { click "$1"; keys ctrl+a; type_text "$2"; }
# expect CONTROL "START END TEXT" WHAT; the window gets a few tries.
expect() {
  local try got
  for try in 1 2 3 4 5; do
    probe
    got="$(box "$1" | cut -d' ' -f2-)"
    [ "$got" = "$2" ] && { echo "ok: $3"; return 0; }
    sleep 0.3
  done
  fail "$3: $1 is \"$got\", expected \"$2\""
}
expect_focus() {
  local try
  for try in 1 2 3 4 5; do
    probe
    grep -q "^focus $1\$" "$work/state" && return 0
    sleep 0.2
  done
  fail "$2: the focus is $(grep '^focus' "$work/state"), expected $1"
}
# The text of a box, whatever its selection.
text_of() { probe; box "$1" | cut -d' ' -f4-; }

set_dpi 96
start_program

expect tCus "0 17 48 65 6C 6C 6F 21" "at start-up tCus has the focus, its text selected"
expect_focus tCus "start-up"

click tAsc
expect_focus tAsc "a click"
expect tAsc "0 6 Hello!" "a click selects the whole row"

click tCus
for name in tBase tHex tAsc tDec hex ascc dec cus tCus; do
  keys Tab
  expect_focus "$name" "Tab to $name"
done
probe
[ "$(box tCus | cut -d' ' -f2-3)" = "0 17" ] || fail "tCus is not selected after the Tab walk"
echo "ok: nine Tabs walk round to tCus, each box selected on arrival"

set_field tAsc "Hi"
keys Tab Tab Tab Return
expect tDec "0 0 72 105" "Tab to the Ascii row's button and Return converts"

while read -r source text button target expected; do
  set_field "$source" "${text//_/ }"
  click "$button"
  [ "$(text_of "$target")" = "${expected//_/ }" ] ||
    fail "Convert of the $button row: $target is \"$(text_of "$target")\""
  echo "ok: Convert of the $button row"
done <<'ROWS'
tDec 65_66_67 dec tAsc ABC
tHex 41_42 hex tDec 65_66
tCus 44_45 cus tAsc DE
tAsc Hello! ascc tCus 48_65_6C_6C_6F_21
ROWS

# A pasted line break becomes a space.
printf '48 65\r\n' | xclip -selection clipboard >/dev/null 2>&1
click tHex
keys ctrl+a ctrl+v
click hex
[ "$(text_of tDec)" = "72 101" ] || fail "a pasted line break: tDec is \"$(text_of tDec)\""
echo "ok: a pasted line break converts as a space"

# A failing Convert: the report is shown, Return dismisses it, the failing
# code is selected, and typing replaces it.
set_field tDec "65 4A 67"
click dec
for _ in $(seq 30); do probe; grep -q '^report ' "$work/state" && break; sleep 0.1; done
grep -q "^report Run-time error '13':||Type mismatch|Decimal row, code 2: \"4A\"$" "$work/state" ||
  fail "no report naming the failing code"
echo "ok: the report names the failing code"
keys Return
for _ in $(seq 30); do probe; grep -q '^report ' "$work/state" || break; sleep 0.1; done
grep -q '^report ' "$work/state" && fail "the report did not close"
expect tDec "3 5 65 4A 67" "after the report the failing code is selected"
type_text "66"
[ "$(text_of tDec)" = "65 66 67" ] || fail "typing over the failing code gave \"$(text_of tDec)\""
echo "ok: typing replaces the failing code"

# Away to another window and back: the caret stays where it was.
set_field tAsc "Hello"
keys End
xmessage -name other "another window" &
pids+=($!)
other="$(timeout 10 xdotool search --sync --onlyvisible --name '^other$|another window' | head -1)"
[ -n "$other" ] || fail "the other window did not appear"
xdotool windowactivate --sync "$other" 2>/dev/null
sleep 0.5
xdotool windowactivate --sync "$window" 2>/dev/null
sleep 0.5
type_text "!"
[ "$(text_of tAsc)" = "Hello!" ] || fail "back from another window: tAsc is \"$(text_of tAsc)\""
echo "ok: away and back keeps the caret"

kill -0 "$program" 2>/dev/null || fail "the program is no longer running"
echo "ok: still running"

# At 150%: every place and size is the table's at 144 dots per inch.
xdotool windowactivate --sync "$window" 2>/dev/null
keys alt+F4
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "Alt+F4 did not close the window"
wait "$program" 2>/dev/null
status=$?
[ "$status" -eq 0 ] || fail "closing the window ended the program with status $status"
echo "ok: closing ends it with status 0"
set_dpi 144
start_program
set_dpi 96
read -r _ _ _ width height < <(grep '^client ' "$work/places")
[ "$width $height" = "1014 221" ] || fail "at 150% the client area is $width x $height"
client_x="$(awk '$1 == "client" { print $2 }' "$work/places")"
client_y="$(awk '$1 == "client" { print $3 }' "$work/places")"
read -r _ x y w h < <(grep '^tBase ' "$work/places")
[ "$((x - client_x)) $((y - client_y)) $w $h" = "924 12 50 29" ] ||
  fail "at 150% tBase is at $((x - client_x)),$((y - client_y)) size $w x $h"
read -r _ x y w h < <(grep '^dec ' "$work/places")
[ "$((x - client_x)) $((y - client_y)) $w $h" = "840 156 74 38" ] ||
  fail "at 150% dec is at $((x - client_x)),$((y - client_y)) size $w x $h"
echo "ok: at 150% the window and its controls are scaled"

echo "windows desktop test: all passed"
