#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz, replays every seed corpus and then fuzzes
# each target briefly (about a minute in all; FUZZ_SECONDS overrides). A crash leaves its input in
# build/fuzz/findings/ and fails the script; keep such inputs as regression cases in the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

dir=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVQ_FUZZ=ON \
    -DVQ_BUILD_TESTS=OFF -DVQ_BUILD_BENCH=OFF >/dev/null

targets=()
for corpus in fuzz/corpus/*/; do
    targets+=("fuzz_$(basename "$corpus")")
done
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
total=${FUZZ_SECONDS:-60}
each=$(( total / ${#targets[@]} ))
mkdir -p "$dir/findings"

for target in "${targets[@]}"; do
    name=${target#fuzz_}
    exe=$(find "$dir" -type f -name "$target" -perm -u+x | head -n 1)
    seeds=fuzz/corpus/$name
    dict=()
    [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
    echo "== $target: replaying $(ls "$seeds" | wc -l) seeds"
    "$exe" -runs=0 "$seeds"
    # Fuzz into a scratch copy so that new inputs do not pile up in the source tree.
    work=$dir/corpus/$name
    mkdir -p "$work"
    echo "== $target: fuzzing for ${each}s"
    "$exe" "${dict[@]}" -max_total_time="$each" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$dir/findings/$name-" -print_final_stats=1 "$work" "$seeds"
done
echo "fuzzing clean"
