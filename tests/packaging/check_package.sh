#!/usr/bin/env bash
# Builds the Debian package and checks it as a distribution would: its metadata and contents,
# lintian (no error, no warning), and the unpacked program starting until its main window
# shows. As root it then installs the package with apt-get, starts the installed program from
# its desktop entry, finds its manual pages, sets the class settings and a teacher's cue and
# checks they hold across an upgrade, purges the package and checks that nothing of it is left
# in /usr and /etc. An installation it did not make is never touched: those steps are skipped.
# Usage: check_package.sh <build dir>
#   TAVORIM_WINDOW_BOUND: seconds a start may take before it counts as failed (default 150)
set -euo pipefail
build=$(readlink -f "$1")
sources=$(readlink -f "$(dirname "$0")/../..")
window_bound=${TAVORIM_WINDOW_BOUND:-150}
work=$(mktemp -d)
home=
display=
xserver_pid=
program_pid=
installed=0
# A started program hands this mark down to what it starts: what it leaves is found by it.
mark=$(basename "$work")
# The administrator's files this test writes, removed at the end.
settings_file=/etc/xdg/tavorim/tavorim.conf
teacher_cue=/usr/local/share/tavorim/cues/TAVORD.WAV
admin_files=0

fail() { echo "FAIL: $*" >&2; exit 1; }

marked_pids() {
    local environ
    for environ in /proc/[0-9]*/environ; do
        if grep -qzxF -- "TAVORIM_PACKAGE_CHECK=$mark" "$environ" 2>/dev/null; then
            basename "${environ%/environ}"
        fi
    done
}

# stop_program: ends the program started last and waits until it is gone, then what it left:
# without a session bus, D-Bus starts one for the display (dbus-launch, dbus-daemon) that
# would outlive it.
stop_program() {
    if [[ -n "$program_pid" ]]; then
        kill -9 "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
        program_pid=
        local signal pids gone
        for signal in TERM KILL; do
            pids=$(marked_pids)
            [[ -n "$pids" ]] || break
            kill -s "$signal" $pids 2>/dev/null || true
            gone=$((SECONDS + 2))
            while [[ -n "$(marked_pids)" ]] && ((SECONDS < gone)); do sleep 0.1; done
        done
    fi
}

remove_admin_files() {
    rm -f "$settings_file" "$teacher_cue"
    rmdir -p "$(dirname "$settings_file")" "$(dirname "$teacher_cue")" 2>/dev/null || true
    admin_files=0
}

purge() {
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -q -o DPkg::Lock::Timeout=300 tavorim \
        >"$work/purge.log" 2>&1
}

cleanup() {
    stop_program
    if ((installed)) && dpkg-query -W -f='${Status}' tavorim 2>/dev/null | grep -q installed; then
        echo "-- purging the package left installed by a failed step"
        purge || cat "$work/purge.log"
    fi
    ((admin_files)) && remove_admin_files
    if [[ -n "$xserver_pid" ]]; then
        kill "$xserver_pid" 2>/dev/null || true
        wait "$xserver_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
    [[ -n "$home" ]] && rm -rf "$home"
    return 0
}
trap cleanup EXIT

echo "-- building the package"
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/tavorim_*_amd64.deb 2>/dev/null | head -n 1)
[[ -n "$deb" ]] || fail "no tavorim_<version>_amd64.deb made"
echo "   $(basename "$deb")"
version=$(dpkg-deb -f "$deb" Version)
title="TavoRim v. $version complète et gratuite"

echo "-- control data"
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
echo "   Depends: $depends"
echo "   Recommends: $recommends"
for needed in libqt6widgets6 libqt6multimedia6 libmspack0 libsndfile1 libcurl4 qt6-qpa-plugins \
    qt6-translations-l10n fonts-liberation xdg-utils; do
    [[ ", $depends," == *", $needed"[\ ,\|]* ]] || fail "Depends lacks $needed: $depends"
