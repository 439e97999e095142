#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config clang
    qt6-base-dev qt6-qpa-plugins
    libjsoncpp-dev libcurl4-openssl-dev libudev-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-wqy-microhei fonts-dejavu-core xvfb xauth
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
