#!/bin/sh
# Compiles the help file with chmcmd and mends what chmcmd gets wrong.
#   compile_help.sh <chmcmd> <source folder> <work folder> <output .chm>
# - chmcmd resolves "#include" of [MAP] against its working folder, so it runs from a copy
#   of the sources in the work folder (which also keeps its by-products out of the sources);
# - chmcmd writes the first header GUID twice; the second one (offset 0x28) must end in
#   0x11, or libmspack refuses the file.
# Keep in contexte.h: "#define NAME NUMBER" with single spaces and no comments (chmcmd drops
# other lines silently), and give every [MAP] name an [ALIAS] entry whose page is listed in
# [FILES] with forward slashes.
set -eu
chmcmd=$1
sources=$2
work=$3
output=$4

rm -rf "$work"
mkdir -p "$work"
cp -R "$sources/." "$work/"
rm -f "$work/CMakeLists.txt" "$work/compile_help.sh"
cd "$work"
"$chmcmd" tavorim.hhp >chmcmd.log 2>&1 || { cat chmcmd.log; exit 1; }
if grep -qi 'error' chmcmd.log; then
    cat chmcmd.log
    exit 1
fi
[ -s tavorim.chm ] || { echo "chmcmd made no tavorim.chm" >&2; cat chmcmd.log; exit 1; }

# Second GUID {7C01FD11-7BAA-11D0-9E0C-00A0C922E6EC}: only its first byte differs.
first=$(od -An -tx1 -j 40 -N 1 tavorim.chm | tr -d ' \n')
case "$first" in
10) printf '\021' | dd of=tavorim.chm bs=1 seek=40 conv=notrunc status=none ;;
11) ;;
*) echo "tavorim.chm: unexpected header GUID byte $first" >&2; exit 1 ;;
esac
cp tavorim.chm "$output.tmp"
mv "$output.tmp" "$output"
