#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, and nothing when all of it is there.
# Further package names given as arguments are installed the same way.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev libgl-dev qt6-svg-dev qt6-translations-l10n
    clang libclang-rt-14-dev clang-tidy
    fonts-dejavu-core
    desktop-file-utils appstream dpkg-dev file shared-mime-info
    xvfb xdotool
    poppler-utils librsvg2-bin python3-ezdxf
    nlohmann-json3-dev
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
