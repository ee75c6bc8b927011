#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Idempotent: only missing packages are installed, and the package lists are
# refreshed at most once per run.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config git
  qtbase5-dev qtbase5-dev-tools qttools5-dev-tools qttools5-dev qtmultimedia5-dev
  libqt5websockets5-dev libqt5svg5-dev libqt5multimedia5-plugins
  libcurl4-openssl-dev libssl-dev libsodium-dev librsvg2-bin
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev
  libavdevice-dev libavfilter-dev ffmpeg libyuv-dev
  libsdl2-dev
  nginx-light libnginx-mod-rtmp
  xvfb xauth xdotool x11-apps x11-utils imagemagick
  libcairo2-dev libpango1.0-dev libx11-dev libxext-dev libfontconfig-dev
  zlib1g-dev libzip-dev libminizip-dev nlohmann-json3-dev
  libqrcodegencpp-dev libcpp-httplib-dev libstb-dev
  libgtest-dev libgmock-dev libbenchmark-dev clang
  pulseaudio pulseaudio-utils libpulse-dev
  fonts-wqy-microhei fontconfig librsvg2-bin breeze-icon-theme zbar-tools
  procps psmisc curl python3 openssl
  python3-gi gir1.2-lunardate-3.0
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${#missing[@]} package(s): ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Map the Windows UI font names to the CJK font we ship with, for fontconfig
# users (the skin library); Veltora substitutes them through Qt as well.
FC_CONF=/etc/fonts/conf.d/65-veltora-yahei.conf
if [ ! -f "$FC_CONF" ]; then
  $SUDO tee "$FC_CONF" >/dev/null <<'XML'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <alias binding="same"><family>Microsoft YaHei</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
  <alias binding="same"><family>微软雅黑</family><prefer><family>WenQuanYi Micro Hei</family></prefer></alias>
</fontconfig>
XML
  $SUDO fc-cache -f >/dev/null 2>&1 || true
fi
