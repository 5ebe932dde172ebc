#!/usr/bin/env bash
# Installs dependencies, builds, and runs the whole test suite (unit, widget, e2e), then
# checks the Debian package and fuzzes the codec, the image builders and the store.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure --timeout 300 -j 2
# The Debian package: built, validated, installed, tried and removed again.
bash scripts/check-package.sh
# libFuzzer targets, about 30 s each: any crash, sanitizer report, leak or hang fails the run.
bash scripts/fuzz.sh 30