done
[[ "$recommends" == *pulseaudio* ]] || fail "Recommends lacks a sound server: $recommends"
# A private module in the program folder needs no maintainer script, trigger or shlibs file.
control_files=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v '^$' | sort |
    tr '\n' ' ')
[[ "$control_files" == "control md5sums " ]] ||
    fail "control archive holds more than control and md5sums: $control_files"

# The extended description says what the AppStream metadata says, in both languages.
dpkg-deb -f "$deb" Description >"$work/description"
root="$work/root"
dpkg-deb -x "$deb" "$root"
python3 - "$work/description" "$root/usr/share/metainfo/example.quillavo.Tavorim.metainfo.xml" <<'EOF' ||
import sys
import xml.etree.ElementTree as ET
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()[1:]
text = " ".join("" if l.strip() == "." else l.strip() for l in lines)
text = " ".join(text.split())
paragraphs = [" ".join("".join(p.itertext()).split())
              for p in ET.parse(sys.argv[2]).getroot().find("description").iter("p")]
missing = [p for p in paragraphs if p not in text]
if not text or not paragraphs or missing:
    print("\n".join(missing) or "empty", file=sys.stderr)
    sys.exit(1)
EOF
    fail "the extended description differs from the metainfo's"

echo "-- contents"
for f in usr/bin/tavorim usr/lib/tavorim/tavorim usr/lib/tavorim/hhctrl.ocx usr/lib/tavorim/tavorimaudio.so \
    usr/lib/tavorim/tavorimweb.so \
    usr/lib/tavorim/tavorim.chm usr/lib/tavorim/TAVORD.WAV usr/lib/tavorim/TAVORJ7.WAV \
    usr/lib/tavorim/TAVORF0.WAV usr/share/applications/example.quillavo.Tavorim.desktop \
    usr/share/metainfo/example.quillavo.Tavorim.metainfo.xml usr/share/icons/hicolor/48x48/apps/tavorim.png \
    usr/share/icons/hicolor/scalable/apps/tavorim.svg usr/share/doc/tavorim/copyright \
    usr/share/doc/tavorim/changelog.gz usr/share/man/man6/tavorim.6.gz \
    usr/share/man/fr/man6/tavorim.6.gz; do
    [[ -e "$root/$f" ]] || fail "package lacks $f"
done
grep -qx 'Path=/usr/lib/tavorim' "$root/usr/share/applications/example.quillavo.Tavorim.desktop" ||
    fail "desktop file does not start the program in its folder"
for binary in usr/lib/tavorim/tavorim usr/lib/tavorim/hhctrl.ocx usr/lib/tavorim/tavorimaudio.so \
    usr/lib/tavorim/tavorimweb.so; do
    sections=$(readelf -S --wide "$root/$binary")
    [[ "$sections" != *" .symtab "* && "$sections" != *" .debug_"* ]] ||
        fail "$binary is not stripped"
done

# The sound system and the wave decoder come with the audio output module, on the first cue: a
# start without sound loads neither; libcurl comes with the web module, when the exit report
# is sent. Nothing in the program needs Qt Network.
needed=$(readelf -d "$root/usr/lib/tavorim/tavorim")
[[ "$needed" != *"[libQt6Multimedia"* ]] || fail "the program itself needs Qt Multimedia"
[[ "$needed" != *"[libsndfile"* ]] || fail "the program itself needs libsndfile"
[[ "$needed" != *"[libQt6Network"* ]] || fail "the program needs Qt Network"
[[ "$needed" != *"[libcurl"* ]] || fail "the program itself needs libcurl"

# gzip_header_ok <file>: compressed with -9 (XFL 2), with no file name and no time stamp.
gzip_header_ok() {
    local header
    header=$(od -An -tu1 -N9 "$1" | tr -s ' ')
    [[ "$header" == " 31 139 8 0 0 0 0 0 2" ]]
}
for gz in usr/share/doc/tavorim/changelog.gz usr/share/man/man6/tavorim.6.gz \
    usr/share/man/fr/man6/tavorim.6.gz; do
    gzip_header_ok "$root/$gz" || fail "$gz is not compressed with gzip -9n"
