#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

hw_install_packages
hw_install_optional_packages
hw_build
ctest --test-dir "$HW_BUILD" --output-on-failure -j "$(nproc)"

# Installed: the Debian package made from that build, unpacked into a scratch
# root, its command-line tool scanning with its installed data, and its window
# driven under Xvfb through a repair (pictures in build/window-shots/).
"$(dirname "${BASH_SOURCE[0]}")/check-install.sh"
"$(dirname "${BASH_SOURCE[0]}")/check-window-xvfb.sh"

# The same suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# with each fuzz target run for a bounded time from its seed corpus (label fuzz).
hw_build_sanitized
ctest --test-dir "$HW_ASAN_BUILD" --output-on-failure -j "$(nproc)"

# The Windows builds: the core tests of 64-bit Windows run under Wine, where
# the registry tests work on Wine's own registry API, and with them the GUI
# tests that need no Wine prefix, on Xvfb, where a Qt for MinGW is at hand. The 32-bit build runs
# its tests where this machine can start 32-bit Windows programs.
hw_build_windows x86_64 "$HW_WIN64_BUILD"
hw_test_windows "$HW_WIN64_BUILD"
hw_build_windows i686 "$HW_WIN32_BUILD"
if hw_can_run_win32; then
  hw_test_windows "$HW_WIN32_BUILD"
else
  echo "32-bit Windows programs cannot start here (wine32 missing, or the kernel refuses" \
    "32-bit programs): the i686 build was built, its tests not run"
fi

# Against real Wine: a fresh prefix scans clean, planted stale entries are all
# found, their repair is undone by the backup, every value form comes back
# from it exactly, and the Windows build reports
# from Wine's registry what the Linux build reads from the prefix's files.
"$(dirname "${BASH_SOURCE[0]}")/check-wine-prefix.sh"
"$(dirname "${BASH_SOURCE[0]}")/check-wine-fix.sh"
"$(dirname "${BASH_SOURCE[0]}")/check-wine-backup.sh"
"$(dirname "${BASH_SOURCE[0]}")/check-windows-cli.sh"
"$(dirname "${BASH_SOURCE[0]}")/check-wine-installer.sh"
# The Windows build killed at random moments of its repair: every value gone
# from Wine's registry is in the backup file.
"$(dirname "${BASH_SOURCE[0]}")/check-windows-fix-kill.sh"
# The Windows window, where the 64-bit build has it (a Qt for MinGW was at
# hand): driven under Wine on Xvfb through a repair, its backup restored.
if hw_qt_mingw >/dev/null; then
  "$(dirname "${BASH_SOURCE[0]}")/check-windows-window.sh"
else
  echo "No Qt for MinGW-w64 (see hw_qt_mingw in scripts/common.sh): the Windows window was not built or checked"
fi
