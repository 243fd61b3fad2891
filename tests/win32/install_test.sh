#!/usr/bin/env bash
# The Windows installer under Wine, as a user without administrator rights
# runs it: msiexec /i /qn, the programs, licence and Start-menu shortcut in
# place, an entry in the installed-programs list, the installed zolm.exe
# converting and the installed window showing on a virtual screen, then
# msiexec /x /qn leaving nothing behind. Usage: tests/win32/install_test.sh
# [BUILD_FOLDER [SECOND_MSI]], SECOND_MSI another build of the same version,
# installed over the first. Bounded to two minutes; Wine's server on the build's
# prefix is ended at the end, every other process by its id.
set -uo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build-windows}"

test_name="install test"
source tests/lib/x_session.sh
bounded 120 "$@"

use_wine "$build"
need Xvfb xdotool xprop winepath wineserver "$wine"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
msi="$build/zolm-converter-$version-win64.msi"
[ -f "$msi" ] || { echo "$test_name: $msi is missing" >&2; exit 1; }

begin_session
start_display 1024x600
start_wine_server

unix_path() { winepath -u "$("$wine" cmd /c echo "%$1%" | tr -d '\r')" 2>/dev/null; }
folder="$(unix_path LOCALAPPDATA)/Programs/Zolm Converter"
shortcut="$(unix_path APPDATA)/Microsoft/Windows/Start Menu/Programs/Zolm Converter.lnk"
# The installed-programs entry: Windows keeps a per-user one under HKCU, Wine
# under HKLM; the product's icon is registered with the user's products.
entry() {
  local root
  for root in HKCU HKLM; do
    "$wine" reg query "$root\Software\Microsoft\Windows\CurrentVersion\Uninstall" /s 2>/dev/null
  done | tr -d '\r'
  "$wine" reg query 'HKCU\Software\Microsoft\Installer\Products' /s 2>/dev/null | tr -d '\r'
}

"$wine" msiexec /i "$(winepath -w "$msi")" /qn || fail "msiexec /i failed"
for file in zolm-converter.exe zolm.exe LICENSE.txt; do
  [ -f "$folder/$file" ] || fail "not installed: $folder/$file"
done
[ -f "$shortcut" ] || fail "no Start-menu shortcut at $shortcut"
# The entry as the registry gives it, read again for a while: on a loaded
# machine a read just after msiexec has once found no entry.
for _ in $(seq 50); do
  entry >"$work/entry"
  grep -q "DisplayName *REG_SZ *Zolm Converter$" "$work/entry" && break
  sleep 0.2
done
grep -q "DisplayName *REG_SZ *Zolm Converter$" "$work/entry" ||
  fail "no installed-programs entry: $(grep -c . "$work/entry") lines of entries: $(grep -i -m3 'zolm' "$work/entry" | tr '\n' ';')"
grep -q "DisplayVersion *REG_SZ *$version$" "$work/entry" || fail "the entry's version"
grep -q "Publisher *REG_SZ *The Zolm Converter developers$" "$work/entry" || fail "the publisher"
grep -q "ProductIcon *REG_SZ .*ZolmIcon.ico$" "$work/entry" || fail "the entry's icon"
echo "ok: installed for this user: programs, licence, shortcut, entry $version"

# Another build of the same version (or the same file) installed again is
# the same product: still one entry, and removing it removes everything.
"$wine" msiexec /i "$(winepath -w "${2:-$msi}")" /qn
entries="$(entry | grep -c "DisplayName *REG_SZ *Zolm Converter$")"
[ "$entries" -eq 1 ] || fail "installed twice: $entries installed-programs entries"
grep -q "NoRepair *REG_DWORD *0x1" <(entry) || fail "the entry offers a repair"
grep -q "InstallLocation *REG_SZ *.*\\\\Programs\\\\Zolm Converter\\\\$" <(entry) ||
  fail "the entry has no install location"
echo "ok: installed again, still one entry, without repair, with its location"

user_path() { "$wine" reg query 'HKCU\Environment' /v Path 2>/dev/null | tr -d '\r'; }
user_path | grep -q 'Programs\\Zolm Converter' || fail "the install folder is not on the user's PATH"
# A new console finds zolm by its name.
start_wine_server
[ "$("$wine" cmd /c zolm --version | tr -d '\r')" = "zolm $version" ] ||
  fail "zolm is not found from a new console"
echo "ok: zolm runs from a new console by its name"

[ "$("$wine" "$folder/zolm.exe" --from ascii --to hex Hi)" = "48 69" ] ||
  fail "the installed zolm.exe does not convert"
echo "ok: the installed zolm.exe converts"

"$wine" "$folder/zolm-converter.exe" >"$work/program.log" 2>&1 &
program=$!
pids+=("$program")
timeout 20 xdotool search --sync --onlyvisible --name '^Zolm Converter$' >/dev/null ||
  fail "the installed window did not show: $(cat "$work/program.log")"
kill "$program" 2>/dev/null
wait "$program" 2>/dev/null
echo "ok: the installed window shows"

"$wine" msiexec /x "$(winepath -w "$msi")" /qn || fail "msiexec /x failed"
[ ! -e "$folder" ] || fail "left behind: $(ls -A "$folder")"
[ ! -e "$shortcut" ] || fail "the shortcut was left behind"
entry | grep -q "Zolm Converter" && fail "the installed-programs entry was left behind"
"$wine" reg query 'HKCU\Software\Zolm Converter' >/dev/null 2>&1 && fail "registry values left behind"
user_path | grep -q 'Zolm Converter' && fail "the install folder is left on the user's PATH"
left="$(find "$(unix_path USERPROFILE)" -iname '*zolm*' | head -3)"
[ -z "$left" ] || fail "left behind: $left"
echo "ok: uninstalled, nothing left behind"
echo "install test: all passed"