done
zcat "$root/usr/share/doc/tavorim/changelog.gz" | cmp -s - "$sources/packaging/changelog" ||
    fail "the packaged changelog differs from packaging/changelog"
changelog_version=$(dpkg-parsechangelog -l "$sources/packaging/changelog" -S Version)
[[ "$changelog_version" == "$version" ]] ||
    fail "packaging/changelog's newest entry is $changelog_version, the package $version"
head -n 1 "$root/usr/share/doc/tavorim/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright file is not machine-readable (DEP-5)"

# The manual pages render without a warning, name the installed program folder and say what
# this build does with the exit report.
stats_url=$(sed -n 's/^TAVORIM_STATS_URL:[A-Z]*=//p' "$build/CMakeCache.txt")
for page in usr/share/man/man6/tavorim.6.gz usr/share/man/fr/man6/tavorim.6.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$root/$page" 2>&1 \
        >/dev/null)
    [[ -z "$warnings" ]] || fail "$page: $warnings"
    rendered=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$root/$page" 2>/dev/null)
    [[ "$rendered" == *"/usr/lib/tavorim/tavorim.chm"* ]] ||
        fail "$page does not name the installed program folder"
    if [[ -n "$stats_url" ]]; then
        [[ "$rendered" == *"$stats_url"* ]] || fail "$page does not give the report's address"
    else
        [[ "$rendered" != *"testfmail"* ]] || fail "$page gives an address this build lacks"
    fi
done

echo "-- validating the desktop file and the AppStream metadata"
desktop-file-validate "$root/usr/share/applications/example.quillavo.Tavorim.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.quillavo.Tavorim.metainfo.xml"

echo "-- lintian"
command -v lintian >/dev/null || fail "lintian is not installed (scripts/setup test)"
lintian_status=0
lintian --fail-on error,warning --display-info --show-overrides "$deb" >"$work/lintian.log" 2>&1 ||
    lintian_status=$?
grep -v '^running with root privileges' "$work/lintian.log" | sed 's/^/   /'
((lintian_status == 0)) || fail "lintian reports errors or warnings (status $lintian_status)"
echo "   lintian: no error, no warning"

if ! command -v Xvfb >/dev/null || ! command -v xwininfo >/dev/null ||
    ! command -v python3 >/dev/null; then
    echo "SKIP: no X server (Xvfb, xwininfo, python3) to show the program's window"
    exit 77
fi

# xwininfo converts the window's UTF-8 title only under a UTF-8 locale, which a machine may
# lack; C.UTF-8 is always there.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# An X server of its own, with a window manager when there is one, as on a desktop: it
# activates the program's windows. The launcher prints the display once the screen is managed.
launcher=(python3 "$sources/tests/support/xserver.py")
command -v openbox >/dev/null && command -v xprop >/dev/null || launcher+=(--no-window-manager)
coproc xserver { exec "${launcher[@]}" 2>/dev/null; }
xserver_pid=$xserver_PID
read -r -t 60 display <&"${xserver[0]}" || fail "Xvfb did not start"

# main_window_shown: the main window's title is on the display.
main_window_shown() {
    local windows
    windows=$(xwininfo -display "$display" -root -tree 2>/dev/null || true)
    [[ "$windows" == *"\"$title\""* ]]
}

# wait_for_main_window <log>: polls until the main window shows, at most window_bound seconds;
# fails as soon as the program ends.
wait_for_main_window() {
    local log=$1 started=$SECONDS
    while ((SECONDS - started < window_bound)); do
        if main_window_shown; then
            echo "   main window shown after $((SECONDS - started)) s"
            return 0
        fi
        kill -0 "$program_pid" 2>/dev/null || { cat "$log"; fail "program ended early"; }
        sleep 0.2
    done
    cat "$log"
    fail "main window not shown within $window_bound s"
}

