#!/usr/bin/env bash
# Installs the Debian 12 packages that building, packaging and testing need, when any is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang
    libssl-dev qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev
    libsndfile1-dev libasound2-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xdotool iproute2
    dpkg-dev file lintian appstream
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
