#!/usr/bin/env bash
# Builds the Debian package BUILD/quimbaro_<version>_<arch>.deb from a folder
# configured for /usr (where a .deb installs) with the flags Debian builds its
# own packages with, then lints it: a lintian error or warning fails.
#   build-deb.sh [BUILD]   (default: build-deb beside the sources)
# Ends with 77 when a Debian packaging tool is missing (scripts/install-deps.sh has them).
set -euo pipefail
for tool in dpkg-buildflags dpkg-shlibdeps lintian; do
  command -v "$tool" >/dev/null || { echo "build-deb: $tool is missing" >&2; exit 77; }
done
cd "$(dirname "$0")/.."
build=${1:-build-deb}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DQUIMBARO_TESTS=OFF -DQUIMBARO_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/quimbaro_*.deb
(cd "$build" && cpack -G DEB)
lintian --fail-on error,warning "$build"/quimbaro_*.deb