echo "-- starting the unpacked program"
DISPLAY="$display" QT_QPA_PLATFORM=xcb TAVORIM_PACKAGE_CHECK="$mark" "$root/usr/bin/tavorim" \
    >"$work/run.log" 2>&1 &
program_pid=$!
wait_for_main_window "$work/run.log"
stop_program

if [[ $(id -u) -ne 0 ]]; then
    echo "SKIP: not root, so the package is not installed, started from its desktop entry and purged"
    exit 0
fi

echo "-- installing the package"
if dpkg-query -W -f='${Status}' tavorim 2>/dev/null | grep -q 'installed'; then
    echo "SKIP: a tavorim package ($(dpkg-query -W -f='${Version}' tavorim)) is already installed" \
        "here, and this test never removes or replaces an installation it did not make: the" \
        "install, upgrade and purge steps are skipped (apt-get purge tavorim to run them)"
    exit 0
fi
for path in "$settings_file" "$teacher_cue"; do
    if [[ -e "$path" ]]; then
        echo "SKIP: $path is the administrator's and this test would replace it: the install," \
            "upgrade and purge steps are skipped"
        exit 0
    fi
done
# What of the package's paths exists beforehand (shared folders such as /usr/share/man) stays.
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|; s|/$||' | grep -v '^$' >"$work/paths"
while read -r path; do
    [[ -e "$path" ]] && echo "$path"
done <"$work/paths" >"$work/before"
find /usr /etc -iname '*tavorim*' 2>/dev/null | sort >"$work/named-before"
installed=1
# Nothing is fetched: what the package depends on and recommends is already there
# (scripts/setup test), so apt-get would install the package alone.
others=$(apt-get install -s -q -o DPkg::Lock::Timeout=300 "$deb" 2>&1 |
    sed -n 's/^Inst \([^ ]*\) .*/\1/p' | grep -vx tavorim || true)
[[ -z "$others" ]] || fail "apt-get would fetch what scripts/setup test lacks:" $others
DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=300 "$deb" \
    >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "apt-get install failed"; }
dpkg-query -W -f='${Status}' tavorim | grep -qx 'install ok installed' ||
    fail "tavorim not installed after apt-get install"
dpkg-query -L tavorim | sort >"$work/owned"
echo "   installed $version, $(wc -l <"$work/owned") paths"

