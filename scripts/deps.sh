#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12 (run as root or with sudo).
set -euo pipefail
pkgs=(build-essential cmake pkg-config libzip-dev qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libgl-dev libsqlcipher-dev
      fonts-noto-cjk clang libclang-rt-14-dev xvfb libfluidsynth-dev timgm6mb-soundfont
      fcitx5-frontend-qt6 # Chinese input (fcitx 5) in the program's text fields
      desktop-file-utils appstream) # checks of the desktop entry and the AppStream metainfo
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
