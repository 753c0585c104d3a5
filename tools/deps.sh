#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgtest-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n qt6-svg-dev
  unixodbc-dev odbcinst libsqliteodbc sqlite3 libsqlite3-dev time libssl-dev
  xvfb xauth xdotool x11-utils openbox fonts-liberation2 poppler-utils unzip
  dbus-daemon at-spi2-core python3-pyatspi
  postgresql odbc-postgresql
  dpkg-dev file desktop-file-utils appstream groff-base lintian shared-mime-info libglib2.0-bin
  python3-pandas r-base-core libreoffice-calc-nogui locales
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# LibreOffice reads the research export in Norwegian Bokmål in its test, as a clinic's would.
locale -a 2>/dev/null | grep -qix 'nb_NO.utf8' || missing_locale=1
[ ${#missing[@]} -eq 0 ] && [ -z "${missing_locale:-}" ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Run as root (or install sudo) to install: ${missing[*]} nb_NO.UTF-8" >&2; exit 1; }
  sudo=sudo
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing from Debian's packages: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
[ -n "${missing_locale:-}" ] && $sudo localedef -i nb_NO -f UTF-8 nb_NO.UTF-8
exit 0
