#!/usr/bin/env bash
# Installs what ZEFRO needs to build, run and test on Debian, when it is missing.
# Runs apt-get as root, or through sudo for another user.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-translations-l10n
  # georeferenced maps and GIS files; gdal-bin and proj-bin for the tests' independent checks
  libgdal-dev gdal-bin proj-bin
  libgtest-dev libbenchmark-dev
  python3 python3-xlwt python3-xlrd
  xvfb xauth fonts-dejavu-core fonts-liberation2 poppler-utils xdg-utils
  # fuzzing (clang, libFuzzer's runtime, the symbolizer) and the Debian package (dpkg-shlibdeps)
  clang-14 libclang-rt-14-dev llvm-14 dpkg-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
