#!/usr/bin/env bash
# Installs what ZEFRO needs to build, run and test on Debian, when it is missing.
# Runs apt-get as root, or through sudo for another user.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-translations-l10n
  # georeferenced maps, GIS files and the vulnerable elements (GEOS's own API); gdal-bin and proj-bin for
  # the tests' independent checks
  libgdal-dev libgeos-dev gdal-bin proj-bin
  libgtest-dev libbenchmark-dev
  python3 python3-xlwt python3-xlrd
  xvfb xauth fonts-dejavu-core fonts-liberation2 poppler-utils xdg-utils
  # fuzzing (clang, libFuzzer's runtime, the symbolizer) and the Debian package (dpkg-shlibdeps)
  clang-14 libclang-rt-14-dev llvm-14 dpkg-dev
  # the Italian locale, under which the map and command-line tests run a second time
  locales
)

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -q
  "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Qt takes the C library's locale from the environment, so an analyst's it_IT.UTF-8 reaches every
# number the program reads; the tests run under it too.
if ! locale -a 2>/dev/null | grep -qiE '^it_IT\.utf-?8$'; then
  echo "Generating the locale it_IT.UTF-8"
  "${as_root[@]}" sed -i -E 's/^# *(it_IT\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  grep -qE '^it_IT\.UTF-8 UTF-8' /etc/locale.gen || echo 'it_IT.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
  "${as_root[@]}" locale-gen
fi
