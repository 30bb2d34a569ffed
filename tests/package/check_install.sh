#!/usr/bin/env bash
# What a user gets from `cmake --install` and from the Debian package: stages an install
# into a temporary prefix and checks it; checks build/kelvane_*.deb too when one is there.
# Usage: check_install.sh BUILD_DIR
set -uo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$stage" >/dev/null || fail "cmake --install"

desktop=share/applications/kelvane.desktop
for f in bin/kelvane bin/kelvane-sim $desktop share/icons/hicolor/scalable/apps/kelvane.svg \
    share/man/man1/kelvane.1.gz share/man/man1/kelvane-sim.1.gz; do
    [ -s "$stage/$f" ] || fail "not installed: $f"
done
[ "$(file -b --mime-type "$stage/share/icons/hicolor/scalable/apps/kelvane.svg")" = image/svg+xml ] ||
    fail "the icon is no SVG image"

# The documentation: the licence in Debian's machine-readable form, as LICENSE states it,
# the changelog and the README.
source=$(cd "$(dirname "$0")/../.." && pwd)
doc=$stage/share/doc/kelvane
for f in copyright changelog.Debian.gz README.md; do
    [ -s "$doc/$f" ] || fail "not installed: share/doc/kelvane/$f"
done
cmp -s "$source/README.md" "$doc/README.md" || fail "the installed README differs from README.md"
copyright=$doc/copyright
[ "$(head -n 1 "$copyright")" = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
    fail "copyright is not in the machine-readable format"
# The paragraph of all files: its holders and licence text are those of LICENSE.
files=$(awk '/^Files: \*$/ {on = 1} on && /^$/ {exit} on' "$copyright")
licence=$(sed -n 's/^License: //p' <<<"$files")
[ -n "$licence" ] || fail "copyright names no licence for all files"
[ "Copyright (c) $(sed -n 's/^Copyright: //p' <<<"$files")" = "$(head -n 1 "$source/LICENSE")" ] ||
    fail "copyright names other holders than LICENSE"
diff <(sed -n '/^License: /,$p' <<<"$files" | tail -n +2 |
    awk '$0 == " ." {print ""; next} /^ [^ ]/ {print substr($0, 2); next} {print "not a continuation: " $0}') \
    <(tail -n +3 "$source/LICENSE") >&2 || fail "the licence text in copyright differs from LICENSE"
changelog=$(zcat "$doc/changelog.Debian.gz" | dpkg-parsechangelog -l - 2>&1) || fail "changelog: $changelog"

# Without a display the usage text goes to standard output, with exit code 3.
usage=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$stage/bin/kelvane" -h)
rc=$?
[ $rc -eq 3 ] || fail "kelvane -h ended with $rc, not 3"
grep -q '^Usage:' <<<"$usage" || fail "kelvane -h printed no usage text: $usage"
version=$(sed -n '1s/^Kelvane  *Version \([0-9.]*\)$/\1/p' <<<"$usage")
[ -n "$version" ] || fail "kelvane -h names no version in its first line"
sim_usage=$("$stage/bin/kelvane-sim" --help) || fail "kelvane-sim --help ended with $?"
grep -q '^Usage: kelvane-sim' <<<"$sim_usage" || fail "kelvane-sim --help printed no usage text"

# The entry is valid and starts and shows what was installed.
out=$(desktop-file-validate "$stage/$desktop" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
icon=$(sed -n 's/^Icon=//p' "$stage/$desktop")
[ -f "$stage/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "the entry's icon '$icon' is not installed"
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$stage/$desktop")
[ -x "$stage/bin/$program" ] || fail "the entry starts '$program', which is not installed"

# The manual pages render without a warning and document every option of the usage texts.
check_page() {
    local page=$1 options=$2 roff option
    roff=$(zcat "$stage/share/man/man1/$page.1.gz") || fail "$page.1.gz is not gzip"
    out=$(groff -man -ww -z <<<"$roff" 2>&1) && [ -z "$out" ] || fail "groff on $page.1: $out"
    for option in $options; do
        grep -qwF -- "${option//-/\\-}" <<<"$roff" || fail "$page.1 does not document $option"
    done
}
check_page kelvane "$(grep -oE '(^ ?| or )-[a-z]+' <<<"$usage" | sort -u)"
check_page kelvane-sim "$(grep -oE -- '--[a-z-]+' <<<"$sim_usage" | sort -u) make-image"

# The package, once ./run package has made one from this build.
# Its version is the newest entry's of the changelog, for the program's version.
arch=$(dpkg --print-architecture)
package_version=$(sed -n 's/^Version: //p' <<<"$changelog")
[[ $package_version == "$version"-* ]] || fail "the changelog's newest entry is $package_version, not for $version"
deb=$build/kelvane_${package_version}_${arch}.deb
if ! ls "$build"/kelvane_*.deb >/dev/null 2>&1; then
    echo "no package in $build (./run package makes one): package not checked"
elif [ ! -f "$deb" ]; then
    fail "no $deb for version $package_version (./run package again)"
else
    [ "$(dpkg-deb -f "$deb" Package Version Architecture)" = "$(printf 'Package: kelvane\nVersion: %s\nArchitecture: %s' "$package_version" "$arch")" ] ||
        fail "control fields: $(dpkg-deb -f "$deb" Package Version Architecture)"
    [ "$(dpkg-deb -f "$deb" Maintainer)" = "$(sed -n 's/^Maintainer: //p' <<<"$changelog")" ] ||
        fail "the package's maintainer did not sign the changelog's newest entry"
    [ "$(dpkg-deb -f "$deb" Description | wc -l)" -gt 3 ] || fail "no long description"
    # The package holds exactly what the install rules put under the prefix.
    diff <(dpkg-deb -c "$deb" | awk '/^-/ {sub("^\\./usr/", "", $6); print $6}' | sort) \
        <(cd "$stage" && find . -type f | sed 's|^\./||' | sort) >&2 || fail "package files differ from the install"
    # The programs it ships are hardened and carry no compiler notes.
    unpacked=$stage/unpacked
    dpkg-deb -x "$deb" "$unpacked"
    for program in "$unpacked"/usr/bin/*; do
        name=${program##*/}
        elf=$(readelf -dlSW --dyn-syms "$program")
        grep -q 'FLAGS.*NOW' <<<"$elf" || fail "$name is not bound at start-up (-z now)"
        grep -q GNU_RELRO <<<"$elf" || fail "$name has no read-only relocations"
        grep -q '__[a-z_]*_chk@' <<<"$elf" || fail "$name calls no fortified function"
        grep -qF ' .comment ' <<<"$elf" && fail "$name keeps its .comment section"
    done
    # Every library the programs name comes with its package; the icon's plugin too.
    depends=$(dpkg-deb -f "$deb" Depends | sed 's/ *([^)]*)//g; s/, */\n/g')
    required=libqt6svg6
    for program in "$stage"/bin/*; do
        needed=$(objdump -p "$program" | awk '$1 == "NEEDED" {print $2}')
        for lib in $(ldd "$program" | awk '$2 == "=>" && $3 ~ /^\// {print $1 "=" $3}'); do
            grep -qxF "${lib%%=*}" <<<"$needed" || continue
            path=$(readlink -f "${lib#*=}")
            owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "${path#/usr}") || fail "no package owns $path"
            required+=" ${owner%%:*}"
        done
    done
    for package in $(tr ' ' '\n' <<<"$required" | sort -u); do
        grep -qxF "$package" <<<"$depends" || fail "Depends lacks $package"
    done
fi

[ $failures -eq 0 ] && echo "installation checked" || exit 1
