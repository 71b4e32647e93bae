#!/usr/bin/env bash
# Installs the build into a staging folder the way the Debian package does
# (DESTDIR, prefix /usr) and checks what lands there: exactly the two
# programs and the help document in the program folder, links to the programs
# in bin/, the desktop entry and the icon; the installed command line runs
# through its link. Nothing of the tests or the benchmark is installed.
#
#   check-install.sh BUILD_DIR STAGING_DIR
set -euo pipefail

build=$1
stage=$2
fail() {
    echo "install layout: $*" >&2
    exit 1
}

rm -rf "$stage"
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
root=$stage/usr

expected=$(printf '%s\n' \
    bin/trevak \
    bin/trevak-cli \
    lib/trevak/Config/QRMHelp.pdf \
    lib/trevak/INSTALLED \
    lib/trevak/trevak \
    lib/trevak/trevak-cli \
    share/applications/trevak.desktop \
    share/icons/hicolor/scalable/apps/trevak.svg | sort)
installed=$(cd "$root" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)
if [ "$installed" != "$expected" ]; then
    fail "installed files differ from the expected ones:
$(diff <(echo "$expected") <(echo "$installed") || true)"
fi
if [ -n "$(find "$stage" -mindepth 1 -maxdepth 1 ! -name usr)" ]; then
    fail "files outside the prefix: $(find "$stage" -mindepth 1 -maxdepth 1 ! -name usr)"
fi

for program in trevak trevak-cli; do
    [ -x "$root/lib/trevak/$program" ] && [ ! -L "$root/lib/trevak/$program" ] ||
        fail "lib/trevak/$program is not an executable file"
    [ -L "$root/bin/$program" ] || fail "bin/$program is not a link"
    [ "$(readlink "$root/bin/$program")" = "../lib/trevak/$program" ] ||
        fail "bin/$program points to $(readlink "$root/bin/$program")"
done

[ "$(head -c 5 "$root/lib/trevak/Config/QRMHelp.pdf")" = "%PDF-" ] || fail "the help document is not a PDF"
cmp -s "$root/share/icons/hicolor/scalable/apps/trevak.svg" "$(dirname "$0")/../../src/platform/resources/icons/app.svg" ||
    fail "the icon is not the program's icon"

desktop=$root/share/applications/trevak.desktop
for line in '[Desktop Entry]' 'Type=Application' 'Name=Trevak线材下料优化' 'Exec=trevak' 'Icon=trevak'; do
    grep -qxF "$line" "$desktop" || fail "the desktop entry lacks the line $line"
done
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
fi

# The command line, started through its link, plans the example job.
plan=$("$root/bin/trevak-cli" plan --example) || fail "bin/trevak-cli plan --example failed"
grep -q '^共 ' <<<"$plan" || fail "bin/trevak-cli plan --example printed no totals row:
$plan"

rm -rf "$stage"
echo "install layout: ok"
