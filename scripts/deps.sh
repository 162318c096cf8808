#!/usr/bin/env bash
# Installs what building, running and testing Quillmere needs on Debian 12.
# Safe to run again: it installs only what is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake ninja-build googletest
  g++-mingw-w64-x86-64 g++-mingw-w64-i686
  wine wine64 fonts-wine xvfb xauth imagemagick
  mdbtools clang python3
)
# Node.js may come from another source than Debian's archive; only ask for it when absent.
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# The second independent reader, used by the engine's comparison tests.
oracle="$here/tools/oracle"
if [ -f "$oracle/package.json" ] && [ ! -d "$oracle/node_modules/mdb-reader" ]; then
  (cd "$oracle" && npm ci --silent --no-audit --no-fund >/dev/null)
fi
