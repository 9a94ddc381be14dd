#!/bin/sh
# Installs the Debian packages the build and the tests need, only when missing.
set -eu

PACKAGES="build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev \
  libgtest-dev libgmock-dev libbenchmark-dev libudev-dev nlohmann-json3-dev \
  qt6-base-dev qt6-charts-dev qt6-qpa-plugins libgl-dev desktop-file-utils gcovr \
  xvfb xauth fonts-dejavu-core"

missing=""
for pkg in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $pkg"
  fi
done

[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
