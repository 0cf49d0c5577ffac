# Shared by run.sh and test.sh: install what the build needs, then build.
# Sourced, not run.

HW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
HW_BUILD="$HW_ROOT/build"
# The second build of the test run: clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, plus the libFuzzer targets.
HW_ASAN_BUILD="$HW_ROOT/build-asan"

# Debian 12 packages: compiler and build tools, GoogleTest, Google Benchmark,
# Qt 6 Widgets (the window), Qt SVG (its pictures), libcurl (the update check),
# clang with its sanitizer and libFuzzer runtimes and llvm-symbolizer (the
# sanitizer build).
HW_PACKAGES=(g++ cmake ninja-build libgtest-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev libcurl4-openssl-dev clang-14 libclang-rt-14-dev llvm-14)

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
