#!/usr/bin/env bash
# The third-party notices and their sources. THIRD-PARTY-NOTICES.txt gives
# each work's copyright and licence under a line naming where they come
# from, in the machine's Debian copyright file of the package it was built
# from:
#   [WHAT: Debian's PACKAGE, Files: PATTERN]
# followed by that stanza's copyright and its licence's whole text.
#
#   tools/notices.sh show PACKAGE PATTERN   prints what the line stands for
#   tools/notices.sh check FILE SECTION...  checks that FILE holds each named
#       section ("== SECTION ==") and that every source line in it is
#       followed by exactly its source's text (white space aside)
set -euo pipefail

# show PACKAGE PATTERN: the Copyright field of the stanza whose Files field
# lists PATTERN, and the whole text of its licence (the first of "A or B").
show() {
  local copyright="/usr/share/doc/$1/copyright"
  [ -f "$copyright" ] || { echo "notices: $copyright is missing" >&2; return 1; }
  awk -v pattern="$2" '
    function flush() {
      if (files_match && stanza_copyright != "") { found_copyright = stanza_copyright; found_licence = stanza_licence }
      if (licence_name != "" && licence_body != "") bodies[licence_name] = licence_body
      files_match = 0; stanza_copyright = ""; stanza_licence = ""; licence_name = ""; licence_body = ""
      field = ""
    }
    /^[ \t]*$/ { flush(); next }
    /^[A-Za-z-]+:/ {
      field = $1
      value = $0; sub(/^[A-Za-z-]+:[ \t]*/, "", value)
      if (field == "Files:") { n = split(value, list, /[ \t]+/); for (i = 1; i <= n; i++) if (list[i] == pattern) files_match = 1 }
      if (field == "Copyright:" && value != "") stanza_copyright = value
      if (field == "License:") {
        name = value; sub(/ or .*/, "", name)
        stanza_licence = name; licence_name = name
      }
      next
    }
    /^[ \t]/ {
      line = $0; sub(/^[ \t]+/, "", line)
      if (field == "Files:") { n = split(line, list, /[ \t]+/); for (i = 1; i <= n; i++) if (list[i] == pattern) files_match = 1 }
      if (field == "Copyright:") stanza_copyright = stanza_copyright == "" ? line : stanza_copyright "\n" line
      if (field == "License:") {
        line = $0; sub(/^ /, "", line)
        if (line == ".") line = ""
        licence_body = licence_body == "" ? line : licence_body "\n" line
      }
    }
    END {
      flush()
      if (found_copyright == "") { print "notices: no stanza for " pattern > "/dev/stderr"; exit 1 }
      if (!(found_licence in bodies)) { print "notices: no text of " found_licence > "/dev/stderr"; exit 1 }
      gsub(/\n/, "\n           ", found_copyright)
      print "Copyright: " found_copyright; print ""; print bodies[found_licence]
    }' "$copyright" | sed 's/[ \t]*$//'
}

flat() { tr -s ' \t\n' '   ' | sed 's/^ //; s/ $//'; }

# check FILE SECTION...
check() {
  local file="$1" section status=0
  shift
  for section in "$@"; do
    local text
    text="$(awk -v head="== $section ==" '$0 == head { on = 1; next } /^== .* ==$/ { on = 0 } on' "$file")"
    [ -n "$text" ] || { echo "notices: $file has no section $section" >&2; status=1; continue; }
    local sources
    sources="$(grep -c '^\[.*: Debian'"'"'s .*, Files: .*\]$' <<<"$text" || true)"
    [ "$sources" -gt 0 ] || { echo "notices: $file: $section names no source" >&2; status=1; continue; }
    local i
    for ((i = 1; i <= sources; i++)); do
      local line package pattern given wanted
      line="$(grep '^\[.*: Debian'"'"'s .*, Files: .*\]$' <<<"$text" | sed -n "${i}p")"
      package="$(sed 's/.*: Debian'"'"'s \(.*\), Files: .*/\1/' <<<"$line")"
      pattern="$(sed 's/.*, Files: \(.*\)\]$/\1/' <<<"$line")"
      given="$(awk -v n="$i" '/^\[.*: Debian.s .*, Files: .*\]$/ { k++; next } k == n' <<<"$text" | flat)"
      wanted="$(show "$package" "$pattern" | flat)" || { status=1; continue; }
      if [ "$given" != "$wanted" ]; then
        echo "notices: $file: $section: the text under $line is not its source's:" >&2
        diff <(show "$package" "$pattern" | flat | fold -w 72) <(printf '%s\n' "$given" | fold -w 72) >&2 | head -20
        status=1
      fi
    done
  done
  return "$status"
}

case "${1:-}" in
  show) show "$2" "$3" ;;
  check) shift; check "$@" ;;
  *) echo "usage: tools/notices.sh show PACKAGE PATTERN | check FILE SECTION..." >&2; exit 2 ;;
esac
