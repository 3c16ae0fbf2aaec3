#!/usr/bin/env bash
# Creates (once) the project's own Wine prefix, never ~/.wine, with the Japanese font replacements.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/env.sh"
stamp="$WINEPREFIX/$prefix_stamp"
if [ -f "$stamp" ]; then exit 0; fi
mkdir -p "$WINEPREFIX"
echo "setup: preparing Wine prefix $WINEPREFIX"
with_display wineboot -u >/dev/null 2>&1 || true
wineserver -w || true
# Wine draws the caption buttons with Marlett, from Debian's fonts-wine; this Wine reads it
# only from the prefix's own font folder (without it a close box shows as the letter "r").
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -f /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
reg="$WINEPREFIX/fonts.reg"
# "ＭＳ Ｐゴシック" and "ＭＳ ゴシック" are not shipped with Wine: IPA fonts have the same metrics.
cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS PGothic"="IPAPGothic"
"MS Gothic"="IPAGothic"
"ＭＳ Ｐ明朝"="IPAPGothic"
"ＭＳ 明朝"="IPAGothic"
; The system font of newer Wines (Tahoma) falls back to "MS UI Gothic" for Japanese text.
"MS UI Gothic"="IPAPGothic"

; The tests run at 96 dpi; other resolutions go to copies of the prefix (scripts/wine-exec.sh).
[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:00000060

; Without a window manager (Xvfb) managed windows make Wine wait for state changes that
; never come: every hide or destroy would take two seconds.
[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
iconv -f UTF-8 -t UTF-16LE <(printf '\xef\xbb\xbf'; sed 's/^REGEDIT4$/Windows Registry Editor Version 5.00/' "$reg") >"$reg.utf16" 2>/dev/null || true
with_display wine regedit /S "$(winepath -w "$reg.utf16")" >/dev/null 2>&1 || true
wineserver -w || true
grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" || { echo "setup: font replacement not written" >&2; exit 1; }
touch "$stamp"
