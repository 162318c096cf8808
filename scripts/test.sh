#!/usr/bin/env bash
# Builds and runs every test: the engine natively (with ASan and UBSan), the
# whole program for 64-bit Windows under Wine on a virtual display, and a
# compile-only 32-bit Windows build.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/deps.sh"
"$here/scripts/test-native.sh"
"$here/scripts/test-windows.sh"
