#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the Debian package with scripts/package (reusing the Release build in build/), then checks
# it as a user's machine would take it: its name and dependencies, that only the programs land on
# PATH, that every executable's libraries resolve once unpacked and the program starts from there,
# and that the desktop entry, the AppStream file and the manual page are valid.
# Usage: check_package.sh SOURCE_DIR VERSION
set -euo pipefail
source_dir=$1
version=$2

# The executables a user starts; every other executable is a helper and stays off PATH.
programs=(halvane halvane-batch)

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

"$source_dir/scripts/package"

deb=$source_dir/build/package/halvane_${version}_$(dpkg --print-architecture).deb
if [[ ! -f $deb ]]; then
    echo "FAIL: scripts/package made no $deb" >&2
    exit 1
fi
echo "== $deb"
dpkg-deb --field "$deb"

[[ $(dpkg-deb --field "$deb" Version) == "$version" ]] || fail "version is not $version"
# Read off the linked libraries: Qt from the program, the JPEG XR library from the helper.
depends=$(dpkg-deb --field "$deb" Depends)
depended_on=$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")
for needed in libc6 libstdc++6 libqt6widgets6 libqt6printsupport6 libjxr0 qt6-qpa-plugins \
    fonts-dejavu-extra; do
    grep -qxF "$needed" <<<"$depended_on" || fail "Depends lacks $needed: $depends"
done

# What `apt install ./halvane_*.deb` would do: every dependency has a Debian 12 package.
apt-get install --simulate --no-install-recommends "$deb" || fail "apt cannot install the package"

echo "== dpkg -c"
listing=$(dpkg -c "$deb" | awk '{print $6}' | sed 's|^\./||')
echo "$listing"
on_path=$(awk -F/ '$1 == "usr" && $2 == "bin" && NF == 3 && $3 != "" {print $3}' <<<"$listing" |
    sort | tr '\n' ' ')
expected_on_path=$(printf '%s\n' "${programs[@]}" | sort | tr '\n' ' ')
[[ $on_path == "$expected_on_path" ]] ||
    fail "usr/bin holds [$on_path], not the programs [$expected_on_path]"
for file in usr/lib/halvane/halvane-decode \
    usr/share/applications/halvane.desktop \
    usr/share/metainfo/org.halvane.Halvane.metainfo.xml \
    usr/share/man/man1/halvane.1.gz \
    usr/share/man/man1/halvane-batch.1.gz \
    usr/share/icons/hicolor/256x256/apps/halvane.png; do
    grep -qx "$file" <<<"$listing" || fail "$file is not in the package"
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

echo "== executables"
executables=()
while IFS= read -r -d '' file; do
    if [[ $(head -c 4 "$file") == $'\x7fELF' ]]; then
        executables+=("$file")
    fi
done < <(find "$root" -type f -perm -u+x -print0)
[[ ${#executables[@]} -gt 0 ]] || fail "no executables in the package"
for file in "${executables[@]}"; do
    echo "${file#"$root"/}"
    libraries=$(ldd "$file" 2>&1) || fail "ldd ${file#"$root"/}: $libraries"
    if grep -q 'not found' <<<"$libraries"; then
        fail "${file#"$root"/} misses libraries: $(grep 'not found' <<<"$libraries")"
    fi
    # A search path would point into the build tree or let a folder of the user's shadow ours.
    if readelf --dynamic "$file" | grep -Eq '\((RPATH|RUNPATH)\)'; then
        fail "${file#"$root"/} carries a library search path"
    fi
done

echo "== the unpacked program starts, shows its window and ends when it is closed"
"$source_dir/tests/smoke/run_under_xvfb.sh" "$root/usr/bin/halvane" ||
    fail "the unpacked program did not start and end cleanly"

echo "== desktop entry, AppStream, manual page"
desktop-file-validate "$root/usr/share/applications/halvane.desktop" || fail "desktop entry"
# --no-net: the screenshot and home page live on a reserved domain.
appstreamcli validate --no-net "$root/usr/share/metainfo/org.halvane.Halvane.metainfo.xml" ||
    fail "AppStream metadata"
# The whole tree: the launchable desktop entry and the icon must be where the metadata says.
appstreamcli validate-tree --no-net "$root" || fail "AppStream metadata in the installed tree"
for manual in "$root"/usr/share/man/man1/halvane.1.gz "$root"/usr/share/man/man1/halvane-batch.1.gz; do
    if ! gzip --test "$manual"; then
        fail "${manual##*/} is no gzip file"
    else
        warnings=$(zcat "$manual" | groff -man -ww -z -Tutf8 2>&1)
        [[ -z $warnings ]] || fail "${manual##*/} does not render cleanly: $warnings"
    fi
done

echo "== the unpacked batch program makes a study without a display"
studies=$(mktemp -d)
if ! env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/halvane-batch" --quiet \
    "$source_dir/tests/data/width500.png" "$source_dir/tests/data/bgr24.wmp" -o "$studies"; then
    fail "the unpacked halvane-batch failed"
fi
[[ -s $studies/width500.jpg && -s $studies/bgr24.jpg ]] ||
    fail "the unpacked halvane-batch wrote no studies (JPEG XR through the installed helper)"
rm -rf "$studies"

if ((failures > 0)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "The package holds up."
