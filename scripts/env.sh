# Sourced by the project's scripts: the Wine environment dodir runs and is tested in.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${DODIR_WINEPREFIX:-$HOME/.local/share/dodir/wineprefix}"
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
