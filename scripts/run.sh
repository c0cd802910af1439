#!/usr/bin/env bash
# Builds the program with the bundled question bank and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DVQ_BUILD_TESTS=OFF
cmake --build build/release -j"$(nproc)"
exec build/release/bin/velquar "$@"
