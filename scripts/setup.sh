#!/usr/bin/env bash
# Installs every Debian package the three builds and the tests need. Idempotent and
# quick when everything is already there: it only calls apt when something is missing.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 xvfb xauth x11-utils xdotool imagemagick
  fonts-wqy-microhei fonts-wine locales python3 tshark iproute2 iputils-ping
  clang-format wixl msitools
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  echo 'wireshark-common wireshark-common/install-setuid boolean false' | $SUDO debconf-set-selections
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A Chinese-locale system: Wine then runs with the GBK (936) ANSI code page, like the
# machines the program is made for.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  $SUDO sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi

# The 32-bit build and Wine must never pull in 32-bit Wine (it breaks wine64 here).
if dpkg --print-foreign-architectures | grep -q i386; then
  echo "setup: warning: i386 is enabled as a foreign architecture; do not install wine32" >&2
fi
exit 0
