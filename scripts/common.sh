# Shared by run.sh and test.sh: install what the build needs, then build.
# Sourced, not run.

HW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
HW_BUILD="$HW_ROOT/build"
# The second build of the test run: clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, plus the libFuzzer targets.
HW_ASAN_BUILD="$HW_ROOT/build-asan"

# The Windows builds: MinGW-w64 cross builds of the core, hivewarden-cli.exe
# and the core tests, which run under Wine; the 64-bit one also of the window
# and its GUI tests where a Qt for MinGW-w64 x86_64 is at hand (hw_qt_mingw).
HW_WIN64_BUILD="$HW_ROOT/build-win64"
HW_WIN32_BUILD="$HW_ROOT/build-win32"

# Debian 12 packages: compiler and build tools, GoogleTest, Google Benchmark,
# Qt 6 Widgets (the window), Qt SVG (its pictures), Qt's translations (its
# dialogs' buttons in the user's language), libcurl (the update check),
# clang with its sanitizer and libFuzzer runtimes and llvm-symbolizer (the
# sanitizer build), the MinGW-w64 cross compilers and GoogleTest's sources
# (the Windows builds), Wine (the Windows tests and the checks against real
# Wine prefixes), NSIS (the real installer those checks run), dosfstools and
# fusefat (a vfat folder for the file layer's tests), Python (the Wine checks'
# helpers), yaml-cpp and
# nlohmann-json (the game launchers' files that name their prefixes),
# dpkg-shlibdeps and file (the Debian package's dependencies), the desktop
# entry's, AppStream's and the manual pages' validators, and an X server,
# xdotool and ImageMagick (the installed window driven and pictured).
HW_PACKAGES=(g++ cmake ninja-build libgtest-dev libbenchmark-dev
  qt6-base-dev qt6-svg-dev qt6-translations-l10n libcurl4-openssl-dev clang-14 libclang-rt-14-dev llvm-14
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest wine64 nsis dosfstools fusefat python3
  libyaml-cpp-dev nlohmann-json3-dev
  dpkg-dev file desktop-file-utils appstream man-db xvfb xdotool imagemagick)

# The test command's own, installed where the archive serves them, else
# skipped with a warning: the 32-bit Wine loader, with which wineboot makes
# WoW64 prefixes (as most users have them) and 32-bit Windows programs run:
# the 32-bit build's tests and the 32-bit installer of the checks against Wine.
HW_OPTIONAL_PACKAGES=(wine32:i386)

hw_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

hw_install_packages() {
  local missing=() package
  for package in "${HW_PACKAGES[@]}"; do
    hw_installed "$package" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "These packages are missing; install them first (as root):" >&2
    echo "  apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing ${missing[*]}..." >&2
  hw_apt_update
  hw_apt_install "${missing[@]}" >/dev/null
}

