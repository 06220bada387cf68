#!/usr/bin/env bash
# The installer in a fresh copy of the run's prefix: a silent install gives the program, its
# shortcut and its uninstall entry; a newer one over it upgrades in place and keeps the settings;
# the installed program starts and shows the demo camera; a silent uninstall removes the program
# and its entry and leaves the settings and the save folder.
#   installer_e2e.sh VANTIX_EXE NSI_SCRIPT ICON
set -uo pipefail
exe=$1 nsi=$2 icon=$3
command -v makensis >/dev/null || { echo "makensis missing (tools/install-deps installs nsis)"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/vantix-installer.XXXXXX")
trap 'WINEPREFIX=$work/prefix wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
cp -a "$VANTIX_WINE_TEMPLATE" "$work/prefix"
mkdir -p "$work/home"
export WINEPREFIX=$work/prefix HOME=$work/home WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
fail=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; fail=1; fi; }
for v in 1.0.0 1.0.1; do
    makensis -V1 -DVERSION=$v -DEXE="$exe" -DICON="$icon" -DOUTFILE="$work/setup-$v.exe" "$nsi" || exit 1
done
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VantixQuorel'
entry() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n {print $3}'; }
programs=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -path '*/AppData/Local' | head -1)/Programs/Vantix\ Quorel
menu=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -path '*/AppData/Roaming' | head -1)/Microsoft/Windows/Start\ Menu/Programs

wine "$work/setup-1.0.0.exe" /S
check "installed" '[ -f "$programs/vantix.exe" ] && [ -f "$programs/uninstall.exe" ]'
check "shortcut" '[ -f "$menu/Vantix Quorel.lnk" ]'
check "entry with version" '[ "$(entry DisplayVersion)" = 1.0.0 ] && [ "$(entry Publisher)" = Vantix ]'

# The installed program opens the demo camera and keeps taking its frames; on the way it makes its
# save folder and writes its settings.
ctl="$(dirname "$exe")/testcam_ctl.exe"
instance='vid_1d6b&pid_0102&mi_00#demo#0'
wine "$ctl" register --name "Demo Microscope" >/dev/null 2>&1
frames() { wine "$ctl" status --instance "$instance" 2>/dev/null | tr -d '\r' | awk '$1 == "framesDelivered" {print $2}'; }
wine "$programs/vantix.exe" >/dev/null 2>&1 &
started=0
for _ in $(seq 60); do
    sleep 0.5
    [ "$(frames)" -gt 30 ] 2>/dev/null && { started=1; break; }
done
check "installed program shows the demo camera" '[ $started = 1 ] && [ "$(frames)" -gt 30 ]'
saved=$(find "$WINEPREFIX/drive_c/users" -maxdepth 4 -type d -name 'Vantix Files' | head -1)
check "installed program made its save folder" '[ -n "$saved" ]'
[ -n "$saved" ] && echo photo >"$saved/photo.png"
wineserver -k >/dev/null 2>&1
wine "$ctl" unregister --instance "$instance" >/dev/null 2>&1

wine reg add 'HKCU\Software\Vantix' /v Calibrations /t REG_SZ /d 'kept,0,100,1065353216,20240131,0;' /f >/dev/null 2>&1
mkdir -p "$work/home/saved" && echo photo >"$work/home/saved/photo.png"
wine "$work/setup-1.0.1.exe" /S
check "upgraded in place" '[ "$(entry DisplayVersion)" = 1.0.1 ] && [ -f "$programs/vantix.exe" ]'
check "settings kept by the upgrade" 'wine reg query "HKCU\Software\Vantix" /v Calibrations 2>/dev/null | grep -q kept'

wine "$programs/uninstall.exe" /S
for _ in $(seq 50); do [ -e "$programs" ] || break; sleep 0.2; done # it finishes from a copy of itself
check "program removed" '[ ! -e "$programs" ] && [ ! -e "$menu/Vantix Quorel.lnk" ]'
check "entry removed" '! wine reg query "$key" >/dev/null 2>&1'
check "settings and save folder kept" 'wine reg query "HKCU\Software\Vantix" /v Calibrations 2>/dev/null | grep -q kept && [ -f "$work/home/saved/photo.png" ] && [ -f "$saved/photo.png" ]'
exit $fail
