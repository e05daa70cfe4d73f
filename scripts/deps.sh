#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, running and testing Vardesca need,
# skipping those already there. Runs apt-get through sudo when not root.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    qt6-translations-l10n        # Italian texts of Qt's own dialogs
    qt6-l10n-tools               # lrelease and lupdate: the program's English texts
    libwmf-dev                   # Windows metafiles
    libjpeg-dev                  # photographs, decoded by libjpeg-turbo
    libxcb1-dev libxcb-xinput-dev  # presses made while the window was busy
    libxlsxwriter-dev            # the measurement table as a spreadsheet
    python3-openpyxl             # reading that spreadsheet back in the tests
    zlib1g-dev                   # the annotated photo's PNG, deflated in bands
    libgtest-dev googletest      # tests
    libbenchmark-dev             # benchmarks
    fonts-dejavu-core            # a font for the offscreen test platform
    clang libclang-rt-14-dev     # fuzz targets (libFuzzer)
    desktop-file-utils appstream # validating the desktop entry and metainfo
    lintian                      # checking the Debian package
    xvfb x11-utils xdotool xclip imagemagick  # the end-to-end test in a real X server
    libjpeg-turbo-progs          # the decoder's own figures in the benchmarks
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
        missing+=("$p")
    fi
done

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

