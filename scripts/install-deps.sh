#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine. Idempotent:
# only missing packages are fetched, so a second run returns in a moment.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libgtk-3-dev libwebkit2gtk-4.1-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-libav
  g++-mingw-w64-x86-64-posix wine wine64
  xvfb xauth openbox xdotool x11-utils wmctrl imagemagick
  sox libsox-fmt-mp3 unzip
  pulseaudio pulseaudio-utils gstreamer1.0-pulseaudio
  chromium webkit2gtk-driver
  clang-14 libclang-rt-14-dev nlohmann-json3-dev
  lintian desktop-file-utils appstream
)
# Node.js runs the browser and end-to-end tests; Debian's serves when the
# machine has none of its own.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Every package the lock file names, at its version: a checkout that gained
# a package since the last install gets it too.
if ! node -e '
  const lock = require("./package-lock.json").packages;
  for (const [path, entry] of Object.entries(lock)) {
    if (!path || entry.optional) continue;
    try { if (require("./" + path + "/package.json").version !== entry.version) process.exit(1); } catch { process.exit(1); }
  }' 2>/dev/null; then
  npm ci --no-audit --no-fund --loglevel=error
fi
