#!/usr/bin/env bash
# Installs the Debian packages Marvolt needs to build, test and run, when missing.
# Idempotent: a machine that already has everything is left untouched.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
    qt6-tools-dev doxygen
    libgl1-mesa-dev libxkbcommon-dev
    libsqlite3-dev sqlite3
    libpq-dev postgresql
    libxlsxwriter-dev unzip
    fonts-dejavu-core
)

missing=()
for pkg in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
