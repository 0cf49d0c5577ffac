#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

hw_install_packages
hw_build
ctest --test-dir "$HW_BUILD" --output-on-failure -j "$(nproc)"

# The same suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# with each fuzz target run for a bounded time from its seed corpus (label fuzz).
hw_build_sanitized
ctest --test-dir "$HW_ASAN_BUILD" --output-on-failure -j "$(nproc)"

# Against real Wine where it is installed: a fresh prefix scans clean,
# planted stale entries are all found, and their repair is undone by the backup.
if command -v wine64 >/dev/null || [ -x /usr/lib/wine/wine64 ]; then
  "$(dirname "${BASH_SOURCE[0]}")/check-wine-prefix.sh"
  "$(dirname "${BASH_SOURCE[0]}")/check-wine-fix.sh"
else
  echo "wine64 is not installed: skipping the check against a real Wine prefix"
fi
