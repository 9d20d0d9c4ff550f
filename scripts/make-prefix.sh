#!/usr/bin/env bash
# Makes the project's Wine prefix under build/: code page 936 through the locale, a fixed
# 1024x768 virtual desktop, Chinese font replacements and the caption-button font.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/env.sh"
stamp="$WINEPREFIX/.iplatency-ready"
[ -f "$stamp" ] && exit 0

echo "setup: making the Wine prefix in $WINEPREFIX"
mkdir -p "$WINEPREFIX"
"$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
"$WINESERVER" -w

cat > "$WINEPREFIX/iplatency.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Tahoma"="WenQuanYi Zen Hei"
"MS Shell Dlg"="WenQuanYi Zen Hei"
"MS Shell Dlg 2"="WenQuanYi Zen Hei"
"SimSun"="WenQuanYi Zen Hei"
"Microsoft Sans Serif"="WenQuanYi Zen Hei"
"宋体"="WenQuanYi Zen Hei"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"
REG
"$WINE" regedit "$WINEPREFIX/iplatency.reg" </dev/null >/dev/null 2>&1
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
"$WINESERVER" -w
touch "$stamp"
