#!/usr/bin/env bash
# Builds Brushwright and starts it. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh brushwright brushwright-convert
echo "The command-line converter is build/src/cli/brushwright-convert." >&2
if [ -x build/src/window/brushwright ]; then
  exec build/src/window/brushwright "$@"
fi
echo "The window is not built yet; starting the command-line converter instead." >&2
exec build/src/cli/brushwright-convert "$@"
