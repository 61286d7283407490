#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing, then configures the
# build folder. Sourced by run.sh and test.sh.
set -euo pipefail

QUIRE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUIRE_BUILD=${QUIRE_BUILD:-$QUIRE_ROOT/build}

QUIRE_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
                zlib1g-dev zip unzip file libgumbo-dev libgtk-3-dev libwebkit2gtk-4.1-dev
                adwaita-icon-theme xvfb xauth dbus dbus-x11 at-spi2-core python3-pyatspi
                imagemagick x11-utils libutf8proc-dev poppler-utils clang-format)

quire_install_packages() {
  local missing=()
  for pkg in "${QUIRE_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
}

quire_build() {
  cmake -S "$QUIRE_ROOT" -B "$QUIRE_BUILD" -G Ninja -DQUIRE_WERROR=ON "$@" >/dev/null
  cmake --build "$QUIRE_BUILD" -j "$(nproc)"
}
