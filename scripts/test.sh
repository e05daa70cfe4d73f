#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Set-up, build and every test:
#   1. a normal build with warnings as errors, and its tests, then the same
#      tests with the clocks of a machine booted a minute ago;
#   2. the same tests under AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the Debian package: built, unpacked into a temporary folder, checked there
#      (desktop entry, metainfo, where each file goes, lintian) and started once;
#   4. the program from that folder driven through a real X server (Xvfb);
#   5. a short run of each fuzz target (20 s, libFuzzer, clang).
# Missing build and test packages are installed with apt-get; nothing else on
# the system changes.
#
#   bash scripts/test.sh                    all of the above
#   bash scripts/test.sh --quick            the normal build and its tests only
#   bash scripts/test.sh --install-package  all, and the package installed into
#                                           the system too (CI: its dependencies
#                                           must resolve)
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
install_package=0
for arg in "$@"; do
    case "$arg" in
        --quick) quick=1 ;;
        --install-package) install_package=1 ;;
        *) echo "unknown option: $arg" >&2; exit 2 ;;
    esac
done

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

bash scripts/deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== build and tests (at ${SECONDS} s)"
# Optimised as released, without debug information: on two cores it is a good
# part of the whole run's compile and link time.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
    -DVARDESCA_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
[ "$quick" -eq 1 ] && exit 0

echo "== the same tests on a machine booted a minute ago (at ${SECONDS} s)"
# Nothing may depend on how long the machine has been up: once more with the
# clocks of a time namespace that started 60 s ago (needs root).
if up=$(cut -d. -f1 /proc/uptime) && as_root unshare --time true 2>/dev/null; then
    as_root unshare --time --monotonic=$((60 - up)) --boottime=$((60 - up)) \
        sh -c 'cut -d" " -f1 /proc/uptime | sed "s/^/uptime in the namespace: /"; exec "$@"' \
        sh ctest --test-dir build --output-on-failure -j"$jobs"
else
    echo "no time namespace here (not root, or the kernel refuses): not run"
fi

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer (at ${SECONDS} s)"
# The benchmarks measure the normal build; the sanitizer build needs only the tests.
# Line tables are all a sanitizer report needs to name file and line.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g1" \
    -DVARDESCA_WERROR=ON -DVARDESCA_SANITIZE=ON -DVARDESCA_BUILD_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

echo "== Debian package, checked unpacked (at ${SECONDS} s)"
rm -f build/vardesca_*.deb build/vardesca-dbgsym_*.ddeb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/vardesca_*.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for f in usr/bin/vardesca usr/share/applications/it.vardesca.Vardesca.desktop \
    usr/share/metainfo/it.vardesca.Vardesca.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/it.vardesca.Vardesca.svg \
    usr/share/icons/hicolor/48x48/apps/it.vardesca.Vardesca.png \
    usr/share/man/man1/vardesca.1.gz usr/share/man/it/man1/vardesca.1.gz \
    usr/share/doc/vardesca/copyright \
    usr/share/doc/vardesca/changelog.gz; do
    [ -e "$root/$f" ] || { echo "the package lacks /$f"; exit 1; }
done
desktop-file-validate "$root/usr/share/applications/it.vardesca.Vardesca.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/it.vardesca.Vardesca.metainfo.xml"
lintian --fail-on error,warning "$deb"
# Started once offscreen: still running after three seconds means it came up.
status=0
timeout 3 "$root/usr/bin/vardesca" || status=$?
[ "$status" -eq 124 ] || { echo "the packaged program ended with status $status"; exit 1; }

echo "== end-to-end in a real X server (at ${SECONDS} s)"
unset QT_QPA_PLATFORM
bash tests/e2e/x_end_to_end.sh "$root/usr/bin/vardesca" build/e2e
export QT_QPA_PLATFORM=offscreen

if [ "$install_package" -eq 1 ]; then
    echo "== the package installed into the system (at ${SECONDS} s)"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --reinstall "./$deb"
    status=0
    timeout 3 /usr/bin/vardesca || status=$?
    [ "$status" -eq 124 ] || { echo "the installed program ended with status $status"; exit 1; }
fi

echo "== fuzz targets, a short run each (at ${SECONDS} s)"
bash scripts/fuzz.sh 20
