# SPDX-License-Identifier: MIT
# Sourced by scripts/run, scripts/test, scripts/package and fuzz/run.sh: the Debian 12 packages
# Halvane needs, and a function that installs the missing ones.

# Building and running the program (DejaVu Sans Condensed is the windows' font).
build_packages=(
    build-essential cmake pkgconf
    qt6-base-dev qt6-qpa-plugins
    libjxr-dev libtiff-dev libpng-dev libtbb-dev libseccomp-dev
    fonts-dejavu-extra
)
# Making the Debian package (scripts/package): dpkg-shlibdeps finds its dependencies.
package_packages=(dpkg-dev)
# Tests, benchmarks, the formatting check, the test fixtures' tools, the damaged disk image
# of the read-error test, and poppler-utils, which measures the PDFs the program writes.
test_packages=(
    libgtest-dev libbenchmark-dev clang-format
    xvfb xauth python3-xlib
    imagemagick libjxr-tools desktop-file-utils appstream groff-base
    squashfs-tools
    poppler-utils
)

# The fuzzers (fuzz/run.sh): clang with libFuzzer and the sanitizer runtimes.
fuzz_packages=(clang-14 libclang-rt-14-dev)

install_missing() {
    local package missing=() sudo=()
    for package in "$@"; do
        dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null | grep -qx installed ||
            missing+=("$package")
    done
    ((${#missing[@]} > 0)) || return 0
    ((EUID == 0)) || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}
