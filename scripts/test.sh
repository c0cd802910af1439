#!/usr/bin/env bash
# Builds everything and runs every test through CTest.
# VQ_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer in build/asan.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
dir=build/test; extra=()
if [ "${VQ_SANITIZE:-0}" = 1 ]; then
    dir=build/asan; extra=(-DVQ_SANITIZE=ON -DVQ_BUILD_BENCH=OFF)
fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DVQ_WERROR="${VQ_WERROR:-OFF}" "${extra[@]}"
cmake --build "$dir" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
