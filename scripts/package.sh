#!/usr/bin/env bash
# Installs what the build needs, then builds and lints the Debian package
# build-deb/quimbaro_<version>_<arch>.deb (scripts/build-deb.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build-deb.sh build-deb
