#!/usr/bin/env bash
# Installs the Debian 12 packages that the build, the tests and the client need,
# skipping those already present. With --fuzz, also clang and its libFuzzer
# runtime, which only scripts/fuzz.sh needs.
set -euo pipefail

packages=(
  cmake g++ make pkg-config ccache
  qtbase5-dev qtbase5-dev-tools libqt5sql5-sqlite libqt5svg5-dev
  qtdeclarative5-dev qtquickcontrols2-5-dev
  qml-module-qtquick2 qml-module-qtquick-window2 qml-module-qtquick-layouts
  qml-module-qtquick-controls qml-module-qtquick-controls2
  qml-module-qtgraphicaleffects qml-module-qtqml-models2
  qtwebengine5-dev qtmultimedia5-dev libqt5x11extras5-dev
  qttools5-dev qttools5-dev-tools
  libx11-dev libxtst-dev libssl-dev libcpp-httplib-dev libsqlite3-dev
  xvfb xauth trayer openbox fonts-wqy-microhei libjs-chart.js qttranslations5-l10n
  libpulse-dev pulseaudio
)

if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
