#!/usr/bin/env bash
# Installs what is missing, builds ZEFRO and starts it on the bundled installation.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec "${ZEFRO_BUILD_DIR:-build}/zefro" "$@"
