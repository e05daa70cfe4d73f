#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command against an X server of its own: a fresh Xvfb on a display
# number it picks itself (-displayfd: no race with another run), no network.
#   in_xvfb.sh COMMAND [ARG…]
set -euo pipefail
numbers=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numbers" >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -f "$numbers"' EXIT
# Xvfb writes the number once it accepts connections; the test's own time
# limit bounds this wait.
until [ -s "$numbers" ]; do
    kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done
DISPLAY=:$(head -n 1 "$numbers") QT_QPA_PLATFORM=xcb "$@"
