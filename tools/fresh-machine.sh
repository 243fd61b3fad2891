#!/usr/bin/env bash
# Tries the README's set-up on a new Debian 12 system: builds a minimal
# bookworm in a folder from Debian's archive (mmdebstrap, variant apt, with
# git to clone), clones the commit into it as a new user would, and runs
# ./test there as root, then tools/windows.sh and tools/web.sh. Only what the
# project's own scripts install is there, so a missing install step fails.
# Usage: tools/fresh-machine.sh [COMMIT]   (HEAD by default)
#
# The system gets /proc, /dev (with /dev/pts and /dev/shm), and what every
# machine here has for reaching the package registries: the host's name
# servers, the certificate authorities it adds (/usr/local/share/ca-
# certificates), npm's global settings and the variables that name the
# certificates. Every process left in it is ended, everything mounted is
# unmounted and the folder removed when the script ends, however it ends.
# Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "fresh machine: needs root" >&2; exit 1; }
source tools/ensure_packages.sh
ensure_packages mmdebstrap git

commit="$(git rev-parse "${1:-HEAD}")"
root="$(mktemp -d /var/tmp/zolm-fresh.XXXXXX)"
mounted=()
cleanup() {
  local pid i
  # Processes whose root is the new system: Xvfb, Wine's server, browsers.
  for pid in /proc/[0-9]*; do
    [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "${pid#/proc/}" 2>/dev/null
  done
  sleep 1
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -R "${mounted[i]}" 2>/dev/null || umount -R -l "${mounted[i]}" 2>/dev/null || true
  done
  # Never past a mount point that is still there.
  if ! grep -q " $root/" /proc/mounts; then rm -rf --one-file-system "$root"; fi
}
trap cleanup EXIT
trap 'exit 1' TERM INT

start=$SECONDS
# The archive as on a new machine; standard input is not read for sources.
mmdebstrap --variant=apt --include=git,ca-certificates --quiet \
  bookworm "$root" \
  "deb http://deb.debian.org/debian bookworm main" \
  "deb http://deb.debian.org/debian bookworm-updates main" \
  "deb http://deb.debian.org/debian-security bookworm-security main" </dev/null
echo "fresh machine: a minimal Debian 12 in $((SECONDS - start)) s"
cp /etc/resolv.conf "$root/etc/resolv.conf"
if compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null; then
  cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
  chroot "$root" update-ca-certificates >/dev/null
fi
for npmrc in /etc/npmrc /usr/etc/npmrc; do
  if [ -f "$npmrc" ]; then mkdir -p "$root${npmrc%/*}" && cp "$npmrc" "$root$npmrc"; fi
done
machine_env=()
for name in NODE_EXTRA_CA_CERTS SSL_CERT_FILE SSL_CERT_DIR CURL_CA_BUNDLE GIT_SSL_CAINFO; do
  if [ -n "${!name:-}" ]; then machine_env+=("$name=${!name}"); fi
done

mount -t proc proc "$root/proc" && mounted+=("$root/proc")
mount --rbind /dev "$root/dev" && mounted+=("$root/dev")
mount --make-rslave "$root/dev"
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm" && mounted+=("$root/dev/shm")

git clone -q --no-local . "$root/root/zolm-converter"
git -C "$root/root/zolm-converter" checkout -q "$commit"

# As the README says, in a clean environment.
in_system() {  # in_system COMMAND: runs COMMAND in the clone, in the new system
  chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb CI="${CI:-}" LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "${machine_env[@]}" \
    bash -c "cd /root/zolm-converter && $1" </dev/null
}
for step in ./test tools/windows.sh tools/web.sh; do
  began=$SECONDS
  echo "== fresh machine: $step"
  in_system "$step" || { echo "fresh machine: FAIL: $step on a new Debian 12" >&2; exit 1; }
  echo "fresh machine: $step passed in $((SECONDS - began)) s"
done
echo "fresh machine: ./test, tools/windows.sh and tools/web.sh pass on a new Debian 12 ($((SECONDS - start)) s)"
