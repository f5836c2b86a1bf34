#!/usr/bin/env bash
# Converts a short clip through register.dat with every selectable profile at every size entry
# and every quality level (keep-source entries included), and checks each output with ffprobe.
# Takes a good while, so it is not part of the test run.
#
# Usage: bench/profile_matrix.sh [BUILD_DIR]      (default: build, the default preset)
#   VC_PROFILE_MATRIX_ONLY=27,28   only these profile numbers
set -euo pipefail
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"
cmake --build "$build" --target vc_tests_profiles vc_tool vc_data

start=$(date +%s)
status=0
VC_PROFILE_MATRIX=full QT_QPA_PLATFORM=offscreen \
    "$build/tests/vc_tests_profiles" --gtest_filter='ProfileMatrix.*' || status=$?
echo "profile matrix: $(($(date +%s) - start)) s"
exit "$status"
