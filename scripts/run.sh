#!/usr/bin/env bash
# Starts the window; on a machine without a display, draws the default curve headless instead.
set -euo pipefail
build=${1:-build}
shift || true
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: drawing the default curve with wendrix-cli instead."
  mkdir -p out
  "$build/cli/wendrix-cli" draw --png out/
  echo "Pictures written to $(pwd)/out/ (hull.png, square.png, normals.png)."
else
  exec "$build/app/wendrix" "$@"
fi
