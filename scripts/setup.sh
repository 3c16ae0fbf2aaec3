#!/usr/bin/env bash
# Makes a Debian 12 or 13 machine ready to build, run and test dodir. Safe to run again.
#   --run        only what running the Windows tests needs (no compilers: the Debian 13
#                system of scripts/debian13.sh runs the host's build)
#   --no-prefix  installs packages only, without preparing the Wine prefix
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
run_only=0 prefix=1
for arg in "$@"; do
  case "$arg" in
    --run) run_only=1 ;;
    --no-prefix) prefix=0 ;;
    *) echo "usage: setup.sh [--run] [--no-prefix]"; exit 2 ;;
  esac
done
SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo

# What running the program and its Windows tests needs: Wine in Xvfb with the Japanese fonts
# and locale, a CUPS queue writing PDFs and the tools that read them back, ctest.
run_pkgs=(
  cmake procps iproute2
  wine wine64 fonts-wine xvfb xauth x11-utils x11-xserver-utils
  fonts-ipafont-gothic locales
  cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils ghostscript fonts-vlgothic
)
# What building and the native tests need, and the Debian 13 system's making.
build_pkgs=(
  make g++ ninja-build python3 git
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  googletest imagemagick clang clang-format debootstrap
)
need_pkgs=("${run_pkgs[@]}")
[ $run_only = 1 ] || need_pkgs+=("${build_pkgs[@]}")

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
updated=0
install_missing() {
  local missing=() p
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [ $updated = 0 ]; then $SUDO apt-get update -qq; updated=1; fi
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
install_missing "${need_pkgs[@]}"
if [ $run_only = 0 ]; then
  # The sanitizers' and libFuzzer's runtime of the installed clang (14 on Debian 12, 19 on 13).
  clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
  install_missing "libclang-rt-$clang_major-dev"
fi

# Threads need the posix-thread MinGW compiler (std::thread, <mutex>) as the default.
if command -v update-alternatives >/dev/null && [ -e /usr/bin/x86_64-w64-mingw32-g++-posix ]; then
  $SUDO update-alternatives --set x86_64-w64-mingw32-g++ /usr/bin/x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || true
  $SUDO update-alternatives --set x86_64-w64-mingw32-gcc /usr/bin/x86_64-w64-mingw32-gcc-posix >/dev/null 2>&1 || true
fi

# ja_JP.UTF-8 makes Wine's ANSI code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi

[ $prefix = 0 ] || "$here/wineprefix.sh"
