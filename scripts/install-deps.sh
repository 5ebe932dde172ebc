#!/usr/bin/env bash
# Installs what building, running and testing Zandor needs on Debian 12, or, given package
# names, those packages. Only what is missing is fetched: when everything is installed it
# does nothing (no package list update either). Real package names only: dpkg-query never
# reports a virtual one (libqt6serialport6-dev) as installed. srecord gives srec_cat, which
# tests use to make files in other formats.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgtest-dev libgmock-dev
          srecord xvfb xauth fonts-dejavu-core)
[ $# -gt 0 ] && packages=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
