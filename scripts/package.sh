#!/usr/bin/env bash
# Builds the Debian package build-deb/quimbaro_<version>_<arch>.deb from a
# folder configured for /usr (where a .deb installs), then lints it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# The compiler and linker flags Debian builds its own packages with.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DQUIMBARO_TESTS=OFF -DQUIMBARO_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build build-deb -j "$(nproc)"
(cd build-deb && cpack -G DEB)
lintian --fail-on error build-deb/quimbaro_*.deb
