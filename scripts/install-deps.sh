#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when any is missing.
# Extra package names may be passed as arguments (the fuzz build adds clang's runtime).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config python3
  qt6-base-dev qt6-serialport-dev libgl-dev
  libusb-1.0-0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  umockdev libumockdev-dev
  fonts-liberation poppler-utils xvfb xauth xdotool locales
  util-linux
  openbox scrot  # a window manager and screenshots for looking at the program under Xvfb
  "$@"
)

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The number-formatting tests run once under a comma-decimal locale.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  echo "Generating the locale de_DE.UTF-8"
  "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