echo "-- starting the installed program from its desktop entry, as an unprivileged user"
entry=/usr/share/applications/example.quillavo.Tavorim.desktop
exec_line=$(sed -n 's/^Exec=//p' "$entry" | head -n 1)
exec_dir=$(sed -n 's/^Path=//p' "$entry" | head -n 1)
[[ -n "$exec_line" && -d "$exec_dir" ]] || fail "desktop entry lacks Exec or a Path that exists"
exec_line=${exec_line//%[fFuUick]/}
home=$(mktemp -d)
chown nobody:nogroup "$home"
# The earlier copy's windows are gone before this one starts.
deadline=$((SECONDS + window_bound))
while main_window_shown && ((SECONDS < deadline)); do sleep 0.2; done
(cd "$exec_dir" && exec env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$home" LANG=C.UTF-8 \
    DISPLAY="$display" TAVORIM_PACKAGE_CHECK="$mark" ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} \
    ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} \
    setpriv --reuid=nobody --regid=nogroup --clear-groups sh -c "exec $exec_line") \
    >"$work/installed-run.log" 2>&1 &
program_pid=$!
wait_for_main_window "$work/installed-run.log"
running=$(readlink "/proc/$program_pid/exe")
[[ "$running" == "$exec_dir/tavorim" ]] || fail "the window is not the installed program's: $running"
[[ $(stat -c %U "/proc/$program_pid") == nobody ]] || fail "the installed program runs as root"
stop_program

echo "-- manual pages"
page=$(man -w tavorim) || fail "man -w tavorim finds no page"
echo "   man -w tavorim: $page"
[[ "$page" == /usr/share/man/man6/tavorim.6.gz ]] || fail "unexpected manual page $page"
page_fr=$(LANGUAGE='' LC_ALL=C.UTF-8 man -w -L fr tavorim) ||
    fail "man -w -L fr tavorim finds no page"
echo "   man -w -L fr tavorim: $page_fr"
[[ "$page_fr" == /usr/share/man/fr/man6/tavorim.6.gz ]] || fail "unexpected French page $page_fr"

# show_settings <expected>: the installed program, as a pupil, prints the settings in force.
show_settings() {
    local shown
    shown=$(env -i PATH=/usr/bin:/bin HOME="$home" setpriv --reuid=nobody --regid=nogroup \
        --clear-groups /usr/bin/tavorim --show-settings 2>&1) || fail "tavorim --show-settings failed"
    [[ "$shown" == *"$1"* ]] || fail "settings in force: $shown; expected: $1"
}

echo "-- a class's settings and a teacher's cue, kept across an upgrade"
admin_files=1
mkdir -p "$(dirname "$settings_file")" "$(dirname "$teacher_cue")"
printf '# for every pupil\nreport = off\nlevel = II\nsound = off\nsound-locked = on\n' \
    >"$settings_file"
cp "$root/usr/lib/tavorim/TAVORJ0.WAV" "$teacher_cue"
expected_settings=$(printf '# ligne %s de %s\n%s\n' 2 "$settings_file" 'report = off' 3 \
    "$settings_file" 'level = II' 4 "$settings_file" 'sound = off' 5 "$settings_file" \
    'sound-locked = on')
expected_cue="TAVORD.WAV: $teacher_cue"
show_settings "$expected_settings"
show_settings "$expected_cue"
# A newer build of the same files: the control data's version raised.
dpkg-deb -R "$deb" "$work/newer"
sed -i "s/^Version: .*/Version: $version+1/" "$work/newer/DEBIAN/control"
dpkg-deb --root-owner-group -b "$work/newer" "$work/newer.deb" >/dev/null
DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=300 "$work/newer.deb" \
    >"$work/upgrade.log" 2>&1 || { cat "$work/upgrade.log"; fail "upgrade failed"; }
[[ $(dpkg-query -W -f='${Version}' tavorim) == "$version+1" ]] || fail "upgrade not installed"
show_settings "$expected_settings"
show_settings "$expected_cue"
cmp -s "$root/usr/lib/tavorim/TAVORJ0.WAV" "$teacher_cue" || fail "the upgrade changed the teacher's cue"
dpkg-query -L tavorim | sort >"$work/owned"
echo "   settings and cue kept across the upgrade to $version+1"

echo "-- purging the package"
purge || { cat "$work/purge.log"; fail "apt-get purge failed"; }
installed=0
if dpkg-query -W -f='${Status}' tavorim 2>/dev/null | grep -q 'installed'; then
    fail "tavorim still known to dpkg after the purge"
fi
# The administrator's files are not the package's: the purge leaves them.
[[ -f "$settings_file" && -f "$teacher_cue" ]] || fail "the purge removed the administrator's files"
remove_admin_files
left=()
while read -r path; do
    [[ "$path" == /usr/* || "$path" == /etc/* ]] || continue
    grep -qxF "$path" "$work/before" && continue
    [[ -e "$path" || -L "$path" ]] && left+=("$path")
done <"$work/owned"
while read -r path; do
    grep -qxF "$path" "$work/named-before" || left+=("$path")
done < <(find /usr /etc -iname '*tavorim*' 2>/dev/null | sort)
if ((${#left[@]} > 0)); then
    # Cleared, so that the next run does not take them for the system's own.
    rm -rf -- "${left[@]}"
    fail "left after the purge: $(printf '%s\n' "${left[@]}" | sort -u | tr '\n' ' ')"
fi
echo "   nothing of the package is left in /usr and /etc"
