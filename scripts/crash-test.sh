#!/usr/bin/env bash
# The crash test of marking in full: a worker that marks answers through the program's marking code is
# killed (SIGKILL) at a random moment, then the bank must open, pass the integrity check, have no file
# left beside it, and its counters must agree with its questions.
#
#   bash scripts/crash-test.sh [trials=200] [questions=10000]
#
# Builds crash_marking in build/crash (VQ_CRASH_DIR overrides; an existing build folder is used as it
# is). A failing trial's files are kept in <build folder>/crash-failed/. The test suite runs a short
# series of 20 trials through CTest (label "long").
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
trials=${1:-200}
questions=${2:-10000}
dir=${VQ_CRASH_DIR:-build/crash}
if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVQ_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$dir" -j"$(nproc)" --target crash_marking
exe=$(find "$dir" -type f -name crash_marking -perm -u+x | head -n 1)
rm -rf "$dir/crash-failed"
"$exe" run --trials "$trials" --questions "$questions" --keep "$dir/crash-failed"
