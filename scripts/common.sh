# Shared by run.sh and test.sh: install what the build needs, then build.
# Sourced, not run.

HW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
HW_BUILD="$HW_ROOT/build"
# The second build of the test run: clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, plus the libFuzzer targets.
HW_ASAN_BUILD="$HW_ROOT/build-asan"

# The Windows builds: MinGW-w64 cross builds of the core, hivewarden-cli.exe
# and the core tests, which run under Wine.
HW_WIN64_BUILD="$HW_ROOT/build-win64"
HW_WIN32_BUILD="$HW_ROOT/build-win32"

# Debian 12 packages: compiler and build tools, GoogleTest, Google Benchmark,
# Qt 6 Widgets (the window), Qt SVG (its pictures), libcurl (the update check),
# clang with its sanitizer and libFuzzer runtimes and llvm-symbolizer (the
# sanitizer build), the MinGW-w64 cross compilers and GoogleTest's sources
# (the Windows builds), Wine (the Windows tests and the checks against real
# Wine prefixes).
HW_PACKAGES=(g++ cmake ninja-build libgtest-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev qt6-translations-l10n libcurl4-openssl-dev clang-14 libclang-rt-14-dev llvm-14
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest wine64)

hw_install_packages() {
  local missing=()
  for package in "${HW_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "These packages are missing; install them first (as root):" >&2
    echo "  apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]}..." >&2
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

hw_build() {
  local options=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
  # CI keeps the build free of warnings.
  [ "${CI:-}" = "true" ] && options+=(-DHW_WARNINGS_AS_ERRORS=ON)
  cmake -S "$HW_ROOT" -B "$HW_BUILD" "${options[@]}" >/dev/null
  cmake --build "$HW_BUILD" -j "$(nproc)"
}

# The sanitizer build: the whole project and its tests under ASan and UBSan,
# and the fuzz targets (ctest label fuzz), in $HW_ASAN_BUILD.
hw_build_sanitized() {
  local options=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14
    -DCMAKE_CXX_COMPILER=clang++-14 -DHW_SANITIZE=ON -DHW_FUZZ=ON -DHW_BUILD_BENCH=OFF)
  [ "${CI:-}" = "true" ] && options+=(-DHW_WARNINGS_AS_ERRORS=ON)
  cmake -S "$HW_ROOT" -B "$HW_ASAN_BUILD" "${options[@]}" >/dev/null
  cmake --build "$HW_ASAN_BUILD" -j "$(nproc)"
}

# A Windows build with MinGW-w64: $1 is the toolchain (x86_64 or i686), $2 the
# build folder. Optimised as the Linux build (-O2; GCC 12 warns falsely about
# overlapping copies at -O3) but without debug information: it is built to be
# tested under Wine, and linking MinGW's debug information is slow.
hw_build_windows() {
  local options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
    -DHW_BUILD_BENCH=OFF
    -DCMAKE_TOOLCHAIN_FILE="$HW_ROOT/cmake/mingw-w64-$1.cmake")
  [ "${CI:-}" = "true" ] && options+=(-DHW_WARNINGS_AS_ERRORS=ON)
  cmake -S "$HW_ROOT" -B "$2" "${options[@]}" >/dev/null
  cmake --build "$2" -j "$(nproc)"
}

# Runs the tests of a Windows build under Wine, in a prefix of the build's own
# made first, so that tests started side by side do not both make it.
hw_test_windows() {
  local wine
  wine=$(grep -m1 '^HW_WINE:' "$1/CMakeCache.txt" | cut -d= -f2)
  export WINEPREFIX WINEDEBUG=-all
  WINEPREFIX="$(cd "$1" && pwd)/wineprefix"
  "$wine" wineboot -i >/dev/null 2>&1
  ctest --test-dir "$1" --output-on-failure -j "$(nproc)"
  wineserver -k 2>/dev/null || true
  unset WINEPREFIX WINEDEBUG
}

# Whether this machine runs 32-bit Windows programs: wine32 is installed and
# the kernel starts 32-bit programs.
hw_can_run_win32() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}
