#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need; skips what is there.
set -euo pipefail

packages=(
  cmake make g++ pkg-config libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev lld
  qt6-base-dev qt6-webengine-dev qt6-webchannel-dev libcurl4-openssl-dev libssl-dev libuchardet-dev
  nlohmann-json3-dev  # the HAR reader's streaming JSON parser
  libidn2-dev  # domain names past ASCII mapped as browsers map them
  fonts-ipafont-gothic fonts-ipafont-mincho qt6-translations-l10n
  xvfb xauth desktop-file-utils appstream groff-base
  curl  # the request preview's curl lines, run by the tests
  dbus-daemon at-spi2-core  # window_bench a11y: a session bus and the accessibility bus on it
  libatspi2.0-dev  # window_bench a11y: the screen reader that probes the program
)
# With "package": what builds and checks the .deb.
if [ "${1:-}" = package ]; then
  packages+=(dpkg-dev file lintian)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
