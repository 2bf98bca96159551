#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need.
# Idempotent: when everything is present it returns after one dpkg query.
set -euo pipefail

PACKAGES=(
    g++ cmake ninja-build pkg-config make
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libqt6opengl6-dev libgl-dev libgl1-mesa-dri libglx-mesa0 libegl-mesa0 libegl-dev
    libcairo2-dev zlib1g-dev fonts-dejavu-core libpugixml-dev libqhull-dev libassimp-dev
    libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
    libsqlite3-dev libmariadb-dev mariadb-server
    libopenmpi-dev openmpi-bin
    xvfb xauth poppler-utils ghostscript file ffmpeg
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "install-deps: installing ${#missing[@]} missing package(s): ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
