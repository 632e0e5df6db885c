#!/usr/bin/env bash
# Checks a Windows installer under Wine as school IT uses it, in a Wine prefix of its own: the
# silent install puts the program in Program Files, its Start-menu shortcut and its entry in the
# installed programs with the version; the silent uninstall removes all of them and leaves the
# administrator's settings (the file in ProgramData, the policy key). The NSIS installer is
# uninstalled by its entry's QuietUninstallString, the MSI by msiexec.
# Usage: check_installer.sh <tavorim-<version>-setup.exe | tavorim-<version>.msi> <version>
#                           [program folder it was made from]
#   With the program folder, the installed folder must hold exactly its files.
set -euo pipefail
installer=$(readlink -f "$1")
version=$2
program_folder=${3:+$(readlink -f "$3")}
sources=$(readlink -f "$(dirname "$0")/../..")
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
tools=("$wine" wineserver Xvfb)
[[ "$installer" == *.msi ]] && tools+=(msiinfo)
for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
[[ -f "$installer" ]] || { echo "FAIL: no installer $installer" >&2; exit 1; }

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xserver_pid=
cleanup() {
    wineserver -k 2>/dev/null || true
    if [[ -n "$xserver_pid" ]]; then
        kill "$xserver_pid" 2>/dev/null || true
        wait "$xserver_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Wine makes no process without a display, even for a window-less installer.
coproc xserver { exec python3 "$sources/tests/support/xserver.py" --no-window-manager 2>/dev/null; }
xserver_pid=$xserver_PID
read -r -t 60 DISPLAY <&"${xserver[0]}" || fail "Xvfb did not start"
export DISPLAY

drive_c=$WINEPREFIX/drive_c
installed=$drive_c/Program\ Files/Tavorim
start_menus=("$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs")
admin_file=$drive_c/ProgramData/Tavorim/tavorim.ini
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavorim'
policy_key='HKLM\Software\Policies\Tavorim'
# shortcut: the program's Start-menu shortcut, empty when there is none.
shortcut() { ls -d "${start_menus[@]/%//Tavorim.lnk}" 2>/dev/null | head -n 1; }

"$wine" wineboot --init >/dev/null 2>&1
timeout 120 wineserver -w || fail "Wine's prefix was not made within 120 s"
mkdir -p "$(dirname "$admin_file")"
echo "[General]" >"$admin_file"
"$wine" reg add "$policy_key" /v Niveau /t REG_SZ /d 2 /f >/dev/null

install=("$wine" "$installer" /S)
if [[ "$installer" == *.msi ]]; then
    code=$(msiinfo export "$installer" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p')
    key="${key%Tavorim}$code"
    install=("$wine" msiexec /i "$installer" /qn)
    uninstall=("$wine" msiexec /x "$installer" /qn)
    # Wine's msiexec puts even a per-machine product's shortcut in the user's Start menu, a
    # folder wineboot has just made.
    start_menus+=("$drive_c"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs)
fi

# timed NAME COMMAND...: runs it until every Wine process has ended (an uninstaller hands over
# to a copy of itself and returns at once), says how long it took, fails on a non-zero status.
timed() {
    local name=$1 start status=0
    shift
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || status=$?
    timeout 120 wineserver -w || fail "$name still running after 120 s"
    ((status == 0)) || fail "$name ended with status $status"
    echo "$name: $((($(date +%s%N) - start) / 1000000)) ms"
}
# value NAME: a value of the uninstall key, empty when it or the key is missing.
value() {
    "$wine" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}

timed "silent install" "${install[@]}"
[[ -f "$installed/tavorim.exe" ]] || fail "no tavorim.exe in Program Files\\Tavorim"
if [[ -n "$program_folder" ]]; then
    diff <(cd "$program_folder" && find . -type f | sort) \
        <(cd "$installed" && find . -type f ! -name tavorim.ico ! -name uninstall.exe | sort) ||
        fail "the installed folder differs from the program folder"
fi
[[ -n "$(shortcut)" ]] || fail "no Start-menu shortcut Tavorim"
grep -qaF 'Tavorim\tavorim.exe' "$(shortcut)" || fail "the shortcut does not start tavorim.exe"
[[ "$(value DisplayName)" == Tavorim ]] ||
    fail "installed programs: DisplayName '$(value DisplayName)'"
[[ "$(value DisplayVersion)" == "$version" ]] ||
    fail "installed programs: version '$(value DisplayVersion)', expected $version"
[[ -n "$(value Publisher)" ]] || fail "installed programs: no Publisher"
if [[ "$installer" != *.msi ]]; then
    for name in UninstallString EstimatedSize NoModify NoRepair; do
        [[ -n "$(value "$name")" ]] || fail "installed programs: no $name"
    done
    [[ "$(value DisplayIcon)" == *'\Tavorim\tavorim.ico' && -f "$installed/tavorim.ico" ]] ||
        fail "installed programs: icon '$(value DisplayIcon)' not installed"
    quiet=$(value QuietUninstallString)
    [[ "$quiet" =~ ^\"(.*)\"\ /S$ ]] || fail "installed programs: QuietUninstallString '$quiet'"
    uninstall=("$wine" "${BASH_REMATCH[1]}" /S)
fi

timed "silent uninstall" "${uninstall[@]}"
[[ ! -e "$installed" ]] || fail "left in Program Files: $(cd "$installed" && find . | head)"
[[ -z "$(shortcut)" ]] || fail "the Start-menu shortcut is left"
"$wine" reg query "$key" >/dev/null 2>&1 && fail "the installed programs' entry is left"
[[ -f "$admin_file" ]] || fail "the administrator's settings file was removed"
"$wine" reg query "$policy_key" /v Niveau >/dev/null 2>&1 || fail "the policy key was removed"
echo "PASS: installer $(basename "$installer") ($(du -k "$installer" | cut -f1) KiB)"
