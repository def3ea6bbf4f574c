#!/usr/bin/env bash
# Installs what is missing, builds ZEFRO and runs every test headless; the map and command-line tests
# run a second time under the Italian locale (the tests named *_it, label "italian"), which setup.sh
# generates.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${ZEFRO_BUILD_DIR:-build}" --output-on-failure -j "$(nproc)"
