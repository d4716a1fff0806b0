#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test World Of Ulmera,
# and any further packages named as arguments (scripts/demo.sh adds ImageMagick
# for its screenshot). Does nothing when they are all present already.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-image1.2-dev libglew-dev libglu1-mesa-dev libgl-dev
  libgl1-mesa-dri libxml2-dev libfreetype-dev libjpeg-dev fonts-dejavu-core
  googletest libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libpng-dev
  xvfb x11-utils xdotool
  libassimp-dev assimp-testmodels
  "$@"
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
