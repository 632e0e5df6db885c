#!/usr/bin/env bash
# Builds the Debian package, checks its contents and metadata, unpacks it into a temporary
# root and starts the unpacked program until its main window shows.
# Usage: check_package.sh <build dir>
set -euo pipefail
build=$(readlink -f "$1")
work=$(mktemp -d)
xvfb_pid=
wm_pid=
program_pid=
cleanup() {
    [[ -n "$program_pid" ]] && kill -9 "$program_pid" 2>/dev/null || true
    [[ -n "$wm_pid" ]] && kill "$wm_pid" 2>/dev/null || true
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

echo "-- building the package"
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/tavorim_*_amd64.deb 2>/dev/null | head -n 1)
[[ -n "$deb" ]] || fail "no tavorim_<version>_amd64.deb made"
echo "   $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
[[ "$depends" == *libqt6widgets6* ]] || fail "Depends lacks the Qt libraries: $depends"
[[ "$recommends" == *pulseaudio* ]] || fail "Recommends lacks a sound server: $recommends"

root="$work/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/tavorim usr/lib/tavorim/tavorim usr/lib/tavorim/hhctrl.ocx \
    usr/lib/tavorim/tavorim.chm usr/lib/tavorim/TAVORD.WAV usr/lib/tavorim/TAVORJ7.WAV \
    usr/lib/tavorim/TAVORF0.WAV usr/share/applications/example.quillavo.Tavorim.desktop \
    usr/share/metainfo/example.quillavo.Tavorim.metainfo.xml usr/share/icons/hicolor/48x48/apps/tavorim.png \
    usr/share/icons/hicolor/scalable/apps/tavorim.svg; do
    [[ -e "$root/$f" ]] || fail "package lacks $f"
done
grep -qx 'Path=/usr/lib/tavorim' "$root/usr/share/applications/example.quillavo.Tavorim.desktop" ||
    fail "desktop file does not start the program in its folder"

echo "-- validating the desktop file and the AppStream metadata"
desktop-file-validate "$root/usr/share/applications/example.quillavo.Tavorim.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.quillavo.Tavorim.metainfo.xml"

echo "-- starting the unpacked program"
if command -v Xvfb >/dev/null && command -v xwininfo >/dev/null; then
    # Xvfb picks a free display number itself and writes it once it accepts clients.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" \
        >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 200); do [[ -s "$work/display" ]] && break; sleep 0.1; done
    [[ -s "$work/display" ]] || fail "Xvfb did not start"
    display=":$(tr -d '[:space:]' <"$work/display")"
    # A window manager, as on a desktop: it activates the program's windows.
    if command -v openbox >/dev/null; then
        DISPLAY="$display" openbox --sm-disable >/dev/null 2>&1 &
        wm_pid=$!
    fi
    DISPLAY="$display" QT_QPA_PLATFORM=xcb "$root/usr/bin/tavorim" >"$work/run.log" 2>&1 &
    program_pid=$!
    for _ in $(seq 150); do
        windows=$(xwininfo -display "$display" -root -tree 2>/dev/null || true)
        if [[ "$windows" == *'"TavoRim v. 2.4 complète et gratuite"'* ]]; then
            echo "   main window shown"
            exit 0
        fi
        kill -0 "$program_pid" 2>/dev/null || { cat "$work/run.log"; fail "program ended early"; }
        sleep 0.2
    done
    cat "$work/run.log"
    fail "main window not shown within 30 s"
else
    echo "SKIP: no X server (Xvfb, xwininfo) to show the program's window"
    exit 77
fi
