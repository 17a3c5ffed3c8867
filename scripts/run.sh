#!/usr/bin/env bash
# Installs what is missing, builds, and starts Morvi on the test card the build
# makes (or on the picture given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
picture="${1:-build/testcard.jpg}"
exec build/app/morvi "$picture"
