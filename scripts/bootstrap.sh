#!/usr/bin/env bash
# Installs what building and testing need from Debian 12's packages, and only what is missing.
# Needs nothing but bash, dpkg and apt-get; uses sudo where the user is not root.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config clang-format
  qt6-base-dev qt6-svg-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core fonts-liberation2 time locales
  dpkg-dev file desktop-file-utils man-db lintian appstream
  xvfb xdotool openbox imagemagick
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "bootstrap: installing ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "bootstrap: these Debian packages are missing: ${missing[*]}" >&2
  echo "bootstrap: run this script as root, or install sudo, or install them yourself:" >&2
  echo "  apt-get install ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
