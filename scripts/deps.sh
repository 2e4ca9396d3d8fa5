#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need, when missing.
set -euo pipefail

PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-translations-l10n libgl-dev
    liblhasa-dev
    fonts-ipafont
    # Peers the tests run for real on loopback, and tools to look at windows.
    python3 python3-pyftpdlib python3-openssl openssl vsftpd lhasa jlha-utils curl xvfb xdotool imagemagick
)
if [[ "${WITH_FUZZ:-0}" == 1 ]]; then
    PACKAGES+=(clang libclang-rt-14-dev)
fi
# Building the Debian package (shlibdeps) and checking it and the desktop files.
if [[ "${WITH_PACKAGING:-0}" == 1 ]]; then
    PACKAGES+=(dpkg-dev file lintian desktop-file-utils appstream)
fi

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    SUDO=""
    [[ $(id -u) -ne 0 ]] && SUDO=sudo
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
