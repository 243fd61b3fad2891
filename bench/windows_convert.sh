#!/usr/bin/env bash
# How long zolm-converter.exe takes under Wine for a Convert at the largest
# rows, against what Wine's own text boxes take for the same texts set by
# messages alone (the floor the program cannot go below). A benchmark, run
# by hand after tools/windows.sh: bench/windows_convert.sh [BUILD_FOLDER]
#   hex    the largest rows that convert (8191 codes of 100), every box changing
#   same   the Hex Convert again, every box keeping its text
#   error  32,766 characters in the Ascii row: error 6 after tDec is written
#   floor  the three texts of "hex" set into the boxes by WM_SETTEXT alone
set -uo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
test_name="windows convert benchmark"
source tests/lib/x_session.sh
bounded 600 "$@"
use_wine "$build"
begin_session
start_display 1280x720
start_window_manager
start_wine_server
"$wine" "$build/zolm-converter.exe" >/dev/null 2>&1 &
pids+=($!)
timeout 20 xdotool search --sync --onlyvisible --name '^Zolm Converter$' >/dev/null ||
  fail "the window did not appear"

probe() { "$wine" "$build/zolm-probe.exe" "$@"; }
now() { date +%s.%N; }
until_shows() { until probe state | grep -q "$1"; do sleep 0.05; done; }
largest() {
  probe set tAsc d 8191
  probe click ascc
  until_shows '^tCus 0 0 64 64'
}
for what in hex same floor error; do
  case "$what" in
    hex | floor)
      largest
      probe set tCus 0 1
      probe set tDec 1 1
      probe set tAsc x 1
      probe state >/dev/null
      start=$(now)
      if [ "$what" = hex ]; then
        probe click hex
        until_shows '^tCus 0 0 64 64'
      else
        probe set tDec 1 32763
        probe set tCus 6 24572
        probe set tAsc d 8191
        probe state >/dev/null
      fi
      ;;
    same)
      largest
      start=$(now)
      probe click hex
      until_shows '^focus hex'
      probe state >/dev/null
      ;;
    error)
      probe set tAsc A 32766
      probe state >/dev/null
      start=$(now)
      probe click ascc
      until_shows '^report'
      ;;
  esac
  printf '%-6s %6.2f s\n' "$what" "$(echo "$(now) - $start" | bc)"
done
