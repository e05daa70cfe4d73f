#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Speed and memory figures, each against its reference measured in the same run:
#   bash bench/run.sh [BUILD_DIR]
# Makes 24 and 48 megapixel photographs (from the real photo in the image corpus,
# enlarged, with grain, quality 90) and their EXIF-6 twins in BUILD_DIR/bench-data.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
data=$build/bench-data
mkdir -p "$data"
export QT_QPA_PLATFORM=offscreen

photo=tests/corpus/good/jpg-photo-flower-480x360.jpg
for size in 6000x4000 8000x6000; do
    out=$data/photo-$size.jpg
    if [ ! -f "$out" ]; then
        convert "$photo" -resize "$size!" -attenuate 0.4 +noise Gaussian -quality 90 "$out"
    fi
    tagged=$data/photo-$size-exif6.jpg
    if [ ! -f "$tagged" ]; then
        # An APP1 segment with Orientation = 6, right after the SOI marker.
        { printf '\xff\xd8\xff\xe1\x00\x22Exif\x00\x00II*\x00\x08\x00\x00\x00\x01\x00'
          printf '\x12\x01\x03\x00\x01\x00\x00\x00\x06\x00\x00\x00\x00\x00\x00\x00'
          tail -c +3 "$out"; } >"$tagged"
    fi
done

bench=$build/bench/vardesca_bench
startup=$build/bench/vardesca_bench_startup
echo "Vardesca benchmarks, $(date -u +%Y-%m-%d), $(nproc) cores"
# The decode on one thread (VARDESCA_THREADS=1), then on every core.
for threads in 1 "$(nproc)"; do
    echo "-- $threads thread(s)"
    for size in 6000x4000 8000x6000; do
        VARDESCA_THREADS=$threads "$bench" load "$data/photo-$size.jpg" \
            djpeg -outfile /dev/null "$data/photo-$size.jpg"
    done
    for size in 6000x4000 8000x6000; do
        VARDESCA_THREADS=$threads "$bench" rotated "$data/photo-$size.jpg" "$data/photo-$size-exif6.jpg"
    done
done
"$bench" open "$data/photo-8000x6000.jpg"
"$bench" memory "$data/photo-8000x6000.jpg"
"$bench" startup "$startup" -- "$startup" bare
"$bench" scroll "$data/photo-8000x6000.jpg"
"$bench" measure
"$bench" fit "$data/photo-8000x6000.jpg"
"$bench" zoom "$data/photo-8000x6000.jpg"
"$bench" loupe "$data/photo-8000x6000.jpg"
"$bench" drag "$data/photo-8000x6000.jpg"
"$bench" zoom-memory "$data/photo-8000x6000.jpg"
"$bench" export "$data/photo-8000x6000.jpg"
"$bench" export-peak "$data/photo-8000x6000.jpg"
# Two photos of one folder, for Ctrl+PgDn.
mkdir -p "$data/folder"
cp -u "$data/photo-8000x6000.jpg" "$data/folder/IMG_1.jpg"
cp -u "$data/photo-8000x6000.jpg" "$data/folder/IMG_2.jpg"
"$bench" next "$data/folder/IMG_1.jpg" "$data/folder/IMG_2.jpg" "2 photos"
"$bench" prefetch-stop "$data/folder/IMG_1.jpg" "$data/folder/IMG_2.jpg"
# The same two among 5,000 (the rest empty files: only their names count).
if [ ! -f "$data/folder5000/IMG_5000.jpg" ]; then
    mkdir -p "$data/folder5000"
    ln -f "$data/folder/IMG_1.jpg" "$data/folder5000/IMG_1.jpg"
    ln -f "$data/folder/IMG_2.jpg" "$data/folder5000/IMG_2.jpg"
    (cd "$data/folder5000" && seq 3 5000 | sed 's/.*/IMG_&.jpg/' | xargs touch)
fi
"$bench" next "$data/folder5000/IMG_1.jpg" "$data/folder5000/IMG_2.jpg" "5,000 photos"
# On the disk the build is on, as the user's state folder would be.
"$bench" journal "$data/journal"
# A folder's measurement record of 300 photos, on the disk the build is on.
"$bench" record "$data/record" "$data/photo-8000x6000.jpg"
