#!/usr/bin/env bash
# Renders packaging/quillet.svg to the PNG icon sizes the desktop's icon
# theme looks for (packaging/icons/NxN/quillet.png). The PNGs are kept in
# the repository, so building and packaging need no SVG renderer; run this
# after changing the SVG. Installs librsvg2-bin when it is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v rsvg-convert >/dev/null; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends librsvg2-bin
fi
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$root/packaging/icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" "$root/packaging/quillet.svg" -o "$root/packaging/icons/${size}x${size}/quillet.png"
done
