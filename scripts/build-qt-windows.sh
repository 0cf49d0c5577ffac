#!/usr/bin/env bash
# Builds the Qt the Windows window needs: qtbase of Debian's qt6-base source
# package (the version of the host's qt6-base-dev-tools, whose moc, uic and
# rcc the cross build uses), for MinGW-w64 x86_64, static, Release, with Core,
# Gui, Widgets, PrintSupport, Test and the Windows and offscreen platform
# plugins. It installs into the cache folder the Windows build looks in:
#
#   ${HW_QT_MINGW_CACHE:-${XDG_CACHE_HOME:-~/.cache}/hivewarden/qt6-mingw64}
#
# About 25 minutes on 2 cores; nothing is done when that folder holds a Qt
# already. Needs root for the packages and the deb-src line it adds.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/common.sh"
dest=${HW_QT_MINGW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/hivewarden/qt6-mingw64}
if [ -f "$dest/lib/cmake/Qt6/Qt6Config.cmake" ]; then
  echo "Qt for MinGW-w64 is already in $dest"
  exit 0
fi

hw_install_packages
version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
# The source package comes from the same archive as the binary ones.
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ &&
  ! grep -qs '^deb-src' /etc/apt/sources.list; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
    >/etc/apt/sources.list.d/hivewarden-sources.sources
  hw_apt_update
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/hw-qt-XXXXXX")
trap 'rm -rf "$work"' EXIT
# With Debian's patches, as the host's tools were built.
(cd "$work" && apt-get source -q "qt6-base=$version" >/dev/null 2>&1 && mv qt6-base-*/ src)
# The toolchain file goes where Qt's own toolchain file will chainload it.
mkdir -p "$dest/lib/cmake/Qt6"
toolchain="$dest/lib/cmake/Qt6/mingw-w64-x86_64-posix.cmake"
cat >"$toolchain" <<'CMAKE'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
CMAKE
# Two features off by need: Debian's repacked source has no wintab.h (tablet
# events), and the 6.4 Windows platform plugin does not build without OpenGL
# (it picks dynamic OpenGL, nothing to link).
cmake -S "$work/src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_INSTALL_PREFIX="$dest" -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_icu=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
  -DFEATURE_tabletevent=OFF -DFEATURE_opengl=ON >"$work/configure.log" ||
  { tail -40 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j "$(nproc)"
cmake --install "$work/build" >/dev/null
echo "Qt for MinGW-w64 installed in $dest"
