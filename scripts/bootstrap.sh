#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages.
# Fast when everything is present: one dpkg-query, no apt call.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  qt6-base-dev libqt6svg6 adwaita-icon-theme
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  7zip zstd zsh python3
  libarchive-dev libarchive-tools
  tar gzip bzip2 xz-utils zstd ncompress
  xvfb xauth xdotool x11-utils dbus-bin dbus-daemon imagemagick
  desktop-file-utils libxml2-utils
  dpkg-dev file appstream man-db groff-base
  clang libclang-rt-14-dev ccache
)
# --desktop: a file manager and the cache tools the actions installer runs, for `make test-desktop`.
[ "${1:-}" != --desktop ] || packages+=(thunar libkf5service-bin)

installed=" $(dpkg-query -W -f='${db:Status-Status}:${Package} ' "${packages[@]}" 2>/dev/null || true) "
missing=()
for p in "${packages[@]}"; do
  [[ "$installed" == *" installed:$p "* ]] || missing+=("$p")
done

[ "${#missing[@]}" -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "bootstrap: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
