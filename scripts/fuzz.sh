#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets with clang (libFuzzer, ASan, UBSan) and runs each for
# the given number of seconds (default 60), two at a time. New crashes are left
# in build-fuzz/artifacts/; add each, once fixed, to fuzz/regression/<target>/.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! command -v clang++ >/dev/null; then
    echo "clang++ not found: fuzzing skipped"
    exit 0
fi
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARDESCA_FUZZ=ON \
    -DVARDESCA_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_image_source fuzz_wmf fuzz_locale_numbers fuzz_engine fuzz_exif \
    fuzz_journal fuzz_record

corpus=$PWD/tests/corpus
mkdir -p build-fuzz/artifacts build-fuzz/corpus
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1

run() {
    local target=$1
    shift
    mkdir -p "build-fuzz/corpus/$target"
    build-fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=30 \
        -artifact_prefix="build-fuzz/artifacts/$target-" "build-fuzz/corpus/$target" \
        "fuzz/regression/$target" "$@" >"build-fuzz/$target.log" 2>&1
}

seeds=()
[ -d "$corpus" ] && seeds=("$corpus/good" "$corpus/bad" "$corpus/questionable")
failed=0
run image_source "${seeds[@]}" & a=$!
run wmf "${seeds[@]}" & b=$!
wait $a || failed=1
wait $b || failed=1
# The EXIF, journal and record readers are tiny and quick: they share the
# second slot.
run locale_numbers & a=$!
run engine & b=$!
run exif & c=$!
run journal & d=$!
run record & e=$!
wait $a || failed=1
wait $b || failed=1
wait $c || failed=1
wait $d || failed=1
wait $e || failed=1
for t in image_source wmf locale_numbers engine exif journal record; do
    grep -E '^Done|ERROR|==[0-9]+==' "build-fuzz/$t.log" | sed "s/^/$t: /" | head -n 5
done
if [ "$failed" -ne 0 ]; then
    echo "a fuzz target failed: see build-fuzz/*.log and build-fuzz/artifacts/"
    exit 1
fi
echo "Each fuzz target ran ${seconds} s without a failure."
echo "fuzz: 7 passed, 0 failed"
