#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Trevak.
# Packages already present are skipped; apt-get update runs only when
# something has to be installed. Works as root or through sudo.
set -euo pipefail

PACKAGES=(
    build-essential
    dpkg-dev
    cmake
    pkg-config
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    qt6-base-dev
    qt6-base-dev-tools
    qt6-svg-dev
    libgl-dev
    libxlsxwriter-dev
    liborcus-dev
    libboost-dev
    libfreexl-dev
    zlib1g-dev
    coinor-libclp-dev
    coinor-libcbc-dev
    nlohmann-json3-dev
    libcli11-dev
    qt6-translations-l10n
    fonts-noto-cjk
    poppler-utils
    xvfb
    xauth
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all packages present"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
else
    echo "install-deps: missing packages (${missing[*]}) and neither root nor sudo" >&2
    exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -q
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
