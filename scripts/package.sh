#!/usr/bin/env bash
# Builds the Debian package build/zandor_<version>_<arch>.deb with CPack: the executables,
# desktop entry, icons, metainfo, manual pages and sample files (see packaging/).
# ZANDOR_BUILD_DIR picks another build folder than build/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZANDOR_BUILD_DIR:-build}

# What the build needs; then dpkg-shlibdeps (dpkg-dev), which computes the package's Depends,
# and file, with which CPack finds executables.
bash scripts/install-deps.sh
bash scripts/install-deps.sh dpkg-dev file

# The same configuration as scripts/build.sh, so the two never rebuild each other's work; the
# package strips the debugging symbols the build keeps.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ ! -f "$build/CPackConfig.cmake" ]; then
  echo "package.sh: $build has no CPack set-up: add 'add_subdirectory(packaging)' to the" \
       "top-level CMakeLists.txt" >&2
  exit 1
fi
cmake --build "$build" --parallel "$(nproc)"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/zandor_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null) || {
  echo "package.sh: cpack failed; its log is in $build/_CPack_Packages/" >&2
  exit 1
}
[ -f "$deb" ] || { echo "package.sh: cpack made no $deb" >&2; exit 1; }
echo "$deb"
