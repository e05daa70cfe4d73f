#!/usr/bin/env bash
# Set-up, build and every test:
#   1. a normal build with warnings as errors, and its tests;
#   2. the same tests under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the Debian package: built, installed, validated, started once;
#   4. the installed program driven through a real X server (Xvfb);
#   5. a short run of each fuzz target (libFuzzer, clang).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARDESCA_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVARDESCA_WERROR=ON -DVARDESCA_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

echo "== Debian package"
(cd build && cpack -G DEB)
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --reinstall ./build/vardesca_*.deb
desktop-file-validate /usr/share/applications/it.vardesca.Vardesca.desktop
appstreamcli validate --no-net /usr/share/metainfo/it.vardesca.Vardesca.metainfo.xml
# Started once offscreen: still running after three seconds means it came up.
status=0
timeout 3 /usr/bin/vardesca || status=$?
[ "$status" -eq 124 ] || { echo "the installed program ended with status $status"; exit 1; }

echo "== end-to-end in a real X server"
unset QT_QPA_PLATFORM
bash tests/e2e/x_end_to_end.sh /usr/bin/vardesca build/e2e
export QT_QPA_PLATFORM=offscreen

echo "== fuzz targets, a short run each"
bash scripts/fuzz.sh 60
