#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package needed to build, test and run VEXA Tool.
# Idempotent: when everything is already there it says nothing and changes nothing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git clang-format codespell clang libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools qt6-5compat-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
    qt6-translations-l10n libqt6sql6-odbc qt6-svg-dev
    libsodium-dev libqrencode-dev libasio-dev nlohmann-json3-dev
    xvfb xauth x11-apps x11-utils imagemagick fonts-noto-cjk fonts-dejavu-core
    libgtest-dev python3 python3-xlrd iproute2 util-linux
    zbar-tools
    libmicrohttpd-dev libpugixml-dev libssl-dev libcurl4-openssl-dev onvif-tools qtkeychain-qt6-dev libjpeg62-turbo-dev
    lintian appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
