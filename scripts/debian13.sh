#!/usr/bin/env bash
# A Debian 13 system of the project's own, kept in ~/.local/share/dodir/debian13, in which the
# Windows tests built on this machine run under Debian 13's Wine (10) beside the host's.
#   debian13.sh make         makes the system once (debootstrap, then what the Windows tests
#                            need to run, installed by scripts/setup.sh --run inside it)
#   debian13.sh run CMD...   runs CMD in it as root, from this checkout (mounted at the same
#                            path), with a network, mounts and processes of its own: its CUPS,
#                            X displays and Wine servers never meet the host's
#   debian13.sh tests [ARGS] the Windows tests (scripts/wine-tests.sh ARGS) in it
# Needs root (or sudo), debootstrap (scripts/setup.sh installs it) and Debian's registry.
# Safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
system="${DODIR_DEBIAN13:-$HOME/.local/share/dodir/debian13}"
mirror="${DODIR_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
# Present once the system holds everything; renamed when what it must hold changes.
stamp="$system/.dodir-ready-1"
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo

# Runs "$@" inside the system, from this checkout, in mount and process namespaces of its own
# and, unless the first argument is --host-network, a network of its own (loopback only). The
# kernel's file systems and the checkout are mounted into it for the command's lifetime.
inside() {
  local net=--net
  if [ "$1" = --host-network ]; then net=""; shift; fi
  $SUDO unshare $net --mount --pid --fork --propagation private \
    env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root TERM="${TERM:-dumb}" \
    DODIR_SYSTEM="$system" DODIR_ROOT="$root" DODIR_NET="$net" \
    bash -c '
      set -e
      [ -z "$DODIR_NET" ] || ip link set lo up
      mount -t proc proc "$DODIR_SYSTEM/proc"
      mount -t sysfs -o ro sysfs "$DODIR_SYSTEM/sys"
      mount --rbind /dev "$DODIR_SYSTEM/dev"
      mount -t tmpfs -o mode=1777 shm "$DODIR_SYSTEM/dev/shm"
      mount -t tmpfs -o mode=1777 tmp "$DODIR_SYSTEM/tmp"
      mkdir -p "$DODIR_SYSTEM$DODIR_ROOT"
      mount --bind "$DODIR_ROOT" "$DODIR_SYSTEM$DODIR_ROOT"
      exec chroot "$DODIR_SYSTEM" bash -c "cd \"\$0\" && exec \"\$@\"" "$DODIR_ROOT" "$@"
    ' inside "$@"
}

make_system() {
  [ -f "$stamp" ] && return 0
  if [ ! -f "$system/.dodir-bootstrapped" ]; then
    echo "debian13: making a Debian 13 system in $system"
    $SUDO rm -rf "$system"
    $SUDO mkdir -p "$system"
    $SUDO debootstrap --variant=minbase trixie "$system" "$mirror" >"$system.log" 2>&1 ||
      { tail -n 20 "$system.log"; exit 1; }
    $SUDO touch "$system/.dodir-bootstrapped"
  fi
  echo "debian13: installing what the Windows tests need"
  # apt needs the host's network and resolver; the prefix is made in the system's own network,
  # where its Xvfb's display number cannot meet the host's.
  $SUDO cp -f /etc/resolv.conf "$system/etc/resolv.conf"
  inside --host-network scripts/setup.sh --run --no-prefix
  inside --host-network apt-get clean
  inside scripts/setup.sh --run
  $SUDO touch "$stamp"
}

case "${1:-}" in
  make) make_system ;;
  run) shift; make_system; inside "$@" ;;
  tests) shift; make_system; inside scripts/wine-tests.sh "$@" ;;
  *) echo "usage: debian13.sh make | run CMD... | tests [ctest args]"; exit 2 ;;
esac
