#!/usr/bin/env bash
# Installs dependencies, builds, and runs the whole test suite (unit, widget, e2e).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure --timeout 300 -j 2
# The Debian package: built, validated, installed, tried and removed again.
bash scripts/check-package.sh
