#!/usr/bin/env bash
# Builds the engine when needed and starts it, ready for UCI on standard input.
# Everything but the engine's own output goes to standard error, and nothing
# before the engine reads standard input.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$root/build"

{
  if ! command -v cmake >/dev/null || ! command -v g++ >/dev/null; then
    sudo_cmd=""
    if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
    $sudo_cmd apt-get update
    $sudo_cmd apt-get install -y cmake g++
  fi
  if [ ! -f "$build/CMakeCache.txt" ]; then
    generator=()
    if command -v ninja >/dev/null; then generator=(-G Ninja); fi
    cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
      -DTAVROLIN_TESTS=OFF -DTAVROLIN_BENCHMARKS=OFF
  fi
  cmake --build "$build" --target tavrolin endgame_file -j2
} </dev/null >&2

exec "$build/tavrolin" "$@"
