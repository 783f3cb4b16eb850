#!/bin/sh
# The terminal program's Debian package: made by cpack from this build,
# installed by dpkg into a root of its own, it names every library the
# program needs, finds its catalogues in share/zbrask and mirrors the
# bundled sample site.
# usage: zbrask_package_e2e.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -eu
build=$1; src=$2; work=$3
rm -rf "$work"; mkdir -p "$work"; cd "$work"
serve_seconds=120
. "$src/tests/ui/serve.sh"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg" >cpack.txt 2>&1 || fail "cpack: $(cat cpack.txt)"
deb=$(ls pkg/zbrask_*.deb)
root=$work/root
mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
touch "$root/var/lib/dpkg/status"
# The root's own package database is empty: its dependencies are checked
# below against what the program links.
dpkg --root="$root" --force-depends --force-script-chrootless -i "$deb" >dpkg.txt 2>&1 || fail "dpkg: $(cat dpkg.txt)"
program=$root/usr/bin/zbrask
[ -x "$program" ] || fail "no usr/bin/zbrask in the package"
[ -x "$root/usr/bin/zrenew" ] || fail "no usr/bin/zrenew in the package"
for f in usr/share/zbrask/zbenu.lng usr/share/zbrask/zbrus.lng usr/share/man/man1/zbrask.1; do
    [ -f "$root/$f" ] || fail "no $f in the package"
done

# Every library the program links comes from a package it depends on.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in $(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }'); do
    path=$(ldconfig -p | awk -v l="$lib" '$1 == l { print $NF; exit }')
    [ -n "$path" ] || fail "$lib is not on this machine"
    owner=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | head -1 | cut -d: -f1) ||
        owner=$(dpkg -S "$path" | head -1 | cut -d: -f1)
    case ", $depends" in *", $owner"*) ;; *) fail "$lib comes from $owner, which the package does not depend on ($depends)";; esac
done

# Installed as a user meets it: the version, the usage from the installed
# catalogue, the manual page.
"$program" --version | grep -qx "zbrask $(dpkg-deb -f "$deb" Version)" || fail "version: $("$program" --version)"
"$program" --help >help.txt 2>&1 || fail "--help: exit $?"
grep -q "^usage: zbrask /url URL" help.txt || fail "no usage from the installed catalogue: $(cat help.txt)"
if command -v groff >/dev/null; then
    groff -man -Tutf8 -ww -z "$root/usr/share/man/man1/zbrask.1" 2>man.txt
    [ ! -s man.txt ] || fail "the manual page: $(cat man.txt)"
fi

serve_http "$src/samples/site"
mkdir home
HOME=$work/home timeout 60 "$program" --output "$work/copy" "http://127.0.0.1:$port/" 2>run.txt ||
    fail "mirror: exit $? $(cat run.txt)"
grep -q "The download is complete." run.txt || fail "no completion message: $(cat run.txt)"
[ -f copy/start.htm ] || fail "no start.htm"
pages=$(find copy -name '*.htm' ! -name start.htm | wc -l)
[ "$pages" -ge 3 ] || fail "only $pages pages stored"
echo "OK: $(basename "$deb"), $pages pages"