# Never fails: what cannot be installed is named, with what it costs.
hw_install_optional_packages() {
  local optional=() package
  for package in "${HW_OPTIONAL_PACKAGES[@]}"; do
    hw_installed "$package" || optional+=("$package")
  done
  [ ${#optional[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "WARNING: ${optional[*]} is not installed, so the tests of 32-bit Windows programs" \
      "are skipped; to run them (as root): dpkg --add-architecture i386 &&" \
      "apt-get update && apt-get install -y ${optional[*]}" >&2
    return 0
  fi
  if ! dpkg --print-foreign-architectures | grep -qx i386 && ! dpkg --add-architecture i386; then
    echo "WARNING: dpkg cannot add the i386 architecture, so the tests of 32-bit Windows" \
      "programs are skipped" >&2
    return 0
  fi
  hw_apt_update
  for package in "${optional[@]}"; do
    hw_install_optional "$package"
  done
}

# Waits for other package managers instead of failing on their lock; -q so
# that a failure names the unmet dependencies.
hw_apt_install() {
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=300 "$@"
}

# A mirror in the middle of a sync serves some indexes short ("File has
# unexpected size ... Mirror sync in progress?"); what the other indexes hold
# still installs, so a failed update is reported, not fatal.
hw_apt_update() {
  local log
  log=$(mktemp)
  if ! apt-get update -qq -o Acquire::Retries=3 -o DPkg::Lock::Timeout=300 >"$log" 2>&1; then
    echo "WARNING: apt-get update failed; installing from the indexes it could fetch:" >&2
    grep -E '^[EW]: ' "$log" | sed 's/^/  /' >&2 || true
  fi
  rm -f "$log"
}

# Installs $1, else says why not and goes on. Without the security archive's
# index for i386, the i386 libraries cannot have the versions of their amd64
# twins taken from that archive (a Multi-Arch library has one version on every
# architecture); the second try resolves against the main archive's versions,
# which is enough unless the host already has a library from the security
# archive (installed packages are never downgraded).
hw_install_optional() {
  local log pin
  log=$(mktemp)
  pin=$(mktemp)
  if hw_apt_install "$1" >"$log" 2>&1; then
    rm -f "$log" "$pin"
    return 0
  fi
  { cat /etc/apt/preferences 2>/dev/null || true
    printf '\nPackage: *\nPin: release l=Debian-Security\nPin-Priority: 100\n'; } >"$pin"
  if hw_apt_install -o Dir::Etc::Preferences="$pin" "$1" >"$log" 2>&1; then
    echo "WARNING: $1 installed with the libraries of the main archive: the security" \
      "archive's index for its architecture could not be fetched" >&2
  else
    echo "WARNING: $1 could not be installed, so the tests of 32-bit Windows programs" \
      "are skipped. apt-get says:" >&2
    grep -E "Depends:|^E: " "$log" | sed 's/^ */  /' | head -n 12 >&2 || true
  fi
  rm -f "$log" "$pin"
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
# The window is built where hw_qt_mingw finds a Qt; there is none for i686.
hw_build_windows() {
  local options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
    -DHW_BUILD_BENCH=OFF
    -DCMAKE_TOOLCHAIN_FILE="$HW_ROOT/cmake/mingw-w64-$1.cmake")
  [ "${CI:-}" = "true" ] && options+=(-DHW_WARNINGS_AS_ERRORS=ON)
  local qt
  if [ "$1" = x86_64 ] && qt=$(hw_qt_mingw); then
    options+=(-DCMAKE_PREFIX_PATH="$qt")
  else
    options+=(-UCMAKE_PREFIX_PATH)
  fi
  cmake -S "$HW_ROOT" -B "$2" "${options[@]}" >/dev/null
  cmake --build "$2" -j "$(nproc)"
}

# The static Qt for MinGW-w64 x86_64 (scripts/build-qt-windows.sh makes one in
# the cache folder): prints its folder, or fails when there is none.
hw_qt_mingw() {
  local dir
  for dir in "${HW_QT_MINGW:-$HW_ROOT/../shared/qt6-mingw64}" \
    "${XDG_CACHE_HOME:-$HOME/.cache}/hivewarden/qt6-mingw64"; do
    [ -d "$dir/lib/cmake/Qt6" ] && { (cd "$dir" && pwd); return 0; }
  done
  return 1
}

# Runs the tests of a Windows build under Wine, in a prefix of the build's own
# made first, so that tests started side by side do not both make it. A build
# with the window has GUI tests (label gui): everything then runs on an Xvfb
# display of its own, from wineboot on, for Wine's desktop takes the display
# its first program had.
hw_test_windows() {
  local wine xvfb_pid=''
  wine=$(grep -m1 '^HW_WINE:' "$1/CMakeCache.txt" | cut -d= -f2)
  export WINEPREFIX WINEDEBUG=-all
  WINEPREFIX="$(cd "$1" && pwd)/wineprefix"
  if [ -n "$(ctest --test-dir "$1" -N -L gui | grep 'Test *#' || true)" ]; then
    local display_file
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
    xvfb_pid=$!
    local waited=0
    until [ -s "$display_file" ] || [ "$waited" -ge 100 ]; do sleep 0.1; waited=$((waited + 1)); done
    export DISPLAY=":$(head -n1 "$display_file")"
    rm -f "$display_file"
  fi
  local status=0
  "$wine" wineboot -i >/dev/null 2>&1
  # Without a window manager Wine waits 2 s for one at each window hidden,
  # unless it manages the windows itself.
  [ -z "$xvfb_pid" ] ||
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  ctest --test-dir "$1" --output-on-failure -j "$(nproc)" || status=$?
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    unset DISPLAY
  fi
  unset WINEPREFIX WINEDEBUG
  return "$status"
}

# Whether this machine runs 32-bit Windows programs: wine32 is installed and
# the kernel starts 32-bit programs.
hw_can_run_win32() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}
