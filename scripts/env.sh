# Sourced by the other scripts: where things are, and how Wine is run for this project.
root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX="${IPL_WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
