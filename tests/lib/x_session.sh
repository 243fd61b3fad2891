# Sourced by the end-to-end tests: runs a test bounded in time, on a virtual
# X session of its own (Xvfb, and openbox where asked), and ends every
# process it started by its id when the test ends, however it ends.
# The test sets `test_name` first. It may add process ids to `pids`, and
# define `before_end` (ends of its own, such as Wine's server) and `on_fail`
# (more to say when it fails).

# The programs under test see the fonts of the packages the scripts install,
# and no other font the machine has.
export FONTCONFIG_FILE="$PWD/tests/lib/fonts.conf"

# bounded SECONDS ARGS...: runs the calling script again under timeout, and
# reports a run that ran out of time.
bounded() {
  local seconds="$1"
  shift
  if [ -z "${ZOLM_TEST_BOUNDED:-}" ]; then
    ZOLM_TEST_BOUNDED=1 timeout "$seconds" "$0" "$@"
    local status=$?
    [ "$status" -eq 124 ] && echo "$test_name: FAIL: over $seconds seconds, stopped" >&2
    exit "$status"
  fi
}

# need TOOL...: fails with a clear message when a tool is missing.
need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$test_name: $tool is missing" >&2; exit 1; }
  done
}

fail() {
  echo "$test_name: FAIL: $*" >&2
  if declare -F on_fail >/dev/null; then on_fail; fi
  exit 1
}

# Makes the test's own folder and sets the ends that run when it exits.
begin_session() {
  pids=()
  work="$(mktemp -d)"
  trap end_session EXIT
  trap 'exit 1' TERM INT
}

end_session() {
  if declare -F before_end >/dev/null; then before_end; fi
  local i
  # Clients first, the display last.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null
    wait "${pids[i]}" 2>/dev/null
  done
  rm -rf "$work"
}

# start_display WIDTHxHEIGHT: Xvfb on a free display it picks itself; sets
# DISPLAY once clients can connect.
start_display() {
  # -noreset: the first client leaving must not reset the server under the next.
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  pids+=($!)
  local _
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(cat "$work/display")"
  # The display number comes first; wait until clients can connect.
  for _ in $(seq 100); do xprop -root >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "no client can connect to display $DISPLAY: $(cat "$work/xvfb.log")"
}

start_window_manager() {
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=($!)
  local _
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
    sleep 0.1
  done
  fail "the window manager did not start: $(cat "$work/openbox.log")"
}

# use_wine BUILD_FOLDER: sets `wine` (the 64-bit loader) and Wine's
# environment for the build's own prefix, without debug output or Mono and
# Gecko prompts; the test's end stops that prefix's server.
use_wine() {
  wine=/usr/lib/wine/wine64
  [ -x "$wine" ] || wine="$(command -v wine)"
  export WINEPREFIX="$PWD/$1/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  before_end() { wineserver -k 2>/dev/null; }
}

# A Wine server of this session's own, on its display, kept running until
# the end.
start_wine_server() {
  wineserver -k 2>/dev/null
  # Until the old server has gone, and saved the registry: a new one started
  # sooner reads what it had not yet written.
  wineserver -w 2>/dev/null
  wineserver -p || fail "wineserver did not start"
}
