#!/usr/bin/env bash
# Builds the three release packages into ./packages: the statically linked
# Linux engine as a .tar.gz and a .deb, and the Windows engine (cross-built
# with MinGW-w64) as a .zip. Installs the cross compiler when it is missing.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v cmake >/dev/null ||
   ! command -v g++ >/dev/null; then
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
  $sudo_cmd apt-get update
  $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y cmake g++ g++-mingw-w64-x86-64-posix
fi
if command -v ninja >/dev/null; then export CMAKE_GENERATOR=Ninja; fi

cmake --workflow --preset package   # configure, build, then CPack: .tar.gz and .deb
cmake --workflow --preset windows   # the same for Windows: .zip
rm -rf packages/_CPack_Packages   # CPack's staging folders
ls -l packages
