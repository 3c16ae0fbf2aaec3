# Sourced by the project's scripts: the Wine environment dodir runs and is tested in.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${DODIR_WINEPREFIX:-$HOME/.local/share/dodir/wineprefix}"
# Present in a prefix that scripts/wineprefix.sh has prepared; renamed when that changes.
prefix_stamp=.dodir-ready-6
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export PATH="/usr/lib/wine:$PATH"
# Runs a command with an X display: the current one, or a private Xvfb for its duration.
with_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then "$@"; return; fi
  xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
}
# Starts a Wine server of its own for the prefix (ending any left running). The first Wine
# process of a session starts Wine's services, which inherit its output and keep it open until
# the server ends: they are started here, away from the caller's pipes.
fresh_wineserver() {
  wineserver -k 2>/dev/null || true
  wineserver -p
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}
# Sets the resolution (dots per inch) Wine reports to the programs started afterwards in the
# prefix; nothing is written when the prefix has it already.
set_prefix_dpi() {
  local hex
  hex=$(printf '%08x' "$1")
  grep -q "^\"LogPixels\"=dword:$hex" "$WINEPREFIX/user.reg" 2>/dev/null && return 0
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
# The desktop's resolution: Xft.dpi from the X server's resources, or else 96 times the scale
# factor the environment gives (GDK_SCALE, QT_SCALE_FACTOR); 96 without either.
desktop_dpi() {
  local dpi factor
  dpi=$(xrdb -query 2>/dev/null | awk '/^Xft\.dpi:/ { printf "%d", $2 + 0.5; exit }')
  if [ -z "$dpi" ] || [ "$dpi" -le 0 ]; then
    factor=${GDK_SCALE:-${QT_SCALE_FACTOR:-}}
    dpi=$(awk -v f="$factor" 'BEGIN { d = int(96 * f + 0.5); print (d > 0 ? d : 96) }')
  fi
  echo "$dpi"
}
