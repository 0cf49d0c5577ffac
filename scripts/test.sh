#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

hw_install_packages
hw_build
ctest --test-dir "$HW_BUILD" --output-on-failure -j "$(nproc)"
