#!/usr/bin/env bash
# Installs what a fresh machine lacks, builds everything into ./build and runs
# every test; exits non-zero when anything fails.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$root/build"

if ! command -v cmake >/dev/null || ! command -v g++ >/dev/null ||
   [ ! -f /usr/include/gtest/gtest.h ] || [ ! -f /usr/include/benchmark/benchmark.h ]; then
  sudo_cmd=""
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd="sudo"; fi
  $sudo_cmd apt-get update
  $sudo_cmd apt-get install -y cmake g++ libgtest-dev libbenchmark-dev
fi

generator=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null; then generator=(-G Ninja); fi
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DTAVROLIN_TESTS=ON -DTAVROLIN_BENCHMARKS=ON
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure
