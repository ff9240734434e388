#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Kelvaris need,
# skipping those already installed. Uses apt-get as root, sudo otherwise.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl1-mesa-dev
    libturbojpeg0-dev libjpeg62-turbo-dev
    fonts-dejavu-core fonts-liberation2
    xvfb xauth xdotool imagemagick x11-utils
    # Real photographs for the sharpness tests and tools/sharpness_eval, from
    # two packages so that the evaluation does not rest on one photographer's
    # style: landscapes and still lifes (CC-BY / CC-BY-SA / CC0), and close-ups
    # of leaves, drops, wood and flowers (mate-backgrounds' nature/, GPL-2+).
    # Read by the tools only, never shipped with the program.
    lomiri-wallpapers-16.04 mate-backgrounds
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
else
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
